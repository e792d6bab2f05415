// The sample product's main program: a stand-in that only says what it is,
// so that the shortcuts the installer makes lead somewhere.
#include <windows.h>

#include "app/texts.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  MessageBoxA(nullptr, text::kSampleViewer, text::kCaptionInformation, MB_OK | MB_ICONINFORMATION);
  return 0;
}
