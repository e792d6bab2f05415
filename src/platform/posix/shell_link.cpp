// A text file in place of the shell's link object. It fails where the
// object's save fails: an unmapped drive, a missing folder, a file that
// cannot be written, and a link path too long for the conversion buffer.
#include "platform/shell_link.h"

#include <fstream>
#include <string>

#include "app/paths.h"
#include "platform/codepage.h"
#include "platform/files.h"

namespace platform {
namespace {

// Every character of the ANSI code page is one UTF-16 unit; the terminator
// takes one more.
bool FitsLinkBuffer(const std::string& path) {
  int units = 1;
  for (std::size_t i = 0; i < path.size(); ++i, ++units) {
    if (IsAnsiLeadByte(static_cast<unsigned char>(path[i])) && i + 1 < path.size()) ++i;
  }
  return units <= kLinkPathUnits;
}

bool CreateShellLink(const char* target, const char* linkFile, const char* description,
                     const char* arguments) {
  std::string host = HostPath(linkFile);
  if (host.empty() || !FitsLinkBuffer(linkFile)) return false;
  std::ofstream out(host, std::ios::binary | std::ios::trunc);
  out << "target: " << target << "\n"
      << "working directory: " << PathPart(target) << "\n"
      << "arguments: " << arguments << "\n"
      << "description: " << description << "\n"
      << "icon: " << target << "\n"
      << "icon index: 0\n";
  out.close();
  return !out.fail();
}

}  // namespace

ShellLinkApi ShellLink = {CreateShellLink};

}  // namespace platform
