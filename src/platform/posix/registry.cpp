// An in-memory registry: keys and value names compare without regard to the
// case of ASCII letters, as on Windows.
#include "platform/registry.h"

#include <map>

namespace platform {
namespace {

std::string Folded(const std::string& text) {
  std::string folded = text;
  for (char& c : folded)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return folded;
}

struct Key {
  std::map<std::string, RegistryValue> values;  // by folded name
};

std::map<std::string, Key>& Keys() {
  static std::map<std::string, Key> keys;  // by folded root and path
  return keys;
}

// A trailing backslash names the same key, as on Windows.
std::string FullPath(RegistryRoot root, const char* path) {
  std::string full = Folded((root == RegistryRoot::LocalMachine ? "HKLM\\" : "HKCU\\") + std::string(path));
  while (full.back() == '\\') full.pop_back();
  return full;
}

RegistryKey OpenKey(RegistryRoot root, const char* path) {
  auto found = Keys().find(FullPath(root, path));
  return found == Keys().end() ? nullptr : &found->second;
}

RegistryKey CreateKey(RegistryRoot root, const char* path) {
  // Every ancestor exists too, as on Windows.
  std::string full = FullPath(root, path);
  for (std::size_t at = full.find('\\', 5); at != std::string::npos; at = full.find('\\', at + 1))
    Keys()[full.substr(0, at)];
  return &Keys()[full];
}

bool QueryValue(RegistryKey key, const char* name, RegistryValue* value) {
  auto& values = static_cast<Key*>(key)->values;
  auto found = values.find(Folded(name));
  if (found == values.end()) return false;
  *value = found->second;
  return true;
}

bool SetValue(RegistryKey key, const char* name, std::uint32_t type, const void* data, std::uint32_t size) {
  static_cast<Key*>(key)->values[Folded(name)] =
      RegistryValue{type, std::string(static_cast<const char*>(data), size)};
  return true;
}

void CloseKey(RegistryKey) {}

}  // namespace

RegistryApi Registry = {OpenKey, CreateKey, QueryValue, SetValue, CloseKey};

void ClearNativeRegistry() { Keys().clear(); }

}  // namespace platform
