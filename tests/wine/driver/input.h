// Acting on the program's windows as a user would. Every action first checks
// that a user could reach the control: it and its top-level window visible
// and enabled (a window disabled under a modal one takes no input).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace input {

// BM_CLICK, posted so that a handler which opens a modal window does not
// block the driver.
void Click(HWND button);
// Real left clicks at a point of the window's client area (its centre when
// point is null), for controls that have no click message. Two clicks go in
// one batch, so that they form a double-click however busy the machine is.
void MouseClick(HWND window, const POINT* point, int clicks = 1);
// Key names such as "Enter", "Esc", "Tab", "Shift+Tab", "Alt+C", "Down",
// typed into the window after making it the foreground window. SendInput,
// not posted WM_KEYDOWN: the keys then reach the focus as a user's do, and
// the keyboard state agrees with them, which Shift+Tab and the access keys
// depend on. Under Wine's virtual desktop (tests/wine/wine-env.sh) Wine
// alone decides the foreground, so no X window manager can take it away.
void TypeKeys(HWND window, const std::vector<std::string>& keys);
// The close box: WM_SYSCOMMAND SC_CLOSE, refused when the window has none.
void CloseBox(HWND window);

}  // namespace input
