// The Win32 back end: every form is a top-level window of our own class and
// every control a standard control, each tagged with its description's name
// in the "ControlName" property (a global atom), so that a driver outside the
// process finds it. Input reaches the controls' state and handlers through
// WM_COMMAND; Enter, Esc, Tab, arrows and access keys are handled the way a
// dialog handles them. No exception leaves a window procedure.
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "app/texts.h"
#include "ui/backend.h"
#include "ui/ui.h"

namespace ui {
namespace backend {

struct Window {
  HWND hwnd = nullptr;
  HFONT font = nullptr;      // forms: the one font of the form and its controls
  HWND focus = nullptr;      // forms: the control to give the focus back to
  std::vector<HWND> items;   // radio groups: one radio button per item
};

// The form or control goes first: its windows no longer point to it while
// they are destroyed.
void WindowDeleter::operator()(Window* window) const {
  for (HWND item : window->items) SetWindowLongPtrA(item, GWLP_USERDATA, 0);
  if (window->hwnd) {
    SetWindowLongPtrA(window->hwnd, GWLP_USERDATA, 0);
    DestroyWindow(window->hwnd);  // takes children and items along
  }
  if (window->font) DeleteObject(window->font);
  delete window;
}

namespace {

constexpr char kFormClass[] = "SetupForm";
constexpr char kNameProperty[] = "ControlName";
constexpr int kIconId = 1;
constexpr int kFontHeight = 12;
// Control identifiers stay clear of IDOK and IDCANCEL, which the dialog
// manager sends on its own.
constexpr int kFirstControlId = 100;
constexpr int kFirstItemId = 100;
// A drive combo box is made this much taller than its closed field: the
// height of its drop-down list.
constexpr int kDropDownHeight = 160;
// Folders of a directory list are indented by this much per level.
constexpr int kIndent = 8;

HINSTANCE Instance() { return GetModuleHandleA(nullptr); }

// --- names for the driver outside --------------------------------------

void Tag(HWND hwnd, const std::string& name) {
  ATOM atom = GlobalAddAtomA(name.c_str());
  SetPropA(hwnd, kNameProperty, reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(atom)));
}

void Untag(HWND hwnd) {
  auto atom = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(RemovePropA(hwnd, kNameProperty)));
  if (atom) GlobalDeleteAtom(atom);
}

// --- which form and control a window belongs to ------------------------

ATOM formClass = 0;

Form* FormOf(HWND hwnd) {
  if (!hwnd || static_cast<ATOM>(GetClassWord(hwnd, GCW_ATOM)) != formClass) return nullptr;
  return reinterpret_cast<Form*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

// The control (for radio items: the group) of a window in form's window.
Control* ControlOf(const Form& form, HWND hwnd) {
  if (!hwnd || !form.Window() || !IsChild(form.Window()->hwnd, hwnd)) return nullptr;
  return reinterpret_cast<Control*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

HWND HwndOf(const Control& control) {
  return control.Window() ? control.Window()->hwnd : nullptr;
}

// --- look -----------------------------------------------------------------

DWORD FormStyle(BorderIcons icons) {
  DWORD style = WS_CAPTION | WS_CLIPSIBLINGS;  // a fixed single border
  if (icons & biSystemMenu) {
    style |= WS_SYSMENU;
    if (icons & biMinimize) style |= WS_MINIMIZEBOX;
    if (icons & biMaximize) style |= WS_MAXIMIZEBOX;
  }
  return style;
}

DWORD FormExStyle(BorderIcons icons) {
  bool help = (icons & biSystemMenu) && (icons & biHelp) && !(icons & (biMinimize | biMaximize));
  return help ? WS_EX_CONTEXTHELP : 0;
}

class WindowDC {
 public:
  explicit WindowDC(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {
    old_ = SelectObject(dc_, reinterpret_cast<HGDIOBJ>(SendMessageA(hwnd, WM_GETFONT, 0, 0)));
  }
  ~WindowDC() {
    SelectObject(dc_, old_);
    ReleaseDC(hwnd_, dc_);
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
  HGDIOBJ old_;
};

// A label without a fixed size takes the size of its text.
void FitLabel(HWND hwnd, const Control& label) {
  if (label.Desc().settings & kFixedSize) return;
  WindowDC dc(hwnd);
  RECT rect = {0, 0, 0, 0};
  DrawTextA(dc.get(), label.Text().c_str(), -1, &rect, DT_CALCRECT | DT_EXPANDTABS);
  SetWindowPos(hwnd, nullptr, 0, 0, rect.right, rect.bottom,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// One column of items filling the group below its caption.
void ArrangeItems(const RadioGroup& group) {
  const std::vector<HWND>& items = group.Window()->items;
  if (items.empty()) return;
  TEXTMETRICA metrics = {};
  {
    WindowDC dc(group.Window()->hwnd);
    GetTextMetricsA(dc.get(), &metrics);
  }
  const Bounds& bounds = group.Desc().bounds;
  int count = static_cast<int>(items.size());
  int room = bounds.height - metrics.tmHeight - 5;
  int height = room / count;
  int top = metrics.tmHeight + 1 + (room % count) / 2;
  for (int i = 0; i < count; ++i)
    SetWindowPos(items[i], nullptr, 8, top + i * height, bounds.width - 10, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void SetStyleBit(HWND hwnd, LONG_PTR bit, bool on) {
  LONG_PTR style = GetWindowLongPtrA(hwnd, GWL_STYLE);
  SetWindowLongPtrA(hwnd, GWL_STYLE, on ? style | bit : style & ~bit);
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i) text += "\r\n";
    text += lines[i];
  }
  return text;
}

void SyncProgress(HWND hwnd, const ProgressBar& bar) {
  SendMessageA(hwnd, PBM_SETRANGE32, static_cast<WPARAM>(bar.Min()), static_cast<LPARAM>(bar.Max()));
  SendMessageA(hwnd, PBM_SETSTEP, static_cast<WPARAM>(bar.Step()), 0);
  SendMessageA(hwnd, PBM_SETPOS, static_cast<WPARAM>(bar.Position()), 0);
}

// --- keys -----------------------------------------------------------------

bool IsDroppedDown(HWND hwnd, const Control* control) {
  return control && control->Kind() == ControlKind::DriveComboBox &&
         SendMessageA(hwnd, CB_GETDROPPEDSTATE, 0, 0);
}

// Enter opens the selected entry of a focused directory list, else presses
// the focused button, else the default one; Esc presses the cancel button.
// Both are taken even when there is no such button, so that no control acts
// on them on its own; only a dropped-down drive list keeps them, to close.
// False when the key is left to the focused control.
bool DialogKey(Form& form, WPARAM key) {
  if (!IsWindowEnabled(form.Window()->hwnd)) return true;
  HWND focus = GetFocus();
  Control* focused = ControlOf(form, focus);
  if (IsDroppedDown(focus, focused)) return false;
  Button* button = nullptr;
  if (key == VK_RETURN && focused && focused->Kind() == ControlKind::DirectoryListBox) {
    static_cast<DirectoryListBox*>(focused)->Open(static_cast<int>(SendMessageA(focus, LB_GETCURSEL, 0, 0)));
  } else if (key == VK_RETURN) {
    button = focused && focused->Kind() == ControlKind::Button ? static_cast<Button*>(focused)
                                                                : form.DefaultButton();
  } else {
    button = form.CancelButton();
  }
  if (button) button->Click();
  return true;
}

bool IsDialogKey(UINT message, WPARAM key) {
  return message == WM_KEYDOWN && (key == VK_RETURN || key == VK_ESCAPE);
}

// --- window procedures ----------------------------------------------------

// A drive is taken once a dropped-down list closes on it, or at once when
// the closed box is stepped with the keys; a list closed without a choice
// shows the drive in force again.
void DriveCommand(DriveComboBox& combo, HWND hwnd, int code) {
  int chosen = static_cast<int>(SendMessageA(hwnd, CB_GETCURSEL, 0, 0));
  if (code == CBN_SELENDOK || (code == CBN_SELCHANGE && !SendMessageA(hwnd, CB_GETDROPPEDSTATE, 0, 0)))
    combo.Choose(chosen);
  if (code == CBN_SELENDCANCEL) ShowDrive(combo);
}

void Command(Form& form, HWND child, int id, int code) {
  Control* control = ControlOf(form, child);
  if (!control) return;
  switch (control->Kind()) {
    case ControlKind::Button:
      if (code == BN_CLICKED) static_cast<Button*>(control)->Click();
      break;
    case ControlKind::RadioGroup:
      if (code == BN_CLICKED) static_cast<RadioGroup*>(control)->Choose(id - kFirstItemId);
      break;
    case ControlKind::DirectoryListBox:
      if (code == LBN_DBLCLK)
        static_cast<DirectoryListBox*>(control)->Open(static_cast<int>(SendMessageA(child, LB_GETCURSEL, 0, 0)));
      break;
    case ControlKind::DriveComboBox:
      DriveCommand(*static_cast<DriveComboBox*>(control), child, code);
      break;
    default:
      break;
  }
}

// A GDI object selected into a device context for a while, then deleted.
class Selected {
 public:
  Selected(HDC dc, HGDIOBJ object) : dc_(dc), object_(object), old_(SelectObject(dc, object)) {}
  ~Selected() {
    SelectObject(dc_, old_);
    DeleteObject(object_);
  }
  Selected(const Selected&) = delete;
  Selected& operator=(const Selected&) = delete;

 private:
  HDC dc_;
  HGDIOBJ object_;
  HGDIOBJ old_;
};

// A folder of 15 x 11 pixels at x, y; an open one shows its front flap.
void DrawFolder(HDC dc, int x, int y, bool open) {
  Selected pen(dc, CreatePen(PS_SOLID, 1, RGB(128, 96, 0)));
  Selected brush(dc, CreateSolidBrush(RGB(255, 208, 80)));
  const POINT tab[] = {{x, y + 2}, {x + 1, y}, {x + 5, y}, {x + 6, y + 2}};
  Polygon(dc, tab, 4);
  Rectangle(dc, x, y + 2, x + 14, y + 11);
  if (!open) return;
  Selected flap(dc, CreateSolidBrush(RGB(255, 240, 176)));
  const POINT front[] = {{x, y + 10}, {x + 3, y + 5}, {x + 15, y + 5}, {x + 13, y + 10}};
  Polygon(dc, front, 4);
}

// The directory and the folders above it are open, its subfolders closed.
void DrawDirectoryItem(const DRAWITEMSTRUCT& item, const DirectoryListBox& list) {
  RECT rect = item.rcItem;
  const bool selected = item.itemState & ODS_SELECTED;
  FillRect(item.hDC, &rect, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  const int index = static_cast<int>(item.itemID);
  if (index >= 0 && index < static_cast<int>(list.Items().size())) {
    int x = rect.left + 2 + list.Level(index) * kIndent;
    DrawFolder(item.hDC, x, rect.top + (rect.bottom - rect.top - 11) / 2, index <= list.ItemIndex());
    RECT textRect = {x + 19, rect.top, rect.right, rect.bottom};
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    DrawTextA(item.hDC, list.Items()[static_cast<std::size_t>(index)].c_str(), -1, &textRect,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  }
  if (item.itemState & ODS_FOCUS) DrawFocusRect(item.hDC, &rect);
}

bool DrawItem(Form& form, const DRAWITEMSTRUCT& item) {
  Control* control = ControlOf(form, item.hwndItem);
  if (!control || control->Kind() != ControlKind::DirectoryListBox) return false;
  DrawDirectoryItem(item, *static_cast<DirectoryListBox*>(control));
  return true;
}

LRESULT Colors(Form& form, UINT message, HDC dc, HWND child) {
  Control* control = ControlOf(form, child);
  bool editable = control && (control->Kind() == ControlKind::Edit || control->Kind() == ControlKind::Memo);
  int background = message == WM_CTLCOLOREDIT || editable ? COLOR_WINDOW : COLOR_BTNFACE;
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  SetBkColor(dc, GetSysColor(background));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(background));
}

void Activate(HWND hwnd, Window& window, bool active) {
  if (!active) {
    HWND focus = GetFocus();
    if (focus && IsChild(hwnd, focus)) window.focus = focus;
    return;
  }
  HWND focus = window.focus && IsChild(hwnd, window.focus) ? window.focus
                                                           : GetNextDlgTabItem(hwnd, nullptr, FALSE);
  if (focus) SetFocus(focus);
}

LRESULT FormMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  if (message == WM_NCDESTROY) Untag(hwnd);
  Form* form = FormOf(hwnd);
  if (!form || !form->Window()) return DefWindowProcA(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_COMMAND:
      if (lParam) Command(*form, reinterpret_cast<HWND>(lParam), LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_MEASUREITEM:  // sent while the list is made, before it knows its control
      if (reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->CtlType != ODT_LISTBOX) break;
      reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = DirectoryListBox::kItemHeight;
      return TRUE;
    case WM_DRAWITEM:
      if (DrawItem(*form, *reinterpret_cast<DRAWITEMSTRUCT*>(lParam))) return TRUE;
      break;
    case WM_CLOSE:  // the close box, Alt+F4 or the system menu
      form->Close();
      return 0;
    case WM_KEYDOWN:
      if (IsDialogKey(message, wParam)) {
        DialogKey(*form, wParam);
        return 0;
      }
      break;
    case WM_NEXTDLGCTL: {  // Tab and arrows, from IsDialogMessage
      HWND next = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                                 : GetNextDlgTabItem(hwnd, GetFocus(), wParam != 0);
      if (next) SetFocus(next);
      return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
      return Colors(*form, message, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_ACTIVATE:
      if (!IsIconic(hwnd)) Activate(hwnd, *form->Window(), LOWORD(wParam) != WA_INACTIVE);
      return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK FormProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    return FormMessage(hwnd, message, wParam, lParam);
  } catch (...) {
    return 0;
  }
}

// Controls are subclassed the classic way, which needs no particular
// comctl32: the class's own procedure is kept in a property of the window.
constexpr char kProcProperty[] = "SetupWindowProc";

WNDPROC OriginalProc(HWND hwnd) { return reinterpret_cast<WNDPROC>(GetPropA(hwnd, kProcProperty)); }

// A memo whose description keeps Tab in it.
bool WantsTabs(HWND hwnd) {
  auto* control = reinterpret_cast<Control*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  return control && control->Kind() == ControlKind::Memo && (control->Desc().settings & kWantTabs);
}

LRESULT ControlMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const WNDPROC original = OriginalProc(hwnd);
  switch (message) {
    case WM_KEYDOWN:
      if (IsDialogKey(message, wParam)) {  // sent straight to the control, not through the loop
        Form* form = FormOf(GetAncestor(hwnd, GA_ROOT));
        if (!form || DialogKey(*form, wParam)) return 0;
      }
      // A multi-line edit in a dialog passes Tab on to the next control itself.
      if (wParam == VK_TAB && WantsTabs(hwnd)) return 0;
      break;
    case WM_GETDLGCODE: {
      LRESULT code = CallWindowProcA(original, hwnd, message, wParam, lParam);
      return WantsTabs(hwnd) ? code | DLGC_WANTTAB : code;
    }
    case WM_COMMAND:  // from the items of a radio group, for the form
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      // A combo box hears its own list this way.
      auto* control = reinterpret_cast<Control*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
      if (control && control->Kind() == ControlKind::DriveComboBox) break;
      return SendMessageA(GetParent(hwnd), message, wParam, lParam);
    }
    case WM_ERASEBKGND: {  // a group box leaves its inside to its parent
      auto* control = reinterpret_cast<Control*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
      if (!control || control->Kind() != ControlKind::RadioGroup || HwndOf(*control) != hwnd) break;
      RECT rect;
      GetClientRect(hwnd, &rect);
      FillRect(reinterpret_cast<HDC>(wParam), &rect, GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }
    case WM_NCDESTROY:
      Untag(hwnd);
      SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
      RemovePropA(hwnd, kProcProperty);
      break;
  }
  return CallWindowProcA(original, hwnd, message, wParam, lParam);
}

LRESULT CALLBACK ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    return ControlMessage(hwnd, message, wParam, lParam);
  } catch (...) {
    return 0;
  }
}

void Subclass(HWND hwnd) {
  SetPropA(hwnd, kProcProperty, reinterpret_cast<HANDLE>(GetWindowLongPtrA(hwnd, GWLP_WNDPROC)));
  SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ControlProc));
}

// --- set-up ---------------------------------------------------------------

void Startup() {
  if (formClass) return;
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = FormProc;
  windowClass.hInstance = Instance();
  windowClass.hIcon = LoadIconA(Instance(), MAKEINTRESOURCEA(kIconId));
  windowClass.hIconSm = static_cast<HICON>(
      LoadImageA(Instance(), MAKEINTRESOURCEA(kIconId), IMAGE_ICON, 16, 16, LR_SHARED));
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kFormClass;
  formClass = RegisterClassExA(&windowClass);
  if (!formClass) throw Exception(text::kOutOfMemory);
}

HWND MakeChild(DWORD exStyle, const char* windowClass, const std::string& text, DWORD style,
               const Bounds& bounds, HWND parent, HFONT font, int id, const void* owner,
               const std::string& name) {
  HWND hwnd = CreateWindowExA(exStyle, windowClass, text.c_str(), WS_CHILD | WS_VISIBLE | style,
                              bounds.left, bounds.top, bounds.width, bounds.height, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Instance(), nullptr);
  if (!hwnd) throw Exception(text::kOutOfMemory);
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
  SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  Tag(hwnd, name);
  Subclass(hwnd);
  return hwnd;
}

struct ControlClass {
  const char* name;
  DWORD style;
  DWORD exStyle;
};

ControlClass ClassOf(const ControlDesc& desc) {
  const unsigned s = desc.settings;
  const DWORD tab = s & kSkipTab ? 0 : WS_TABSTOP;
  const DWORD readOnly = s & kReadOnly ? ES_READONLY : 0;
  switch (desc.kind) {
    case ControlKind::Button:
      return {"BUTTON", static_cast<DWORD>(WS_TABSTOP | (s & kDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON)),
              0};
    case ControlKind::Label:
      return {"STATIC", static_cast<DWORD>(s & kRightAlign ? SS_RIGHT : SS_LEFTNOWORDWRAP), 0};
    case ControlKind::Edit:
      return {"EDIT", tab | readOnly | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case ControlKind::Memo:
      return {"EDIT",
              tab | readOnly | ES_MULTILINE |
                  (s & kVerticalScroll ? WS_VSCROLL | ES_AUTOVSCROLL : WS_HSCROLL | ES_AUTOHSCROLL),
              WS_EX_CLIENTEDGE};
    case ControlKind::RadioGroup:
      return {"BUTTON", BS_GROUPBOX, WS_EX_CONTROLPARENT};
    case ControlKind::ProgressBar:
      return {PROGRESS_CLASSA, 0, 0};
    case ControlKind::DriveComboBox:
      return {"COMBOBOX", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0};
    case ControlKind::DirectoryListBox:
      return {"LISTBOX",
              WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT,
              WS_EX_CLIENTEDGE};
  }
  return {"STATIC", 0, 0};
}

int IndexOf(const Control& control) {
  const auto& controls = control.Owner().Controls();
  for (std::size_t i = 0; i < controls.size(); ++i)
    if (controls[i].get() == &control) return static_cast<int>(i);
  return 0;
}

// Centred on the screen, the client area as described.
void Place(HWND hwnd, const Form& form) {
  RECT rect = {0, 0, form.Desc().clientWidth, form.Desc().clientHeight};
  AdjustWindowRectEx(&rect, static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_EXSTYLE)));
  int width = rect.right - rect.left;
  int height = rect.bottom - rect.top;
  SetWindowPos(hwnd, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

// Keyboard messages for our forms go the dialog way first.
bool PreTranslate(MSG& msg) {
  HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
  Form* form = FormOf(root);
  if (!form) return false;
  if (IsDialogKey(msg.message, msg.wParam) && DialogKey(*form, msg.wParam)) return true;
  return IsDialogMessageA(root, &msg) != FALSE;
}

// A form on screen for one run, its owner (if any) disabled meanwhile.
class Showing {
 public:
  Showing(HWND hwnd, HWND owner) : hwnd_(hwnd), owner_(owner) {
    if (owner_) EnableWindow(owner_, FALSE);
    ShowWindow(hwnd_, SW_SHOW);
  }
  // The owner is enabled before the form hides, so that it becomes the
  // active window rather than some other program.
  ~Showing() {
    if (owner_) EnableWindow(owner_, TRUE);
    ShowWindow(hwnd_, SW_HIDE);
  }
  Showing(const Showing&) = delete;
  Showing& operator=(const Showing&) = delete;

 private:
  HWND hwnd_;
  HWND owner_;
};

}  // namespace

WindowPtr CreateFormWindow(Form& form) {
  Startup();
  WindowPtr window(new Window);
  window->font = CreateFontA(-kFontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH | FF_DONTCARE, text::kFontName);
  HWND owner = form.Owner() && form.Owner()->Window() ? form.Owner()->Window()->hwnd : nullptr;
  BorderIcons icons = form.GetBorderIcons();
  window->hwnd = CreateWindowExA(FormExStyle(icons), kFormClass, form.Caption().c_str(),
                                 FormStyle(icons), 0, 0, form.Desc().clientWidth,
                                 form.Desc().clientHeight, owner, nullptr, Instance(), &form);
  if (!window->hwnd) throw Exception(text::kOutOfMemory);
  Tag(window->hwnd, form.Desc().name);
  return window;
}

// The closed field of a drive combo box keeps the height described; the
// rest of the window is its drop-down list.
void FillDrives(HWND hwnd, const DriveComboBox& combo) {
  SendMessageA(hwnd, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1),
               combo.Desc().bounds.height - 2 * GetSystemMetrics(SM_CYEDGE) - 2);
  for (const std::string& item : combo.Items())
    SendMessageA(hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

WindowPtr CreateControlWindow(Control& control) {
  const ControlDesc& desc = control.Desc();
  const ControlClass kind = ClassOf(desc);
  Bounds bounds = desc.bounds;
  if (desc.kind == ControlKind::DriveComboBox) bounds.height += kDropDownHeight;
  WindowPtr window(new Window);
  window->hwnd = MakeChild(kind.exStyle, kind.name, control.Text(), kind.style, bounds,
                           control.Owner().Window()->hwnd, control.Owner().Window()->font,
                           kFirstControlId + IndexOf(control), &control, desc.name);
  if (desc.kind == ControlKind::Label) FitLabel(window->hwnd, control);
  if (desc.kind == ControlKind::ProgressBar)
    SyncProgress(window->hwnd, static_cast<const ProgressBar&>(control));
  if (desc.kind == ControlKind::DriveComboBox) {
    FillDrives(window->hwnd, static_cast<const DriveComboBox&>(control));
    SendMessageA(window->hwnd, CB_SETCURSEL, static_cast<WPARAM>(static_cast<DriveComboBox&>(control).ItemIndex()), 0);
  }
  return window;
}

void* NativeHandle(const Form& form) { return form.Window() ? form.Window()->hwnd : nullptr; }

void ShowCaption(Form& form) { SetWindowTextA(form.Window()->hwnd, form.Caption().c_str()); }

void ShowBorderIcons(Form& form) {
  HWND hwnd = form.Window()->hwnd;
  const LONG_PTR iconStyles = WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  LONG_PTR style = GetWindowLongPtrA(hwnd, GWL_STYLE) & ~iconStyles;
  SetWindowLongPtrA(hwnd, GWL_STYLE, style | FormStyle(form.GetBorderIcons()));
  LONG_PTR exStyle = GetWindowLongPtrA(hwnd, GWL_EXSTYLE) & ~static_cast<LONG_PTR>(WS_EX_CONTEXTHELP);
  SetWindowLongPtrA(hwnd, GWL_EXSTYLE, exStyle | FormExStyle(form.GetBorderIcons()));
  SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void ShowText(Control& control) {
  HWND hwnd = HwndOf(control);
  if (!hwnd) return;
  SetWindowTextA(hwnd, control.Text().c_str());
  if (control.Kind() == ControlKind::Label) FitLabel(hwnd, control);
}

void ShowItems(RadioGroup& group) {
  Window* window = group.Window();
  if (!window) return;
  while (window->items.size() < group.Items().size()) {
    int index = static_cast<int>(window->items.size());
    DWORD style = BS_AUTORADIOBUTTON | (index == 0 ? WS_GROUP : 0);
    window->items.push_back(MakeChild(0, "BUTTON", group.Items()[static_cast<std::size_t>(index)],
                                      style, Bounds{0, 0, 0, 0}, window->hwnd,
                                      group.Owner().Window()->font, kFirstItemId + index, &group,
                                      group.ItemName(index)));
  }
  ArrangeItems(group);
  ShowItemIndex(group);
}

// The chosen item is the group's one tab stop; the first when none is.
void ShowItemIndex(RadioGroup& group) {
  Window* window = group.Window();
  if (!window) return;
  int chosen = group.ItemIndex();
  for (std::size_t i = 0; i < window->items.size(); ++i) {
    bool on = static_cast<int>(i) == chosen;
    SendMessageA(window->items[i], BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    SetStyleBit(window->items[i], WS_TABSTOP, on || (chosen < 0 && i == 0));
  }
}

void ShowLines(Memo& memo) {
  if (HWND hwnd = HwndOf(memo)) SetWindowTextA(hwnd, JoinLines(memo.Lines()).c_str());
}

void ShowProgress(ProgressBar& bar) {
  if (HWND hwnd = HwndOf(bar)) SyncProgress(hwnd, bar);
}

void ShowDrive(DriveComboBox& combo) {
  if (HWND hwnd = HwndOf(combo)) SendMessageA(hwnd, CB_SETCURSEL, static_cast<WPARAM>(combo.ItemIndex()), 0);
}

void ShowDirectory(DirectoryListBox& list) {
  HWND hwnd = HwndOf(list);
  if (!hwnd) return;
  SendMessageA(hwnd, WM_SETREDRAW, FALSE, 0);
  SendMessageA(hwnd, LB_RESETCONTENT, 0, 0);
  for (const std::string& item : list.Items())
    SendMessageA(hwnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  SendMessageA(hwnd, LB_SETCURSEL, static_cast<WPARAM>(list.ItemIndex()), 0);
  SendMessageA(hwnd, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(hwnd, nullptr, TRUE);
}

void RunForm(Form& form, bool modal) {
  HWND hwnd = form.Window()->hwnd;
  Place(hwnd, form);
  Form* owner = modal ? form.Owner() : nullptr;
  Showing showing(hwnd, owner && owner->Window() ? owner->Window()->hwnd : nullptr);
  MSG msg;
  while (!form.Closed()) {
    BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));  // for the outer runs
      form.Close();
      break;
    }
    if (!PreTranslate(msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
}

// A message sent from another thread or process is handled inside
// GetMessage, which returns only for a posted one.
void WakeRun(Form& form) { PostMessageA(form.Window()->hwnd, WM_NULL, 0, 0); }

int ShowMessageBox(Form* owner, const std::string& text, const std::string& caption,
                   unsigned flags) {
  HWND hwnd = owner && owner->Window() ? owner->Window()->hwnd : nullptr;
  return MessageBoxA(hwnd, text.c_str(), caption.c_str(), flags);
}

std::string ModuleFileName() {
  char path[MAX_PATH] = {};
  DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  return std::string(path, length);
}

}  // namespace backend
}  // namespace ui
