// Files and folders by their Windows path. Native builds map drive letters
// to host folders, as Wine's dosdevices do, so the same paths work in tests.
#pragma once

#include <string>

namespace platform {

struct FileApi {
  // True only for an existing file, false for a folder.
  bool (*FileExists)(const char* path);
  bool (*DirectoryExists)(const char* path);
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
