// The registry, reduced to what the installer does with it: open or create
// keys with full access below the two roots it uses, read and set values.
// Native builds keep an in-memory registry in its place.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

enum class RegistryRoot { CurrentUser, LocalMachine };

using RegistryKey = void*;

constexpr std::uint32_t kRegString = 1;        // REG_SZ
constexpr std::uint32_t kRegExpandString = 2;  // REG_EXPAND_SZ
constexpr std::uint32_t kRegDword = 4;         // REG_DWORD

struct RegistryValue {
  std::uint32_t type = 0;
  std::string data;  // the stored bytes, a string's terminating zero included
};

struct RegistryApi {
  // An existing key opened with full access; null when it cannot be.
  RegistryKey (*OpenKey)(RegistryRoot root, const char* path);
  // Creates the key when missing (non-volatile) and opens it with full
  // access; null on failure.
  RegistryKey (*CreateKey)(RegistryRoot root, const char* path);
  // False when the value does not exist or cannot be read.
  bool (*QueryValue)(RegistryKey key, const char* name, RegistryValue* value);
  bool (*SetValue)(RegistryKey key, const char* name, std::uint32_t type, const void* data,
                   std::uint32_t size);
  void (*CloseKey)(RegistryKey key);
};

// The real implementation; tests may replace entries and must restore them.
extern RegistryApi Registry;

#ifndef _WIN32
// Empties the native in-memory registry.
void ClearNativeRegistry();
#endif

}  // namespace platform
