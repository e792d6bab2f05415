#include "platform/shell.h"

#include <cstdlib>
#include <cstring>

#include "platform/files.h"

namespace platform {
namespace {

bool ReadEnvironment(const char* name, char* buffer, std::size_t size) {
  const char* value = std::getenv(name);
  if (!value || !*value) return false;
  std::size_t length = std::strlen(value);
  if (length >= size) return false;
  std::memcpy(buffer, value, length + 1);
  return true;
}

// The shell refuses a file that is not there.
bool StartProgram(void* ownerWindow, const char* path) {
  if (!Files.FileExists(path)) return false;
  StartedPrograms().push_back({ownerWindow, path});
  return true;
}

}  // namespace

ShellApi Shell = {ReadEnvironment, StartProgram};

std::vector<StartedProgram>& StartedPrograms() {
  static std::vector<StartedProgram> started;
  return started;
}

}  // namespace platform
