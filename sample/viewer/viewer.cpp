// The sample product's main program: a stand-in that only says what it is,
// so that the shortcuts the installer makes lead somewhere. Compiled with
// -fexec-charset=CP932.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  MessageBoxA(nullptr, "みなとビューアはサンプル製品です。このプログラムは何もしません。", "みなとビューア",
              MB_OK | MB_ICONINFORMATION);
  return 0;
}
