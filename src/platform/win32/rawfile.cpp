// The run-time library's raw file calls: binary mode, not inherited by the
// programs the installer starts.
#include "platform/rawfile.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

namespace platform {
namespace {

int Flags(RawOpenMode mode) {
  switch (mode) {
    case RawOpenMode::Fresh: return _O_CREAT | _O_TRUNC;
    case RawOpenMode::Append: return _O_APPEND;
    case RawOpenMode::Restart: return _O_TRUNC;
  }
  return 0;
}

int Open(const char* path, RawOpenMode mode) {
  int fd = _open(path, _O_WRONLY | _O_BINARY | _O_NOINHERIT | Flags(mode), _S_IREAD | _S_IWRITE);
  return fd >= 0 ? fd : -1;
}

bool Write(int handle, const char* bytes, std::size_t count) {
  while (count > 0) {
    int written = _write(handle, bytes, static_cast<unsigned>(count));
    if (written <= 0) return false;
    bytes += written;
    count -= static_cast<std::size_t>(written);
  }
  return true;
}

void Close(int handle) { _close(handle); }

}  // namespace

RawFileApi RawFile = {Open, Write, Close};

}  // namespace platform
