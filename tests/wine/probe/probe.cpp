// A small window that stands in for the installer's dialogs while the
// end-to-end harness is proved: Japanese texts in code page 932, a default
// button, a radio group, a read-only edit, a progress bar, a message box, and
// an exit code that tells which way the window was left:
//   OK (or Enter): 10 + the index of the checked radio item
//   Cancel (or Esc): 2; the close box: 3.
// Compiled with -fexec-charset=CP932, like the installer's texts.
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <type_traits>
#include <vector>

#include "app/texts.h"

namespace {

enum : int { kIdRadio0 = 101, kIdRadio1, kIdAsk, kIdEdit, kIdProgress, kIdLabel, kIdGroup };
enum : int { kExitCancel = 2, kExitCloseBox = 3, kExitOkBase = 10 };
constexpr int kProgressMax = 300000;  // beyond 16 bits, as the install bars go
constexpr int kProgressStep = 100000;
constexpr char kCaption[] = "動作確認";
constexpr char kClassName[] = "ProbeForm";

struct ControlSpec {
  const char* name;  // the form name, as the dialog layer stores it
  const char* className;
  const char* text;
  int id;
  DWORD style;
  int x, y, width, height;
};

const ControlSpec kControls[] = {
    {"lblDirectory", "STATIC", text::kLabelDirectory, kIdLabel, 0, 12, 12, 336, 16},
    {"edtDirectory", "EDIT", "C:\\ソフト\\表示\\", kIdEdit,
     WS_BORDER | ES_READONLY | ES_AUTOHSCROLL | WS_TABSTOP, 12, 32, 336, 22},
    {"rgPackage", "BUTTON", text::kGroupPackage, kIdGroup, BS_GROUPBOX, 12, 62, 336, 64},
    {"rgPackage.0", "BUTTON", "標準(&S)", kIdRadio0, BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP,
     24, 82, 150, 18},
    {"rgPackage.1", "BUTTON", "最小(&M)", kIdRadio1, BS_AUTORADIOBUTTON, 24, 102, 150, 18},
    {"pbCopy", PROGRESS_CLASSA, "", kIdProgress, WS_GROUP, 12, 136, 336, 16},
    {"btnAsk", "BUTTON", "確認(&A)", kIdAsk, BS_PUSHBUTTON | WS_GROUP | WS_TABSTOP, 12, 168, 100, 26},
    {"btnOK", "BUTTON", "OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 160, 168, 90, 26},
    {"btnCancel", "BUTTON", "キャンセル", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 258, 168, 90, 26},
};

struct FontDeleter {
  void operator()(HFONT font) const { DeleteObject(font); }
};
using Font = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

// Global atoms outlive a process unless deleted.
struct Atoms {
  std::vector<ATOM> atoms;
  ~Atoms() {
    for (ATOM a : atoms) GlobalDeleteAtom(a);
  }
};

int exitCode = 0;

void Finish(HWND window, int code) {
  exitCode = code;
  DestroyWindow(window);
}

int CheckedRadio(HWND window) {
  return IsDlgButtonChecked(window, kIdRadio1) == BST_CHECKED ? 1 : 0;
}

void Ask(HWND window) {
  int answer = MessageBoxA(window, text::kProductRunning, text::kCaptionError, MB_OKCANCEL | MB_ICONSTOP);
  if (answer == IDOK) SendDlgItemMessageA(window, kIdProgress, PBM_DELTAPOS, kProgressStep, 0);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK: Finish(window, kExitOkBase + CheckedRadio(window)); return 0;
        case IDCANCEL: Finish(window, kExitCancel); return 0;
        case kIdAsk: Ask(window); return 0;
      }
      break;
    case WM_CLOSE:
      Finish(window, kExitCloseBox);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(exitCode);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateForm(HINSTANCE instance, HFONT font, Atoms& names) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  if (!RegisterClassA(&wc)) return nullptr;

  DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT r{0, 0, 360, 206};
  AdjustWindowRectEx(&r, style, FALSE, WS_EX_CONTROLPARENT);
  HWND form = CreateWindowExA(WS_EX_CONTROLPARENT, kClassName, kCaption, style, 100, 100,
                              r.right - r.left, r.bottom - r.top, nullptr, nullptr, instance, nullptr);
  if (!form) return nullptr;
  for (const auto& c : kControls) {
    HWND control = CreateWindowExA(c.id == kIdEdit ? WS_EX_CLIENTEDGE : 0, c.className, c.text,
                                   WS_CHILD | WS_VISIBLE | c.style, c.x, c.y, c.width, c.height, form,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance, nullptr);
    if (!control) return nullptr;
    names.atoms.push_back(GlobalAddAtomA(c.name));
    SetPropA(control, "ControlName", reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(names.atoms.back())));
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  SendDlgItemMessageA(form, kIdProgress, PBM_SETRANGE32, 0, kProgressMax);
  CheckDlgButton(form, kIdRadio0, BST_CHECKED);
  return form;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&icc);
  Font font(CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, text::kFontName));
  Atoms names;
  HWND form = CreateForm(instance, font.get(), names);
  if (!form) return 1;
  ShowWindow(form, show);
  SetFocus(GetDlgItem(form, IDOK));

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (IsDialogMessageA(form, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}
