// Stands in for a downloaded program: started without arguments, it writes
// the show command it was given into a file named after itself with ".ran"
// added, so that a test sees that it ran and how.
#include <windows.h>

#include <cstdio>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int show) {
  char path[MAX_PATH + 4];
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 1;
  lstrcatA(path, ".ran");
  char text[16];
  int size = std::snprintf(text, sizeof text, "shown %d", show);
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  BOOL ok = WriteFile(file, text, static_cast<DWORD>(size), &written, nullptr);
  CloseHandle(file);
  return ok ? 0 : 1;
}
