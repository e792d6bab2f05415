// Entry point of INSTALL.EXE.
#include <windows.h>

#include "app/paths.h"
#include "app/state.h"
#include "package/loader.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char exeName[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exeName, sizeof exeName);
  State.PackagePath = ChangeFileExt(exeName, ".PKG");
  State.PackageBlock = LoadPackage(State.PackagePath);
  if (State.PackageBlock) platform::Memory.Free(State.PackageBlock);
  return 0;
}
