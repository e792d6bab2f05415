// Screenshots of a window as it shows on the screen, saved as BMP files, and
// the standard icon a message box shows, told from its pixels.
#pragma once

#include <windows.h>

#include <string>

namespace capture {

// Copies the window's screen rectangle (frame included, and whatever covers
// it, as a user would see it) into a 24-bit BMP file at path (UTF-8).
void SaveWindow(HWND window, const std::string& path);

// "information", "question", "warning" or "error": the standard icon whose
// drawing matches the pixels of the box's icon control; "none" when the box
// shows no icon. A handle of the icon itself is of no use here: it belongs
// to the program's process.
std::string MessageBoxIcon(HWND box);

}  // namespace capture
