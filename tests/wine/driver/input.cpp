#include "input.h"

#include <cctype>
#include <stdexcept>

#include "query.h"

namespace input {

namespace {

constexpr DWORD kForegroundTimeoutMs = 3000;

void RequireReachable(HWND window) {
  for (HWND w = window; w; w = (GetWindowLongW(w, GWL_STYLE) & WS_CHILD) ? GetParent(w) : nullptr) {
    if (!IsWindowVisible(w)) throw std::runtime_error("not visible: " + win::FormatWindow(w));
    if (!IsWindowEnabled(w)) throw std::runtime_error("disabled: " + win::FormatWindow(w));
  }
}

// Wine grants the foreground to any process that asks; the loop covers the
// moment before a new window has become active.
void BringToFront(HWND root) {
  DWORD start = GetTickCount();
  while (GetForegroundWindow() != root) {
    if (GetTickCount() - start > kForegroundTimeoutMs)
      throw std::runtime_error("cannot make foreground: " + win::FormatWindow(root));
    SetForegroundWindow(root);
    Sleep(20);
  }
}

INPUT KeyEvent(WORD vk, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  switch (vk) {
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
    case VK_HOME: case VK_END: case VK_DELETE:
      in.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
  }
  return in;
}

struct NamedKey {
  const char* name;
  WORD vk;
};

constexpr NamedKey kKeys[] = {
    {"Enter", VK_RETURN}, {"Esc", VK_ESCAPE}, {"Tab", VK_TAB},     {"Space", VK_SPACE},
    {"Up", VK_UP},        {"Down", VK_DOWN},  {"Left", VK_LEFT},   {"Right", VK_RIGHT},
    {"Home", VK_HOME},    {"End", VK_END},    {"Delete", VK_DELETE}, {"Backspace", VK_BACK},
    {"Shift", VK_SHIFT},  {"Ctrl", VK_CONTROL}, {"Alt", VK_MENU},
};

WORD VirtualKey(const std::string& name) {
  if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0])))
    return static_cast<WORD>(std::toupper(static_cast<unsigned char>(name[0])));
  for (const auto& k : kKeys)
    if (name == k.name) return k.vk;
  throw std::runtime_error("unknown key: " + name);
}

// "Shift+Alt+X": every part pressed in order, released in reverse.
std::vector<INPUT> Chord(const std::string& chord) {
  std::vector<WORD> keys;
  std::size_t start = 0;
  for (std::size_t plus; (plus = chord.find('+', start)) != std::string::npos; start = plus + 1)
    keys.push_back(VirtualKey(chord.substr(start, plus - start)));
  keys.push_back(VirtualKey(chord.substr(start)));
  std::vector<INPUT> events;
  for (WORD vk : keys) events.push_back(KeyEvent(vk, false));
  for (auto it = keys.rbegin(); it != keys.rend(); ++it) events.push_back(KeyEvent(*it, true));
  return events;
}

void Send(std::vector<INPUT> events) {
  auto n = static_cast<UINT>(events.size());
  if (SendInput(n, events.data(), sizeof(INPUT)) != n) throw std::runtime_error("SendInput failed");
}

INPUT MouseEvent(DWORD flags, POINT at) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
  int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  int width = GetSystemMetrics(SM_CXVIRTUALSCREEN), height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  in.mi.dx = MulDiv(at.x - left, 65535, width - 1);
  in.mi.dy = MulDiv(at.y - top, 65535, height - 1);
  return in;
}

}  // namespace

void Click(HWND button) {
  if (win::ClassName(button) != "Button") throw std::runtime_error("not a button; use mouse");
  RequireReachable(button);
  if (!PostMessageW(button, BM_CLICK, 0, 0)) throw std::runtime_error("PostMessage failed");
}

void MouseClick(HWND window, const POINT* point, int clicks) {
  RequireReachable(window);
  RECT client{};
  GetClientRect(window, &client);
  POINT at = point ? *point : POINT{client.right / 2, client.bottom / 2};
  ClientToScreen(window, &at);
  // Only another top-level window can cover a control: siblings such as a
  // group box around radio items let the click through to the item.
  if (GetAncestor(WindowFromPoint(at), GA_ROOT) != GetAncestor(window, GA_ROOT))
    throw std::runtime_error("covered at that point: " + win::FormatWindow(window));
  std::vector<INPUT> events{MouseEvent(MOUSEEVENTF_MOVE, at)};
  for (int i = 0; i < clicks; ++i) {
    events.push_back(MouseEvent(MOUSEEVENTF_LEFTDOWN, at));
    events.push_back(MouseEvent(MOUSEEVENTF_LEFTUP, at));
  }
  Send(events);
}

void TypeKeys(HWND window, const std::vector<std::string>& keys) {
  HWND root = GetAncestor(window, GA_ROOT);
  RequireReachable(root);
  BringToFront(root);
  for (const auto& chord : keys) Send(Chord(chord));
}

void CloseBox(HWND window) {
  RequireReachable(window);
  if (!(GetWindowLongW(window, GWL_STYLE) & WS_SYSMENU)) throw std::runtime_error("no close box");
  if (!PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0)) throw std::runtime_error("PostMessage failed");
}

}  // namespace input
