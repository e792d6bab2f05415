#include "app/registry.h"

using platform::Registry;

RegistryAccessor::~RegistryAccessor() { CloseKey(); }

void RegistryAccessor::SetRootKey(platform::RegistryRoot root) {
  if (root == root_) return;
  CloseKey();
  root_ = root;
}

bool RegistryAccessor::OpenKey(const std::string& path, bool canCreate) {
  platform::RegistryKey key =
      canCreate ? Registry.CreateKey(root_, path.c_str()) : Registry.OpenKey(root_, path.c_str());
  if (!key) return false;
  CloseKey();
  current_ = key;
  return true;
}

void RegistryAccessor::CloseKey() {
  if (!current_) return;
  Registry.CloseKey(current_);
  current_ = nullptr;
}

platform::RegistryKey RegistryAccessor::Current(const std::string& name) {
  if (!current_) throw RegistryError("no key is open for value " + name);
  return current_;
}

std::string RegistryAccessor::ReadString(const std::string& name) {
  platform::RegistryValue value;
  if (!Registry.QueryValue(Current(name), name.c_str(), &value)) return std::string();
  if (value.type != platform::kRegString && value.type != platform::kRegExpandString)
    throw RegistryError("value " + name + " is not a string");
  std::string text = value.data;
  std::size_t end = text.find('\0');
  if (end != std::string::npos) text.resize(end);
  return text;
}

void RegistryAccessor::WriteString(const std::string& name, const std::string& value) {
  if (!Registry.SetValue(Current(name), name.c_str(), platform::kRegString, value.c_str(),
                         static_cast<std::uint32_t>(value.size() + 1)))
    throw RegistryError("value " + name + " cannot be set");
}

void RegistryAccessor::WriteInteger(const std::string& name, std::uint32_t value) {
  unsigned char bytes[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                            static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
  if (!Registry.SetValue(Current(name), name.c_str(), platform::kRegDword, bytes, 4))
    throw RegistryError("value " + name + " cannot be set");
}
