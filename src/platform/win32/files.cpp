#include "platform/files.h"

#include <windows.h>

#include <string>

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

FileHandle Open(const char* path, DWORD access, DWORD share, DWORD disposition) {
  HANDLE file = CreateFileA(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  return file == INVALID_HANDLE_VALUE ? nullptr : file;
}

FileHandle OpenForReading(const char* path, std::uint32_t shareMode) {
  return Open(path, GENERIC_READ, shareMode, OPEN_EXISTING);
}

FileHandle CreateForWriting(const char* path, std::uint32_t shareMode) {
  return Open(path, GENERIC_WRITE, shareMode, CREATE_ALWAYS);
}

bool Read(FileHandle file, void* buffer, std::uint32_t count, std::uint32_t* moved) {
  DWORD done = 0;
  bool ok = ReadFile(file, buffer, count, &done, nullptr) != FALSE;
  *moved = done;
  return ok;
}

bool Write(FileHandle file, const void* buffer, std::uint32_t count, std::uint32_t* moved) {
  DWORD done = 0;
  bool ok = WriteFile(file, buffer, count, &done, nullptr) != FALSE;
  *moved = done;
  return ok;
}

void Close(FileHandle file) { CloseHandle(file); }

bool Copy(const char* source, const char* target) { return CopyFileA(source, target, FALSE) != FALSE; }

bool ClearAttributes(const char* path) { return SetFileAttributesA(path, 0) != FALSE; }

// Parents first; a 0x5C second byte of a double-byte character is no
// separator.
void CreateDirectories(const char* path) {
  std::string text = path;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (IsDBCSLeadByte(static_cast<BYTE>(text[i]))) {
      ++i;
    } else if (text[i] == '\\' && i > 0 && text[i - 1] != ':' && text[i - 1] != '\\') {
      CreateDirectoryA(text.substr(0, i).c_str(), nullptr);
    }
  }
  CreateDirectoryA(path, nullptr);
}

bool MoveOver(const char* source, const char* target) {
  return MoveFileExA(source, target, MOVEFILE_REPLACE_EXISTING) != FALSE;
}

bool Remove(const char* path) { return DeleteFileA(path) != FALSE; }


// A letter whose root is not there is not offered.
std::string DriveLetters() {
  std::string letters;
  DWORD drives = GetLogicalDrives();
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    if (!(drives & (1u << (letter - 'A')))) continue;
    const char root[] = {letter, ':', '\\', '\0'};
    if (GetDriveTypeA(root) != DRIVE_NO_ROOT_DIR) letters += letter;
  }
  return letters;
}

// A drive without its disc fails quietly instead of asking the user.
class QuietErrors {
 public:
  QuietErrors() : previous_(SetErrorMode(SEM_FAILCRITICALERRORS)) {}
  ~QuietErrors() { SetErrorMode(previous_); }
  QuietErrors(const QuietErrors&) = delete;
  QuietErrors& operator=(const QuietErrors&) = delete;

 private:
  UINT previous_;
};

class Search {
 public:
  Search(const std::string& pattern, WIN32_FIND_DATAA* found) : handle_(FindFirstFileA(pattern.c_str(), found)) {}
  ~Search() {
    if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
  }
  Search(const Search&) = delete;
  Search& operator=(const Search&) = delete;
  bool Found() const { return handle_ != INVALID_HANDLE_VALUE; }
  bool Next(WIN32_FIND_DATAA* found) const { return FindNextFileA(handle_, found) != FALSE; }

 private:
  HANDLE handle_;
};

bool IsSubfolder(const WIN32_FIND_DATAA& found) {
  const std::string name = found.cFileName;
  return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(found.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) &&
         name != "." && name != "..";
}

// A final 0x5C that is the second byte of a double-byte character is no
// separator.
bool EndsWithSeparator(const std::string& text) {
  if (text.empty() || text.back() != '\\') return false;
  std::size_t leads = 0;
  for (std::size_t i = text.size() - 1; i > 0 && IsDBCSLeadByte(static_cast<BYTE>(text[i - 1])); --i) ++leads;
  return leads % 2 == 0;
}

bool ListSubfolders(const char* directory, std::vector<std::string>* names) {
  std::string pattern = directory;
  if (!EndsWithSeparator(pattern)) pattern += '\\';
  pattern += '*';
  QuietErrors quiet;
  WIN32_FIND_DATAA found;
  Search search(pattern, &found);
  if (!search.Found()) {
    // An empty drive root has not even "." to find.
    return GetLastError() == ERROR_FILE_NOT_FOUND && DirectoryExists(directory);
  }
  names->clear();
  do {
    if (IsSubfolder(found)) names->push_back(found.cFileName);
  } while (search.Next(&found));
  return true;
}

}  // namespace

FileApi Files = {FileExists,       DirectoryExists,   FindFirstEntry, DiskFreeSpace,  OpenForReading,
                 CreateForWriting, Read,              Write,          Close,          Copy,
                 ClearAttributes,  CreateDirectories, MoveOver,       Remove,         DriveLetters,
                 ListSubfolders};

}  // namespace platform
