// Screenshots of a window as it shows on the screen, saved as BMP files.
#pragma once

#include <windows.h>

#include <string>

namespace capture {

// Copies the window's screen rectangle (frame included, and whatever covers
// it, as a user would see it) into a 24-bit BMP file at path (UTF-8).
void SaveWindow(HWND window, const std::string& path);

}  // namespace capture
