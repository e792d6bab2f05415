// Registry values of the prefix, set before a scenario and read after it.
// Keys are written "HKLM\..." or "HKCU\..." (or the long root names); types
// are REG_SZ, REG_EXPAND_SZ, REG_DWORD (decimal) and REG_BINARY (hex).
#pragma once

#include <string>

#include "wire.h"

namespace registry {

void Set(const std::string& key, const std::string& name, const std::string& type,
         const std::string& data);
// type and data, or no fields when the key or the value does not exist.
wire::Fields Get(const std::string& key, const std::string& name);
void DeleteValue(const std::string& key, const std::string& name);
// The key with all its subkeys; nothing when it does not exist.
void DeleteKey(const std::string& key);

}  // namespace registry
