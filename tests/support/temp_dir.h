// A fresh folder for one test, removed with everything in it afterwards.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The native form of path() / name, as the program's byte-string paths take it.
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  std::string Write(const std::string& name, const std::string& bytes) const;
  // The folder as the program names it, ending in a backslash: natively a
  // drive letter mapped to it, under Wine its own Windows path.
  std::string WindowsPath(char driveLetter) const;

 private:
  std::filesystem::path path_;
};

std::string ReadFileBytes(const std::string& path);
