// The sample distribution's uninstaller: a stand-in that only says what it
// is, so that the installer has a UNINST.EXE to copy, link and register.
#include <windows.h>

#include "app/texts.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  MessageBoxA(nullptr, text::kSampleUninstaller, text::kCaptionInformation, MB_OK | MB_ICONINFORMATION);
  return 0;
}
