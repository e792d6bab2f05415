// The LZ reader as the Windows one behaves: a file that cannot be opened is
// tried once more under its compressed name (last character "_"), a file
// with an SZDD header of mode 'A' is expanded until its compressed data ends
// (the header's length is not consulted), and anything else is read as it
// stands.
#include "platform/lzfile.h"

#include "platform/files.h"

#include <fcntl.h>
#include <unistd.h>

#include <map>
#include <memory>
#include <string>

#include "package/szdd.h"

namespace platform {
namespace {

// Expanders of the open compressed files, by descriptor.
std::map<int, std::unique_ptr<SzddExpander>> expanders;

// The compressed form of a name: "A.TXT" -> "A.TX_", "A.C" -> "A.C_",
// "A" -> "A._"; the extension starts at the first dot of the file name.
std::string CompressedName(const std::string& path) {
  std::size_t nameStart = path.find_last_of("/\\");
  nameStart = nameStart == std::string::npos ? 0 : nameStart + 1;
  std::size_t dot = path.find('.', nameStart);
  if (dot == std::string::npos) return path + "._";
  if (path.size() - dot - 1 < 3) return path + "_";
  return path.substr(0, path.size() - 1) + "_";
}

std::size_t ReadFully(int fd, unsigned char* buffer, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    ssize_t got = ::read(fd, buffer + done, size - done);
    if (got <= 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

int Open(const char* path) {
  int fd = ::open(HostPath(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) fd = ::open(HostPath(CompressedName(path)).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  unsigned char header[kSzddHeaderSize];
  SzddHeader parsed;
  if (ParseSzddHeader(header, ReadFully(fd, header, sizeof header), &parsed)) {
    expanders[fd] = std::make_unique<SzddExpander>(
        [fd](unsigned char* buffer, std::size_t size) { return ReadFully(fd, buffer, size); });
  } else if (::lseek(fd, 0, SEEK_SET) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

std::int32_t Read(int handle, void* buffer, std::int32_t count) {
  if (count < 0) return -1;
  auto* bytes = static_cast<unsigned char*>(buffer);
  auto size = static_cast<std::size_t>(count);
  auto found = expanders.find(handle);
  std::size_t got =
      found == expanders.end() ? ReadFully(handle, bytes, size) : found->second->Read(bytes, size);
  return static_cast<std::int32_t>(got);
}

void Close(int handle) {
  expanders.erase(handle);
  ::close(handle);
}

}  // namespace

LzApi Lz = {Open, Read, Close};

}  // namespace platform
