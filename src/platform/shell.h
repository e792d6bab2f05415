// The environment and the shell's program start. Natively there is no
// shell: the stand-in records each start that the shell would make, so that
// tests can see what was started and by which window.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace platform {

struct ShellApi {
  // The variable's value with its terminator in buffer; false when it is
  // unset or empty, or when the value and terminator need more than size
  // bytes.
  bool (*ReadEnvironment)(const char* name, char* buffer, std::size_t size);
  // Opens the file with the verb "open", shown normally, owned by the
  // native window (null for none); true when it started. The program runs
  // on by itself.
  bool (*StartProgram)(void* ownerWindow, const char* path);
};

// The real implementation; tests may replace entries and must restore them.
extern ShellApi Shell;

#ifndef _WIN32
struct StartedProgram {
  void* ownerWindow;
  std::string path;
};
// The stand-in's starts so far, oldest first; it starts only an existing file.
std::vector<StartedProgram>& StartedPrograms();
#endif

}  // namespace platform
