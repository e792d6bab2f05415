#include "platform/rawfile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "platform/files.h"

namespace platform {
namespace {

int Flags(RawOpenMode mode) {
  switch (mode) {
    case RawOpenMode::Fresh: return O_CREAT | O_TRUNC;
    case RawOpenMode::Append: return O_APPEND;
    case RawOpenMode::Restart: return O_TRUNC;
  }
  return 0;
}

// Drive letters name their mapped folders, as everywhere in the native
// build; a host path stays as it is.
int Open(const char* path, RawOpenMode mode) {
  std::string host = HostPath(path);
  if (host.empty()) return -1;
  int fd = ::open(host.c_str(), O_WRONLY | O_CLOEXEC | Flags(mode), 0666);
  return fd >= 0 ? fd : -1;
}

bool Write(int handle, const char* bytes, std::size_t count) {
  while (count > 0) {
    ssize_t written = ::write(handle, bytes, count);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes += written;
    count -= static_cast<std::size_t>(written);
  }
  return true;
}

void Close(int handle) { ::close(handle); }

}  // namespace

RawFileApi RawFile = {Open, Write, Close};

}  // namespace platform
