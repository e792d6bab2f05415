#include "files.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "platform/lzfile.h"
#include "tool_error.h"

namespace fs = std::filesystem;

namespace {

// A temporary file that is removed unless it was renamed into place.
class PendingFile {
 public:
  explicit PendingFile(const fs::path& final) : final_(final) {
    path_ = final;
    path_ += ".tmp" + std::to_string(std::random_device{}());
  }
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;
  ~PendingFile() {
    std::error_code ignored;
    if (!committed_) fs::remove(path_, ignored);
  }

  const fs::path& path() const { return path_; }

  void Commit() {
    fs::rename(path_, final_);
    committed_ = true;
  }

 private:
  fs::path final_;
  fs::path path_;
  bool committed_ = false;
};

}  // namespace

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ToolError(path + ": cannot be opened");
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw ToolError(path + ": cannot be read");
  return bytes;
}

void WriteFileAtomically(const std::string& path, std::string_view bytes) {
  PendingFile pending(path);
  {
    std::ofstream out(pending.path(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw ToolError(path + ": cannot be written");
  }
  try {
    pending.Commit();
  } catch (const fs::filesystem_error& e) {
    throw ToolError(path + ": cannot be written (" + e.code().message() + ")");
  }
}

std::string ReadThroughLz(const std::string& path) {
  struct LzFile {
    int handle;
    ~LzFile() {
      if (handle >= 0) platform::Lz.Close(handle);
    }
  };
  LzFile file{platform::Lz.Open(path.c_str())};
  if (file.handle < 0) throw ToolError(path + ": cannot be opened");
  std::string bytes;
  char chunk[65536];
  std::int32_t got;
  while ((got = platform::Lz.Read(file.handle, chunk, sizeof chunk)) > 0)
    bytes.append(chunk, static_cast<std::size_t>(got));
  return bytes;
}
