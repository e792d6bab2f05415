// Plain files only for now; SZDD expansion joins in src/package/szdd.
#include "platform/lzfile.h"

#include <fcntl.h>
#include <unistd.h>

namespace platform {
namespace {

int Open(const char* path) {
  int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  return fd >= 0 ? fd : -1;
}

std::int32_t Read(int handle, void* buffer, std::int32_t count) {
  auto got = ::read(handle, buffer, static_cast<std::size_t>(count));
  return static_cast<std::int32_t>(got);
}

void Close(int handle) { ::close(handle); }

}  // namespace

LzApi Lz = {Open, Read, Close};

}  // namespace platform
