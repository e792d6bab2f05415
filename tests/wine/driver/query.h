// Finding the program's windows and reading what a user would see in them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "wire.h"

namespace win {

// "0x1a2b" on the wire; parsing fails unless the window still exists.
HWND ParseWindow(const std::string& field);
std::string FormatWindow(HWND window);

// Sends a message to a window of another process, failing instead of hanging
// when the program does not answer.
LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

// A control's text, asked of the program (WM_GETTEXT).
std::string Text(HWND window);
// A top-level window's caption, without asking the program.
std::string Caption(HWND window);
std::string ClassName(HWND window);

// Visible top-level windows, message boxes included, topmost first.
std::vector<HWND> TopLevelWindows();
// The first visible top-level window with exactly this caption (and class,
// unless empty); null when there is none.
HWND FindTopLevel(const std::string& caption, const std::string& className);

// hwnd, class, caption, pid, enabled, owner, left, top, right, bottom
wire::Fields DescribeWindow(HWND window);
// hwnd, name, class, text, id, enabled, visible, checked, left, top, right,
// bottom; the rectangle in the client coordinates of the top-level window.
wire::Fields DescribeControl(HWND control);
std::vector<HWND> Controls(HWND window);

// The items of a list box or combo box, each as its text and "1" when it is
// the selected one, else "0".
std::vector<wire::Fields> Items(HWND control);

// BM_GETCHECK of a check box or radio button; -1 for any other control.
int CheckState(HWND control);

}  // namespace win
