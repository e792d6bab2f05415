// Built on the file seam alone, so it is the same code on every platform.
#include "platform/files.h"

namespace platform {

bool ReadWholeFile(const std::string& path, std::string* bytes) {
  FileHandle file = Files.OpenForReading(path.c_str(), kShareRead);
  if (!file) return false;
  bytes->clear();
  char chunk[16384];
  std::uint32_t got = 0;
  bool ok;
  while ((ok = Files.Read(file, chunk, sizeof chunk, &got)) && got > 0) bytes->append(chunk, got);
  Files.Close(file);
  return ok;
}

}  // namespace platform
