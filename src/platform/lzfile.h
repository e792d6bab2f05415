// Reading a file that may be SZDD-compressed, shaped like LZOpenFileA /
// LZRead / LZClose: a plain file is handed through unchanged, an SZDD file is
// expanded while it is read.
#pragma once

#include <cstdint>

namespace platform {

struct LzApi {
  // A handle of 0 or more, or a negative error code.
  int (*Open)(const char* path);
  // The number of expanded bytes delivered (fewer at the end), negative on
  // error.
  std::int32_t (*Read)(int handle, void* buffer, std::int32_t count);
  void (*Close)(int handle);
};

// The real implementation; tests may replace entries and must restore them.
extern LzApi Lz;

}  // namespace platform
