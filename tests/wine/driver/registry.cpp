#include "registry.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <type_traits>
#include <vector>

namespace registry {

namespace {

struct KeyCloser {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
using Key = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

struct Path {
  HKEY root;
  std::wstring subkey;
};

Path SplitPath(const std::string& key) {
  static const struct {
    const char* name;
    HKEY root;
  } roots[] = {{"HKLM", HKEY_LOCAL_MACHINE}, {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
               {"HKCU", HKEY_CURRENT_USER},  {"HKEY_CURRENT_USER", HKEY_CURRENT_USER}};
  auto slash = key.find('\\');
  std::string root = key.substr(0, slash);
  for (const auto& r : roots)
    if (root == r.name)
      return {r.root, slash == std::string::npos ? L"" : wire::Utf8ToWide(key.substr(slash + 1))};
  throw std::runtime_error("unknown root key: " + root);
}

void Check(LONG status, const char* what) {
  if (status != ERROR_SUCCESS) throw std::runtime_error(std::string(what) + " failed: " + std::to_string(status));
}

std::vector<BYTE> WideBytes(const std::wstring& text) {
  auto p = reinterpret_cast<const BYTE*>(text.c_str());
  return {p, p + (text.size() + 1) * sizeof(wchar_t)};
}

std::vector<BYTE> FromHex(const std::string& hex) {
  if (hex.size() % 2) throw std::runtime_error("odd hex data");
  std::vector<BYTE> bytes;
  for (std::size_t i = 0; i < hex.size(); i += 2)
    bytes.push_back(static_cast<BYTE>(std::strtoul(hex.substr(i, 2).c_str(), nullptr, 16)));
  return bytes;
}

std::string ToHex(const std::vector<BYTE>& bytes) {
  std::string hex;
  char two[3];
  for (BYTE b : bytes) {
    std::snprintf(two, sizeof two, "%02x", b);
    hex += two;
  }
  return hex;
}

struct Encoded {
  DWORD type;
  std::vector<BYTE> bytes;
};

Encoded Encode(const std::string& type, const std::string& data) {
  if (type == "REG_SZ") return {REG_SZ, WideBytes(wire::Utf8ToWide(data))};
  if (type == "REG_EXPAND_SZ") return {REG_EXPAND_SZ, WideBytes(wire::Utf8ToWide(data))};
  if (type == "REG_BINARY") return {REG_BINARY, FromHex(data)};
  if (type == "REG_DWORD") {
    DWORD n = std::strtoul(data.c_str(), nullptr, 10);
    auto p = reinterpret_cast<const BYTE*>(&n);
    return {REG_DWORD, {p, p + sizeof n}};
  }
  throw std::runtime_error("unknown value type: " + type);
}

wire::Fields Decode(DWORD type, const std::vector<BYTE>& bytes) {
  switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ: {
      std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
      while (!text.empty() && text.back() == L'\0') text.pop_back();
      return {type == REG_SZ ? "REG_SZ" : "REG_EXPAND_SZ", wire::WideToUtf8(text)};
    }
    case REG_DWORD: {
      DWORD n = 0;
      if (bytes.size() == sizeof n) std::memcpy(&n, bytes.data(), sizeof n);
      return {"REG_DWORD", std::to_string(n)};
    }
    default:
      return {type == REG_BINARY ? "REG_BINARY" : "REG_TYPE_" + std::to_string(type), ToHex(bytes)};
  }
}

Key Open(const Path& path, bool create) {
  HKEY key = nullptr;
  LONG status = create ? RegCreateKeyExW(path.root, path.subkey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                         nullptr, &key, nullptr)
                       : RegOpenKeyExW(path.root, path.subkey.c_str(), 0, KEY_ALL_ACCESS, &key);
  if (create) Check(status, "RegCreateKeyEx");
  return Key(status == ERROR_SUCCESS ? key : nullptr);
}

}  // namespace

void Set(const std::string& key, const std::string& name, const std::string& type,
         const std::string& data) {
  Encoded value = Encode(type, data);
  Key k = Open(SplitPath(key), true);
  Check(RegSetValueExW(k.get(), wire::Utf8ToWide(name).c_str(), 0, value.type, value.bytes.data(),
                       static_cast<DWORD>(value.bytes.size())),
        "RegSetValueEx");
}

wire::Fields Get(const std::string& key, const std::string& name) {
  Key k = Open(SplitPath(key), false);
  if (!k) return {};
  std::wstring wname = wire::Utf8ToWide(name);
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(k.get(), wname.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return {};
  std::vector<BYTE> bytes(size);
  Check(RegQueryValueExW(k.get(), wname.c_str(), nullptr, &type, bytes.data(), &size), "RegQueryValueEx");
  bytes.resize(size);
  return Decode(type, bytes);
}

void DeleteValue(const std::string& key, const std::string& name) {
  Key k = Open(SplitPath(key), false);
  if (!k) return;
  LONG status = RegDeleteValueW(k.get(), wire::Utf8ToWide(name).c_str());
  if (status != ERROR_FILE_NOT_FOUND) Check(status, "RegDeleteValue");
}

void DeleteKey(const std::string& key) {
  Path path = SplitPath(key);
  if (path.subkey.empty()) throw std::runtime_error("refusing to delete a root key");
  LONG status = RegDeleteTreeW(path.root, path.subkey.c_str());
  if (status != ERROR_FILE_NOT_FOUND) Check(status, "RegDeleteTree");
}

}  // namespace registry
