#include "support/temp_dir.h"

#include "platform/files.h"

#include <iterator>
#include <random>

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::random_device seed;
  for (;;) {
    fs::path candidate = fs::temp_directory_path() / ("setup-test-" + std::to_string(seed()));
    if (fs::create_directory(candidate)) {
      path_ = candidate;
      return;
    }
  }
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

std::string TempDir::Write(const std::string& name, const std::string& bytes) const {
  std::string file = File(name);
  std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return file;
}

std::string TempDir::WindowsPath(char driveLetter) const {
#ifdef _WIN32
  (void)driveLetter;
  return path_.string() + "\\";
#else
  platform::MapDrive(driveLetter, path_.string());
  return std::string(1, driveLetter) + ":\\";
#endif
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
