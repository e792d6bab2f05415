// The native stand-in's file, read as it was written.
#include "support/shell_link_reader.h"

#include "platform/files.h"
#include "support/temp_dir.h"

bool ReadShellLink(const std::string& linkFile, ShellLinkFields* fields) {
  std::string host = platform::HostPath(linkFile);
  return !host.empty() && platform::Files.FileExists(linkFile.c_str()) &&
         ParseShellLinkDescription(ReadFileBytes(host), fields);
}
