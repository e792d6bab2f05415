#include "platform/files.h"

#include <windows.h>

namespace platform {
namespace {

bool FileExists(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FindFirstEntry(const char* pattern, DirectoryEntry* entry) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  *entry = DirectoryEntry{found.dwFileAttributes, found.nFileSizeLow, found.nFileSizeHigh};
  return true;
}

bool DiskFreeSpace(const char* root, DiskSpace* space) {
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
  if (!GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters))
    return false;
  *space = DiskSpace{sectorsPerCluster, bytesPerSector, freeClusters, totalClusters};
  return true;
}

}  // namespace

FileApi Files = {FileExists, DirectoryExists, FindFirstEntry, DiskFreeSpace};

}  // namespace platform
