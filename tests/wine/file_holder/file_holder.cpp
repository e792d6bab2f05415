// Holds the file given on its command line open for exclusive use (share
// mode 0), as another program that locks a file would, until its stdin
// closes or it is killed. Prints "held" once the file is open, so that a
// test can wait for that instead of sleeping.
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: file_holder PATH\n", stderr);
    return 2;
  }
  HANDLE file = CreateFileA(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    std::fprintf(stderr, "CreateFile failed: %lu\n", GetLastError());
    return 1;
  }
  std::puts("held");
  std::fflush(stdout);
  while (std::getchar() != EOF) {
  }
  CloseHandle(file);
  return 0;
}
