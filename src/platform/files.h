// Files and folders by their Windows path. Native builds map drive letters
// to host folders, as Wine's dosdevices do, so the same paths work in tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

constexpr std::uint32_t kAttributeDirectory = 0x10;

struct DirectoryEntry {
  std::uint32_t attributes = 0;
  std::uint32_t sizeLow = 0;
  std::uint32_t sizeHigh = 0;
};

struct DiskSpace {
  std::uint32_t sectorsPerCluster = 0;
  std::uint32_t bytesPerSector = 0;
  std::uint32_t freeClusters = 0;
  std::uint32_t totalClusters = 0;
};

using FileHandle = void*;  // null: no file

// Share modes, as CreateFileA takes them.
constexpr std::uint32_t kShareNone = 0;
constexpr std::uint32_t kShareRead = 1;
constexpr std::uint32_t kShareWrite = 2;

struct FileApi {
  // True only for an existing file, false for a folder.
  bool (*FileExists)(const char* path);
  bool (*DirectoryExists)(const char* path);
  // The first directory entry the pattern matches; false when none does.
  bool (*FindFirstEntry)(const char* pattern, DirectoryEntry* entry);
  // The volume that holds the root path; false when it cannot be queried.
  bool (*DiskFreeSpace)(const char* root, DiskSpace* space);

  // An existing file opened for reading; null on failure.
  FileHandle (*OpenForReading)(const char* path, std::uint32_t shareMode);
  // A file created, or truncated when it exists, for writing; null on
  // failure (a read-only file included).
  FileHandle (*CreateForWriting)(const char* path, std::uint32_t shareMode);
  // Synchronous; *moved is the number of bytes read or written.
  bool (*Read)(FileHandle file, void* buffer, std::uint32_t count, std::uint32_t* moved);
  bool (*Write)(FileHandle file, const void* buffer, std::uint32_t count, std::uint32_t* moved);
  void (*Close)(FileHandle file);
  // Copies a file, attributes included, over any existing target.
  bool (*CopyFile)(const char* source, const char* target);
  // Clears every attribute (read-only included).
  bool (*ClearAttributes)(const char* path);
  // Creates the folder and every missing parent; the result is not reported.
  void (*CreateDirectories)(const char* path);
  // Moves a file to target, replacing a file there; false when nothing
  // moved.
  bool (*MoveOver)(const char* source, const char* target);
  // Deletes a file; false when it could not be deleted.
  bool (*Remove)(const char* path);

  // The letters of the drives in use, upper case and in order ("CDZ").
  std::string (*DriveLetters)();
  // The names of a folder's subfolders in no particular order, without "."
  // and ".." and without hidden ones; false when it cannot be listed.
  bool (*ListSubfolders)(const char* directory, std::vector<std::string>* names);
};

// The real implementation; tests may replace entries and must restore them.
extern FileApi Files;

// The whole content of a file, read through Files; false when it cannot be
// opened or read.
bool ReadWholeFile(const std::string& path, std::string* bytes);

#ifndef _WIN32
// Makes "X:\..." name hostFolder/...; an unmapped drive names nothing.
void MapDrive(char letter, const std::string& hostFolder);
void UnmapAllDrives();
// The host path of a Windows path; empty when its drive is not mapped. A
// path without a drive letter is taken as a host path already.
std::string HostPath(const std::string& windowsPath);
#endif

}  // namespace platform
