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

// The fields as "key: value" lines, one each, in the format of the native
// stand-in's file: target, working directory, arguments, description, icon,
// icon index.
std::string DescribeShellLink(const ShellLinkFields& fields);
// False when a line or a key is missing.
bool ParseShellLinkDescription(const std::string& text, ShellLinkFields* fields);

// linkFile is a Windows path in the ANSI code page, as the program names it;
// so are the fields. False when the file is missing or is no link.
bool ReadShellLink(const std::string& linkFile, ShellLinkFields* fields);
