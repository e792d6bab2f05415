// The sample distribution's uninstaller: a stand-in that only says what it
// is, so that the installer has a UNINST.EXE to copy, link and register.
// Compiled with -fexec-charset=CP932.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  MessageBoxA(nullptr, "これはサンプルのアンインストーラーです。ファイルやレジストリは削除されません。",
              "アンインストール", MB_OK | MB_ICONINFORMATION);
  return 0;
}
