#include "platform/shell.h"

#include <windows.h>

#include <shellapi.h>

namespace platform {
namespace {

// The call gives the value's length when it fits with its terminator and
// the size it would need otherwise; 0 when unset or empty.
bool ReadEnvironment(const char* name, char* buffer, std::size_t size) {
  DWORD length = GetEnvironmentVariableA(name, buffer, static_cast<DWORD>(size));
  return length > 0 && length < size;
}

// Values above 32 mean the program started.
bool StartProgram(void* ownerWindow, const char* path) {
  HINSTANCE result =
      ShellExecuteA(static_cast<HWND>(ownerWindow), "open", path, nullptr, nullptr, SW_SHOW);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

}  // namespace

ShellApi Shell = {ReadEnvironment, StartProgram};

}  // namespace platform
