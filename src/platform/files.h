// Files and folders by their Windows path. Native builds map drive letters
// to host folders, as Wine's dosdevices do, so the same paths work in tests.
#pragma once

#include <cstdint>
#include <string>

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

struct FileApi {
  // True only for an existing file, false for a folder.
  bool (*FileExists)(const char* path);
  bool (*DirectoryExists)(const char* path);
  // The first directory entry the pattern matches; false when none does.
  bool (*FindFirstEntry)(const char* pattern, DirectoryEntry* entry);
  // The volume that holds the root path; false when it cannot be queried.
  bool (*DiskFreeSpace)(const char* root, DiskSpace* space);
};

// The real implementation; tests may replace entries and must restore them.
extern FileApi Files;

#ifndef _WIN32
// Makes "X:\..." name hostFolder/...; an unmapped drive names nothing.
void MapDrive(char letter, const std::string& hostFolder);
void UnmapAllDrives();
// The host path of a Windows path; empty when its drive is not mapped.
std::string HostPath(const std::string& windowsPath);
#endif

}  // namespace platform
