// Shortcut files (shell links, ".lnk") that start a program file. Natively
// there is no shell: a text file stands in for the link, one "key: value"
// line each for target, working directory, arguments, description, icon and
// icon index, with the texts as passed, so that tests can see what was
// linked.
#pragma once

namespace platform {

// The link path is converted into a buffer of this many UTF-16 units, its
// terminator included; a longer path is refused.
constexpr int kLinkPathUnits = 260;

struct ShellLinkApi {
  // Writes linkFile as a shortcut that starts target, in the directory part
  // of target, with target's first icon, replacing any existing file. The
  // folder of linkFile must exist. False when the link was not written.
  bool (*CreateShellLink)(const char* target, const char* linkFile, const char* description,
                          const char* arguments);
};

// The real implementation; tests may replace entries and must restore them.
extern ShellLinkApi ShellLink;

}  // namespace platform
