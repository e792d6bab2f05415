// The end-to-end driver: runs in the same Wine prefix as the program under
// test and operates its windows for the Python harness (tests/e2e). Requests
// arrive on stdin and replies leave on stdout, one command at a time; the
// line format is in wire.h and the commands in kCommands below.
#include <windows.h>
#include <commctrl.h>

#include <fcntl.h>
#include <io.h>

#include <cstdlib>
#include <iostream>
#include <stdexcept>
#include <string>

#include "capture.h"
#include "input.h"
#include "query.h"
#include "registry.h"
#include "wire.h"

namespace {

using wire::Fields;
using wire::Records;

constexpr DWORD kPollMs = 20;

DWORD Milliseconds(const std::string& field) { return std::strtoul(field.c_str(), nullptr, 10); }
std::string Number(long long n) { return std::to_string(n); }

// Polls until the window with that caption (and class) is there, or gone.
HWND WaitFor(const Fields& a, bool present) {
  const std::string className = a.size() > 3 ? a[3] : "";
  DWORD start = GetTickCount();
  for (;;) {
    HWND w = win::FindTopLevel(a[1], className);
    if ((w != nullptr) == present) return w;
    if (GetTickCount() - start > Milliseconds(a[2]))
      throw std::runtime_error((present ? "no window: " : "still there: ") + a[1]);
    Sleep(kPollMs);
  }
}

Records Hello(const Fields&) { return {{Number(GetACP())}}; }

Records Windows(const Fields&) {
  Records out;
  for (HWND w : win::TopLevelWindows()) out.push_back(win::DescribeWindow(w));
  return out;
}

Records Wait(const Fields& a) { return {win::DescribeWindow(WaitFor(a, true))}; }

Records Gone(const Fields& a) {
  WaitFor(a, false);
  return {};
}

Records Controls(const Fields& a) {
  Records out;
  for (HWND c : win::Controls(win::ParseWindow(a[1]))) out.push_back(win::DescribeControl(c));
  return out;
}

Records Text(const Fields& a) { return {{win::Text(win::ParseWindow(a[1]))}}; }

Records Checked(const Fields& a) { return {{Number(win::CheckState(win::ParseWindow(a[1])))}}; }

Records Progress(const Fields& a) {
  HWND bar = win::ParseWindow(a[1]);
  if (win::ClassName(bar) != "msctls_progress32") throw std::runtime_error("not a progress bar");
  return {{Number(static_cast<long>(win::Ask(bar, PBM_GETPOS))),
           Number(static_cast<long>(win::Ask(bar, PBM_GETRANGE, TRUE))),
           Number(static_cast<long>(win::Ask(bar, PBM_GETRANGE, FALSE)))}};
}

// The window that has the keyboard focus in the thread of the given window,
// "0x0" when none has.
Records Focus(const Fields& a) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  DWORD thread = GetWindowThreadProcessId(win::ParseWindow(a[1]), nullptr);
  if (!GetGUIThreadInfo(thread, &info)) throw std::runtime_error("GetGUIThreadInfo failed");
  return {{win::FormatWindow(info.hwndFocus)}};
}

Records Items(const Fields& a) { return win::Items(win::ParseWindow(a[1])); }

Records Click(const Fields& a) {
  input::Click(win::ParseWindow(a[1]));
  return {};
}

// HWND [X Y [CLICKS]]
Records Mouse(const Fields& a) {
  HWND window = win::ParseWindow(a[1]);
  if (a.size() < 4) {
    input::MouseClick(window, nullptr);
  } else {
    POINT at{std::atoi(a[2].c_str()), std::atoi(a[3].c_str())};
    input::MouseClick(window, &at, a.size() > 4 ? std::atoi(a[4].c_str()) : 1);
  }
  return {};
}

Records Keys(const Fields& a) {
  input::TypeKeys(win::ParseWindow(a[1]), Fields(a.begin() + 2, a.end()));
  return {};
}

Records Close(const Fields& a) {
  input::CloseBox(win::ParseWindow(a[1]));
  return {};
}

Records Shot(const Fields& a) {
  capture::SaveWindow(win::ParseWindow(a[1]), a[2]);
  return {};
}

Records Icon(const Fields& a) { return {{capture::MessageBoxIcon(win::ParseWindow(a[1]))}}; }

// Whether another program in the prefix holds the named mutex; the name is
// taken in the ANSI code page, as the program under test names its mutexes.
Records Mutex(const Fields& a) {
  HANDLE m = OpenMutexA(SYNCHRONIZE, FALSE, wire::Utf8ToAnsi(a[1]).c_str());
  if (m) CloseHandle(m);
  return {{m ? "1" : "0"}};
}

Records RegSet(const Fields& a) {
  registry::Set(a[1], a[2], a[3], a[4]);
  return {};
}

Records RegGet(const Fields& a) {
  Fields value = registry::Get(a[1], a[2]);
  return value.empty() ? Records{} : Records{value};
}

Records RegDeleteValue(const Fields& a) {
  registry::DeleteValue(a[1], a[2]);
  return {};
}

Records RegDeleteKey(const Fields& a) {
  registry::DeleteKey(a[1]);
  return {};
}

struct Command {
  const char* name;
  std::size_t minFields;  // the command included
  Records (*run)(const Fields&);
};

constexpr Command kCommands[] = {
    {"hello", 1, Hello},          // → ANSI code page
    {"windows", 1, Windows},      // → one record per visible top-level window
    {"wait", 3, Wait},            // CAPTION MS [CLASS] → the window
    {"gone", 3, Gone},            // CAPTION MS [CLASS]
    {"controls", 2, Controls},    // HWND → one record per control
    {"text", 2, Text},            // HWND → text
    {"checked", 2, Checked},      // HWND → 0, 1, 2 or -1
    {"progress", 2, Progress},    // HWND → position, low, high
    {"focus", 2, Focus},          // HWND → the focused window of its thread
    {"items", 2, Items},          // HWND → text, selected (1 or 0) for each item
    {"click", 2, Click},          // HWND
    {"mouse", 2, Mouse},          // HWND [X Y [CLICKS]]
    {"keys", 3, Keys},            // HWND KEY…
    {"close", 2, Close},          // HWND
    {"shot", 3, Shot},            // HWND PATH
    {"icon", 2, Icon},            // HWND of a message box → its standard icon
    {"mutex", 2, Mutex},          // NAME → 1 or 0
    {"regset", 5, RegSet},        // KEY NAME TYPE DATA
    {"regget", 3, RegGet},        // KEY NAME → type, data (none if missing)
    {"regdelvalue", 3, RegDeleteValue},  // KEY NAME
    {"regdelkey", 2, RegDeleteKey},      // KEY
};

void Reply(const Fields& request) {
  for (const auto& c : kCommands) {
    if (request[0] != c.name) continue;
    if (request.size() < c.minFields) throw std::runtime_error("too few fields");
    for (const auto& record : c.run(request)) std::cout << wire::FormatRecord(record) << '\n';
    return;
  }
  throw std::runtime_error("unknown command: " + request[0]);
}

}  // namespace

int main() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  std::string line;
  while (std::getline(std::cin, line)) {
    Fields request = wire::SplitRequest(line);
    if (request[0] == "quit") break;
    try {
      Reply(request);
      std::cout << "ok\n";
    } catch (const std::exception& e) {
      std::cout << "error\t" << wire::Escape(e.what()) << '\n';
    }
    std::cout.flush();
  }
  return 0;
}
