#include "install/registry_pass.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "app/paths.h"
#include "app/registry.h"
#include "app/state.h"
#include "app/texts.h"
#include "ui/form.h"

namespace {

constexpr const char* kAppPaths = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
constexpr const char* kUninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

struct Value {
  const char* name;  // empty for the key's default value
  std::string text;  // a REG_SZ value's text
  std::uint32_t number;
  bool isNumber;  // REG_DWORD number instead of text
};

struct Key {
  std::string path;  // below HKEY_LOCAL_MACHINE
  std::vector<Value> values;
};

Value String(const char* name, std::string text) { return {name, std::move(text), 0, false}; }
Value Number(const char* name, std::uint32_t number) { return {name, std::string(), number, true}; }

// The keys and values in the order they are written.
std::vector<Key> Registration() {
  const PackageHeader& header = State.Package->Header;
  const std::string vendor = header.VendorName;
  const std::string product = header.ProductName;
  const std::string program = State.InstallDirectory + header.MainProgram;
  return {
      {"SOFTWARE\\" + vendor + "\\" + product + "\\CurrentVersion",
       {String("Version", header.VersionText), String("InstallDirectory", State.InstallDirectory),
        String("ShortcutDirectory", State.ShortcutDirectory), Number("InstallMode", header.SelectedVariant)}},
      {kAppPaths + FileNamePart(header.MainProgram),
       {String("", program), String("Path", PathPart(program))}},
      {kUninstall + product,
       {String("DisplayName", vendor + " " + product),
        String("UninstallString", State.InstallDirectory + "UNINST.EXE")}},
  };
}

// A failed write closes the key and ends the pass; nothing after it is
// written.
const char* WriteGuarded(const Value& value, InstallBars& bars) {
  RegistryAccessor& registry = *State.SharedRegistry;
  try {
    if (value.isNumber)
      registry.WriteInteger(value.name, value.number);
    else
      registry.WriteString(value.name, value.text);
  } catch (...) {
    registry.CloseKey();
    return text::kRegistryError;
  }
  bars.registry.StepIt();
  bars.all.StepIt();
  return nullptr;
}

// A key named by an empty text (an empty product name or main program file
// name) would be the shared App Paths or Uninstall key itself, whose values
// belong to every product: such a key counts as one that cannot be made.
const char* WriteKey(const Key& key, InstallBars& bars) {
  State.WorkText = key.path;
  if (EndsWithBackslash(State.WorkText) || !State.SharedRegistry->OpenKey(State.WorkText, true))
    return text::kRegistryError;
  for (const Value& value : key.values)
    if (const char* failure = WriteGuarded(value, bars)) return failure;
  State.SharedRegistry->CloseKey();
  return nullptr;
}

}  // namespace

const char* RunRegistryPass(InstallBars& bars) {
  State.SharedRegistry->SetRootKey(platform::RegistryRoot::LocalMachine);
  for (const Key& key : Registration())
    if (const char* failure = WriteKey(key, bars)) return failure;
  return nullptr;
}
