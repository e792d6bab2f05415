// Entry point of INSTALL.EXE.
#include <windows.h>

#include "app/startup.h"

namespace {

// A setup program is often run from a downloads folder, where anyone may
// have left a DLL named like a system one. Every system library but
// kernel32 is delay-loaded (src/CMakeLists.txt), so this runs before any of
// them is looked for. SetDefaultDllDirectories is missing on Windows 7
// without KB2533623; there only the current directory can be taken out of
// the search, the program's own folder stays in it.
void SearchSystemFolderOnly() {
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")));
  if (setDefault == nullptr || !setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) SetDllDirectoryA("");
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  SearchSystemFolderOnly();
  return RunInstaller();
}
