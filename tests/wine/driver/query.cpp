#include "query.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace win {

namespace {

constexpr UINT kAnswerTimeoutMs = 5000;

std::string Number(long long n) { return std::to_string(n); }

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

// The form name the dialog layer stores as a global atom in "ControlName".
std::string ControlName(HWND control) {
  auto atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropA(control, "ControlName")));
  if (atom == 0) return {};
  char name[256] = {};
  UINT n = GlobalGetAtomNameA(atom, name, sizeof name);
  return wire::AnsiToUtf8(std::string(name, n));
}

bool IsCheckable(HWND control) {
  if (ClassName(control) != "Button") return false;
  switch (GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) {
    case BS_CHECKBOX: case BS_AUTOCHECKBOX: case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON: case BS_3STATE: case BS_AUTO3STATE:
      return true;
    default:
      return false;
  }
}

}  // namespace

HWND ParseWindow(const std::string& field) {
  auto window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoul(field.c_str(), nullptr, 16)));
  if (!window || !IsWindow(window)) throw std::runtime_error("no such window: " + field);
  return window;
}

std::string FormatWindow(HWND window) {
  char text[20];
  std::snprintf(text, sizeof text, "0x%lx", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(window)));
  return text;
}

LRESULT Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &result))
    throw std::runtime_error("window does not answer: " + FormatWindow(window));
  return static_cast<LRESULT>(result);
}

std::string Text(HWND window) {
  // WM_GETTEXT rather than GetWindowText: across processes only the message
  // reaches an edit control's own text.
  std::wstring text(static_cast<std::size_t>(Ask(window, WM_GETTEXTLENGTH)) + 1, L'\0');
  auto n = Ask(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(n));
  return wire::WideToUtf8(text);
}

std::string ClassName(HWND window) {
  wchar_t name[256] = {};
  int n = GetClassNameW(window, name, 256);
  return wire::WideToUtf8(std::wstring(name, static_cast<std::size_t>(n)));
}

std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> all, visible;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&all));
  for (HWND w : all)
    if (IsWindowVisible(w)) visible.push_back(w);
  return visible;
}

std::string Caption(HWND window) {
  // The caption as the window manager keeps it: no message to the program,
  // so a window that is closing or busy cannot stall a wait.
  wchar_t text[512] = {};
  int n = GetWindowTextW(window, text, 512);
  return wire::WideToUtf8(std::wstring(text, static_cast<std::size_t>(n)));
}

HWND FindTopLevel(const std::string& caption, const std::string& className) {
  for (HWND w : TopLevelWindows())
    if (Caption(w) == caption && (className.empty() || ClassName(w) == className)) return w;
  return nullptr;
}

wire::Fields DescribeWindow(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  RECT r{};
  GetWindowRect(window, &r);
  return {FormatWindow(window), ClassName(window), Caption(window), Number(pid),
          Number(IsWindowEnabled(window) ? 1 : 0), FormatWindow(GetWindow(window, GW_OWNER)),
          Number(r.left), Number(r.top), Number(r.right), Number(r.bottom)};
}

wire::Fields DescribeControl(HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  MapWindowPoints(HWND_DESKTOP, GetAncestor(control, GA_ROOT), reinterpret_cast<POINT*>(&r), 2);
  int check = CheckState(control);
  return {FormatWindow(control), ControlName(control), ClassName(control), Text(control),
          Number(GetDlgCtrlID(control)), Number(IsWindowEnabled(control) ? 1 : 0),
          Number(IsWindowVisible(control) ? 1 : 0), check < 0 ? "" : Number(check),
          Number(r.left), Number(r.top), Number(r.right), Number(r.bottom)};
}

std::vector<HWND> Controls(HWND window) {
  std::vector<HWND> all;
  EnumChildWindows(window, CollectWindow, reinterpret_cast<LPARAM>(&all));
  return all;
}

std::vector<wire::Fields> Items(HWND control) {
  const std::string kind = ClassName(control);
  const bool list = kind == "ListBox";
  if (!list && kind != "ComboBox") throw std::runtime_error("not a list box or combo box");
  const UINT count = list ? LB_GETCOUNT : CB_GETCOUNT, length = list ? LB_GETTEXTLEN : CB_GETLBTEXTLEN,
             get = list ? LB_GETTEXT : CB_GETLBTEXT, selected = list ? LB_GETCURSEL : CB_GETCURSEL;
  const LRESULT n = Ask(control, count), chosen = Ask(control, selected);
  std::vector<wire::Fields> items;
  for (LRESULT i = 0; i < n; ++i) {
    std::wstring text(static_cast<std::size_t>(Ask(control, length, static_cast<WPARAM>(i))) + 1, L'\0');
    LRESULT got = Ask(control, get, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    items.push_back({wire::WideToUtf8(text), i == chosen ? "1" : "0"});
  }
  return items;
}

int CheckState(HWND control) {
  return IsCheckable(control) ? static_cast<int>(Ask(control, BM_GETCHECK)) : -1;
}

}  // namespace win
