#include "platform/mutex.h"

#include <windows.h>

namespace platform {
namespace {

MutexHandle Open(const char* name) { return OpenMutexA(MUTEX_ALL_ACCESS, FALSE, name); }

MutexHandle Create(const char* name, bool* existed) {
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, nullptr, TRUE};
  HANDLE mutex = CreateMutexA(&attributes, TRUE, name);
  *existed = mutex && GetLastError() == ERROR_ALREADY_EXISTS;
  return mutex;
}

bool Release(MutexHandle mutex) { return ReleaseMutex(mutex) != FALSE; }

bool Close(MutexHandle mutex) { return CloseHandle(mutex) != FALSE; }

}  // namespace

MutexApi Mutex = {Open, Create, Release, Close};

}  // namespace platform
