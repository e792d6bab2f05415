#include "platform/files.h"

#include "platform/codepage.h"

#include <sys/stat.h>

#include <cctype>
#include <map>

namespace platform {
namespace {

std::map<char, std::string>& Drives() {
  static std::map<char, std::string> drives;
  return drives;
}

bool StatHost(const char* path, struct stat* info) {
  std::string host = HostPath(path);
  return !host.empty() && ::stat(host.c_str(), info) == 0;
}

bool FileExists(const char* path) {
  struct stat info;
  return StatHost(path, &info) && !S_ISDIR(info.st_mode);
}

bool DirectoryExists(const char* path) {
  struct stat info;
  return StatHost(path, &info) && S_ISDIR(info.st_mode);
}

}  // namespace

FileApi Files = {FileExists, DirectoryExists};

void MapDrive(char letter, const std::string& hostFolder) {
  Drives()[static_cast<char>(std::toupper(static_cast<unsigned char>(letter)))] = hostFolder;
}

void UnmapAllDrives() { Drives().clear(); }

std::string HostPath(const std::string& windowsPath) {
  if (windowsPath.size() < 2 || windowsPath[1] != ':') return "";
  auto drive = Drives().find(static_cast<char>(std::toupper(static_cast<unsigned char>(windowsPath[0]))));
  if (drive == Drives().end()) return "";
  std::string rest = windowsPath.substr(2);
  // A 0x5C second byte of a double-byte character stays as it is.
  for (std::size_t i = 0; i < rest.size(); ++i) {
    if (IsAnsiLeadByte(static_cast<unsigned char>(rest[i])))
      ++i;
    else if (rest[i] == '\\')
      rest[i] = '/';
  }
  if (rest.empty() || rest[0] != '/') rest.insert(0, "/");
  return drive->second + rest;
}

}  // namespace platform
