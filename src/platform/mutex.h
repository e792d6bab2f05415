// Named mutexes, which keep two installers for one product apart and tell
// whether the product itself is running. Native builds have process-local
// names only, which is all their tests need.
#pragma once

namespace platform {

using MutexHandle = void*;

struct MutexApi {
  // An existing mutex opened with full access, not inheritable; null when
  // there is none of that name.
  MutexHandle (*Open)(const char* name);
  // A mutex created owned by this process with an inheritable handle; null
  // on failure. *existed tells whether the name was already taken, in which
  // case the handle refers to the other holder's mutex.
  MutexHandle (*Create)(const char* name, bool* existed);
  bool (*Release)(MutexHandle mutex);
  bool (*Close)(MutexHandle mutex);
};

// The real implementation; tests may replace entries and must restore them.
extern MutexApi Mutex;

}  // namespace platform
