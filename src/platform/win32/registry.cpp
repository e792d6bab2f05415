#include "platform/registry.h"

#include <windows.h>

namespace platform {
namespace {

HKEY RootHandle(RegistryRoot root) {
  return root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

RegistryKey OpenKey(RegistryRoot root, const char* path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(RootHandle(root), path, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return nullptr;
  return key;
}

RegistryKey CreateKey(RegistryRoot root, const char* path) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(RootHandle(root), path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                      nullptr, &key, nullptr) != ERROR_SUCCESS)
    return nullptr;
  return key;
}

bool QueryValue(RegistryKey key, const char* name, RegistryValue* value) {
  DWORD type = 0;
  DWORD size = 0;
  auto hkey = static_cast<HKEY>(key);
  if (RegQueryValueExA(hkey, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
  value->data.assign(size, '\0');
  if (RegQueryValueExA(hkey, name, nullptr, &type, reinterpret_cast<BYTE*>(&value->data[0]), &size) !=
      ERROR_SUCCESS)
    return false;
  value->data.resize(size);
  value->type = type;
  return true;
}

bool SetValue(RegistryKey key, const char* name, std::uint32_t type, const void* data, std::uint32_t size) {
  return RegSetValueExA(static_cast<HKEY>(key), name, 0, type, static_cast<const BYTE*>(data), size) ==
         ERROR_SUCCESS;
}

void CloseKey(RegistryKey key) { RegCloseKey(static_cast<HKEY>(key)); }

}  // namespace

RegistryApi Registry = {OpenKey, CreateKey, QueryValue, SetValue, CloseKey};

}  // namespace platform
