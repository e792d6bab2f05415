// Process-local named mutexes: a name exists while a handle to it is open.
#include "platform/mutex.h"

#include <map>
#include <string>

namespace platform {
namespace {

struct Named {
  std::string name;
};

std::map<std::string, int>& OpenCounts() {
  static std::map<std::string, int> counts;
  return counts;
}

MutexHandle Open(const char* name) {
  auto found = OpenCounts().find(name);
  if (found == OpenCounts().end()) return nullptr;
  ++found->second;
  return new Named{name};
}

MutexHandle Create(const char* name, bool* existed) {
  int& count = OpenCounts()[name];
  *existed = count > 0;
  ++count;
  return new Named{name};
}

bool Release(MutexHandle) { return true; }

bool Close(MutexHandle mutex) {
  auto* named = static_cast<Named*>(mutex);
  auto found = OpenCounts().find(named->name);
  if (--found->second == 0) OpenCounts().erase(found);
  delete named;
  return true;
}

}  // namespace

MutexApi Mutex = {Open, Create, Release, Close};

}  // namespace platform
