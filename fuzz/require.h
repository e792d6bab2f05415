// Invariant checks of the fuzz targets. A broken one aborts, which libFuzzer
// reports as a crash and keeps the input that caused it.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

inline void Require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "broken: %s\n", what);
  std::abort();
}

// The lowest free descriptor number; it moves when a call leaves a
// descriptor open.
inline int LowestFreeDescriptor() {
  int probe = ::dup(STDERR_FILENO);
  Require(probe >= 0, "a descriptor to probe with");
  ::close(probe);
  return probe;
}
