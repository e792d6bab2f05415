// Write-only local files in raw bytes (no newline translation), opened by
// path in the three ways a download needs.
#pragma once

#include <cstddef>

namespace platform {

enum class RawOpenMode {
  Fresh,    // created when absent, emptied when present
  Append,   // must exist; every write goes to its end
  Restart,  // must exist; emptied
};

struct RawFileApi {
  // A handle of 0 or more, or a negative value on failure.
  int (*Open)(const char* path, RawOpenMode mode);
  // True when all count bytes were written.
  bool (*Write)(int handle, const char* bytes, std::size_t count);
  void (*Close)(int handle);
};

// The real implementation; tests may replace entries and must restore them.
extern RawFileApi RawFile;

}  // namespace platform
