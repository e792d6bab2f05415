#include "platform/files.h"

#include "platform/codepage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
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

// Patterns are taken literally: the native build has no wildcard search.
bool FindFirstEntry(const char* pattern, DirectoryEntry* entry) {
  std::string path = pattern;
  if (path.empty() || path.back() == '\\') return false;  // a trailing backslash matches nothing
  struct stat info;
  if (!StatHost(pattern, &info)) return false;
  auto size = static_cast<std::uint64_t>(info.st_size);
  if (S_ISDIR(info.st_mode)) size = 0;
  *entry = DirectoryEntry{S_ISDIR(info.st_mode) ? kAttributeDirectory : 0x20u,
                          static_cast<std::uint32_t>(size), static_cast<std::uint32_t>(size >> 32)};
  return true;
}

// 512-byte sectors, clusters of the host file system's fragment size, and at
// most 2^32 - 1 free clusters, as Windows caps them.
bool DiskFreeSpace(const char* root, DiskSpace* space) {
  std::string host = HostPath(root);
  struct statvfs info;
  if (host.empty() || ::statvfs(host.c_str(), &info) != 0) return false;
  auto cap = [](std::uint64_t n) { return static_cast<std::uint32_t>(std::min<std::uint64_t>(n, 0xFFFFFFFFu)); };
  std::uint64_t fragment = info.f_frsize ? info.f_frsize : info.f_bsize;
  *space = DiskSpace{cap(fragment / 512), 512, cap(info.f_bavail), cap(info.f_blocks)};
  return true;
}

// Handles are descriptors + 1, so that null stays "no file".
FileHandle ToHandle(int fd) { return fd < 0 ? nullptr : reinterpret_cast<FileHandle>(std::intptr_t{fd} + 1); }
int ToDescriptor(FileHandle file) { return static_cast<int>(reinterpret_cast<std::intptr_t>(file) - 1); }

// Share modes have no equivalent here and are ignored.
FileHandle OpenForReading(const char* path, std::uint32_t) {
  std::string host = HostPath(path);
  return host.empty() ? nullptr : ToHandle(::open(host.c_str(), O_RDONLY | O_CLOEXEC));
}

// A file without write permission stands for a read-only one, which Windows
// refuses to overwrite even for an administrator.
FileHandle CreateForWriting(const char* path, std::uint32_t) {
  std::string host = HostPath(path);
  struct stat info;
  if (host.empty() || (::stat(host.c_str(), &info) == 0 && !(info.st_mode & S_IWUSR))) return nullptr;
  return ToHandle(::open(host.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
}

bool Read(FileHandle file, void* buffer, std::uint32_t count, std::uint32_t* moved) {
  ssize_t done = ::read(ToDescriptor(file), buffer, count);
  *moved = done > 0 ? static_cast<std::uint32_t>(done) : 0;
  return done >= 0;
}

bool Write(FileHandle file, const void* buffer, std::uint32_t count, std::uint32_t* moved) {
  ssize_t done = ::write(ToDescriptor(file), buffer, count);
  *moved = done > 0 ? static_cast<std::uint32_t>(done) : 0;
  return done >= 0;
}

void Close(FileHandle file) { ::close(ToDescriptor(file)); }

bool Copy(const char* source, const char* target) {
  std::string from = HostPath(source);
  std::string to = HostPath(target);
  std::error_code error;
  if (from.empty() || to.empty()) return false;
  if (!std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing, error))
    return false;
  std::filesystem::permissions(to, std::filesystem::status(from).permissions(), error);
  return !error;
}

bool ClearAttributes(const char* path) {
  std::string host = HostPath(path);
  struct stat info;
  return !host.empty() && ::stat(host.c_str(), &info) == 0 && ::chmod(host.c_str(), info.st_mode | S_IWUSR) == 0;
}

void CreateDirectories(const char* path) {
  std::string host = HostPath(path);
  std::error_code ignored;
  if (!host.empty()) std::filesystem::create_directories(host, ignored);
}

bool MoveOver(const char* source, const char* target) {
  std::string from = HostPath(source);
  std::string to = HostPath(target);
  return !from.empty() && !to.empty() && ::rename(from.c_str(), to.c_str()) == 0;
}

bool Remove(const char* path) {
  std::string host = HostPath(path);
  return !host.empty() && ::unlink(host.c_str()) == 0;
}

// The mapped drives stand for the drives in use.
std::string DriveLetters() {
  std::string letters;
  for (const auto& drive : Drives()) letters += drive.first;
  return letters;
}

// A name that starts with a dot counts as hidden, as Wine takes it.
bool ListSubfolders(const char* directory, std::vector<std::string>* names) {
  std::string host = HostPath(directory);
  std::error_code error;
  if (host.empty()) return false;
  std::filesystem::directory_iterator entries(host, error);
  if (error) return false;
  names->clear();
  for (const auto& entry : entries) {
    std::string name = entry.path().filename().string();
    if (name[0] != '.' && entry.is_directory(error)) names->push_back(name);
  }
  return true;
}

}  // namespace

FileApi Files = {FileExists,       DirectoryExists,   FindFirstEntry, DiskFreeSpace,  OpenForReading,
                 CreateForWriting, Read,              Write,          Close,          Copy,
                 ClearAttributes,  CreateDirectories, MoveOver,       Remove,         DriveLetters,
                 ListSubfolders};

void MapDrive(char letter, const std::string& hostFolder) {
  Drives()[static_cast<char>(std::toupper(static_cast<unsigned char>(letter)))] = hostFolder;
}

void UnmapAllDrives() { Drives().clear(); }

std::string HostPath(const std::string& windowsPath) {
  if (windowsPath.size() < 2 || windowsPath[1] != ':') return windowsPath;
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
