// Holds the named mutex given on its command line, as a running product
// would, until its stdin closes or it is killed. Prints "held" once it owns
// the mutex, so that a test can wait for that instead of sleeping.
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: mutex_holder NAME\n", stderr);
    return 2;
  }
  HANDLE mutex = CreateMutexA(nullptr, TRUE, argv[1]);
  if (!mutex) {
    std::fprintf(stderr, "CreateMutex failed: %lu\n", GetLastError());
    return 1;
  }
  std::puts("held");
  std::fflush(stdout);
  while (std::getchar() != EOF) {
  }
  ReleaseMutex(mutex);
  CloseHandle(mutex);
  return 0;
}
