// The one registry accessor of the program: a current root and at most one
// open key, opened with full access.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "platform/registry.h"

class RegistryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class RegistryAccessor {
 public:
  RegistryAccessor() = default;
  ~RegistryAccessor();
  RegistryAccessor(const RegistryAccessor&) = delete;
  RegistryAccessor& operator=(const RegistryAccessor&) = delete;

  platform::RegistryRoot RootKey() const { return root_; }
  // A change of root closes the open key first.
  void SetRootKey(platform::RegistryRoot root);

  // Opens path below the root (creating it when canCreate); on success it
  // becomes the current key, replacing any open one.
  bool OpenKey(const std::string& path, bool canCreate);
  void CloseKey();
  bool HasCurrentKey() const { return current_ != nullptr; }

  // The text of a string or expandable string (unexpanded); empty when the
  // value does not exist; RegistryError for a value of another type.
  std::string ReadString(const std::string& name);
  // REG_SZ with its terminating zero counted; RegistryError on failure.
  void WriteString(const std::string& name, const std::string& value);
  // REG_DWORD; RegistryError on failure.
  void WriteInteger(const std::string& name, std::uint32_t value);

 private:
  platform::RegistryKey Current(const std::string& name);

  platform::RegistryRoot root_ = platform::RegistryRoot::CurrentUser;
  platform::RegistryKey current_ = nullptr;
};
