// A shortcut read back: under Windows (Wine) through the shell's link
// object, natively from the stand-in's text file.
#pragma once

#include <string>

struct ShellLinkFields {
  std::string target;
  std::string workingDirectory;
  std::string arguments;
  std::string description;
  std::string icon;
  int iconIndex = -1;
};

// linkFile is a Windows path in the ANSI code page, as the program names it;
// so are the fields. False when the file is missing or is no link.
bool ReadShellLink(const std::string& linkFile, ShellLinkFields* fields);
