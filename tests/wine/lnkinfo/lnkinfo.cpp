// Prints what a shortcut file holds, as the shell reads it, one "key: value"
// line each in UTF-8, for the end-to-end tests that check the shortcuts an
// installation made:
//   lnkinfo LINKFILE
// Exit code 0; 1 when the file is no readable link; 2 on wrong usage.
#include <windows.h>

#include <cstdio>
#include <string>

#include "support/shell_link_reader.h"

namespace {

std::string Utf8(const std::string& ansi) {
  if (ansi.empty()) return ansi;
  int units = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(units), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), &wide[0], units);
  int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, &utf8[0], bytes, nullptr, nullptr);
  return utf8;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: lnkinfo LINKFILE\n", stderr);
    return 2;
  }
  ShellLinkFields fields;
  if (!ReadShellLink(argv[1], &fields)) {
    std::fprintf(stderr, "lnkinfo: %s: no readable shortcut\n", argv[1]);
    return 1;
  }
  for (std::string* text : {&fields.target, &fields.workingDirectory, &fields.arguments, &fields.description,
                            &fields.icon})
    *text = Utf8(*text);
  // Raw bytes: no line-end translation.
  std::string description = DescribeShellLink(fields);
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), description.data(), static_cast<DWORD>(description.size()), &written,
            nullptr);
  return 0;
}
