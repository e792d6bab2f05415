// The registry pass against the native in-memory registry: the eight values
// as stored, and where a refused key or a failed write stops the pass.
#include <gtest/gtest.h>

#include <functional>

#include <map>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "app/registry.h"
#include "app/state.h"
#include "app/texts.h"
#include "install/registry_pass.h"
#include "install_bars.h"
#include "platform/registry.h"
#include "support/installer_fixture.h"

using platform::RegistryRoot;

namespace {

constexpr const char* kInstall = "C:\\Program Files\\Prod\\";
constexpr const char* kMenu = "C:\\Menu\\Prod\\";
constexpr const char* kProductKey = "SOFTWARE\\Vendor\\Prod\\CurrentVersion";
constexpr const char* kAppPathKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\viewer.exe";
constexpr const char* kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Prod";
constexpr const char* kAppPaths = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
constexpr const char* kUninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// The seam's calls as the pass makes them, and which of them fail.
platform::RegistryApi realRegistry;
std::map<platform::RegistryKey, std::string> openKeys;  // by handle: its path
std::vector<std::string> writes;                        // key path \ value name
std::string refusedKey;
std::size_t failingWrite = 0;  // 1-based; 0 for none
bool writeThrows = false;      // fail by an exception of the platform's own

platform::RegistryKey Track(platform::RegistryKey key, const char* path) {
  if (key) openKeys[key] = path;
  return key;
}

platform::RegistryKey TrackedOpenKey(RegistryRoot root, const char* path) {
  return Track(realRegistry.OpenKey(root, path), path);
}

platform::RegistryKey RefusingCreateKey(RegistryRoot root, const char* path) {
  if (path == refusedKey) return nullptr;
  return Track(realRegistry.CreateKey(root, path), path);
}

bool FailingSetValue(platform::RegistryKey key, const char* name, std::uint32_t type, const void* data,
                     std::uint32_t size) {
  writes.push_back(openKeys.at(key) + "\\" + name);
  if (writes.size() != failingWrite) return realRegistry.SetValue(key, name, type, data, size);
  if (writeThrows) throw std::bad_alloc();
  return false;
}

void TrackedCloseKey(platform::RegistryKey key) {
  openKeys.erase(key);
  realRegistry.CloseKey(key);
}

struct Stored {
  std::uint32_t type;
  std::string data;
};

std::string Sz(const std::string& text) { return text + '\0'; }

// Values as the pass writes them when MainProgram is bin\viewer.exe and
// SelectedVariant 2.
const std::vector<std::pair<std::string, Stored>> kEightValues = {
    {std::string(kProductKey) + "\\Version", {platform::kRegString, Sz("1.2")}},
    {std::string(kProductKey) + "\\InstallDirectory", {platform::kRegString, Sz(kInstall)}},
    {std::string(kProductKey) + "\\ShortcutDirectory", {platform::kRegString, Sz(kMenu)}},
    {std::string(kProductKey) + "\\InstallMode", {platform::kRegDword, std::string("\2\0\0\0", 4)}},
    {std::string(kAppPathKey) + "\\", {platform::kRegString, Sz(std::string(kInstall) + "bin\\viewer.exe")}},
    {std::string(kAppPathKey) + "\\Path", {platform::kRegString, Sz(std::string(kInstall) + "bin\\")}},
    {std::string(kUninstallKey) + "\\DisplayName", {platform::kRegString, Sz("Vendor Prod")}},
    {std::string(kUninstallKey) + "\\UninstallString",
     {platform::kRegString, Sz(std::string(kInstall) + "UNINST.EXE")}},
};

class RegistryPass : public ::testing::Test {
 protected:
  void SetUp() override {
    realRegistry = platform::Registry;
    platform::Registry.OpenKey = TrackedOpenKey;
    platform::Registry.CreateKey = RefusingCreateKey;
    platform::Registry.SetValue = FailingSetValue;
    platform::Registry.CloseKey = TrackedCloseKey;
    platform::ClearNativeRegistry();
    openKeys.clear();
    writes.clear();
    refusedKey.clear();
    failingWrite = 0;
    writeThrows = false;
    package_.mainProgram = "bin\\viewer.exe";
  }

  void TearDown() override {
    registry_.reset();
    scoped_.reset();
    platform::Registry = realRegistry;
    platform::ClearNativeRegistry();
  }

  // A fresh state and accessor, as start-up leaves them, around the package.
  const char* Run() {
    registry_.reset();
    scoped_.reset();
    scoped_ = std::make_unique<ScopedPackage>(package_);
    State.InstallDirectory = kInstall;
    State.ShortcutDirectory = kMenu;
    registry_ = std::make_unique<RegistryAccessor>();
    State.SharedRegistry = registry_.get();
    form_ = std::make_unique<BarsForm>();
    openKeys.clear();
    writes.clear();
    return RunRegistryPass(form_->bars);
  }

  // The value as the registry holds it, read past the doubles.
  static bool Read(const std::string& keyAndName, Stored* stored) {
    std::size_t split = keyAndName.rfind('\\');
    platform::RegistryKey key =
        realRegistry.OpenKey(RegistryRoot::LocalMachine, keyAndName.substr(0, split).c_str());
    if (!key) return false;
    platform::RegistryValue value;
    bool found = realRegistry.QueryValue(key, keyAndName.substr(split + 1).c_str(), &value);
    realRegistry.CloseKey(key);
    *stored = {value.type, value.data};
    return found;
  }

  static void Preset(const char* key, const char* name, const std::string& text) {
    platform::RegistryKey k = realRegistry.CreateKey(RegistryRoot::LocalMachine, key);
    realRegistry.SetValue(k, name, platform::kRegString, text.c_str(),
                          static_cast<std::uint32_t>(text.size() + 1));
    realRegistry.CloseKey(k);
  }

  static bool KeyExists(const char* key) {
    platform::RegistryKey k = realRegistry.OpenKey(RegistryRoot::LocalMachine, key);
    if (k) realRegistry.CloseKey(k);
    return k != nullptr;
  }

  // No handle left open, by the seam or by the accessor.
  void ExpectNoKeyOpen() const {
    EXPECT_TRUE(openKeys.empty());
    EXPECT_FALSE(registry_->HasCurrentKey());
    EXPECT_EQ(registry_->RootKey(), RegistryRoot::LocalMachine);
  }

  PackageDescription package_ = [] {
    PackageDescription p;
    p.vendorName = "Vendor";
    p.productName = "Prod";
    p.versionText = "1.2";
    p.variantNames = {"Small", "Medium", "Large"};
    p.selectedVariant = 2;
    p.items = {{1, "viewer.exe", "bin\\viewer.exe", "Viewer"}};
    return p;
  }();
  std::unique_ptr<ScopedPackage> scoped_;
  std::unique_ptr<RegistryAccessor> registry_;
  std::unique_ptr<BarsForm> form_;
};

TEST_F(RegistryPass, WritesTheEightValuesInOrderAndFillsItsBar) {
  EXPECT_EQ(Run(), nullptr);
  std::vector<std::string> order;
  for (const auto& [where, expected] : kEightValues) {
    SCOPED_TRACE(where);
    order.push_back(where);
    Stored stored;
    ASSERT_TRUE(Read(where, &stored));
    EXPECT_EQ(stored.type, expected.type);
    EXPECT_EQ(stored.data, expected.data);
  }
  EXPECT_EQ(writes, order);
  EXPECT_EQ(form_->bars.registry.Position(), 8);
  EXPECT_EQ(form_->bars.all.Position(), 8);
  EXPECT_EQ(form_->bars.link.Position(), 0);
  EXPECT_EQ(form_->bars.copy.Position(), 0);
  ExpectNoKeyOpen();
}

TEST_F(RegistryPass, NamesTheApplicationPathByTheMainProgramsFileName) {
  const std::string install = kInstall;
  const std::string apps = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
  struct Case {
    const char* mainProgram;
    std::string key;
    std::string path;
  };
  const Case cases[] = {
      {"viewer.exe", apps + "viewer.exe", install},
      {"bin\\x86\\viewer.exe", apps + "viewer.exe", install + "bin\\x86\\"},
      // ソフト.exe and ソ\app.exe: the 0x5C of ソ is no separator.
      {"bin\\\x83\x5C\x83\x74\x83\x67.exe", apps + "\x83\x5C\x83\x74\x83\x67.exe", install + "bin\\"},
      {"\x83\x5C\\app.exe", apps + "app.exe", install + "\x83\x5C\\"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mainProgram);
    package_.mainProgram = c.mainProgram;
    EXPECT_EQ(Run(), nullptr);
    Stored stored;
    ASSERT_TRUE(Read(c.key + "\\", &stored));
    EXPECT_EQ(stored.data, Sz(install + c.mainProgram));
    ASSERT_TRUE(Read(c.key + "\\Path", &stored));
    EXPECT_EQ(stored.data, Sz(c.path));
    platform::ClearNativeRegistry();
  }
}

TEST_F(RegistryPass, OverwritesItsOwnValuesAndLeavesOthersAlone) {
  Preset(kProductKey, "Version", "0.9");
  Preset(kProductKey, "InstallMode", "text");
  Preset(kProductKey, "Other", "kept");
  Preset(kUninstallKey, "UninstallString", "\"C:\\Old\\UNINST.EXE\" /x");
  Preset(kUninstallKey, "Publisher", "kept too");
  EXPECT_EQ(Run(), nullptr);
  for (const auto& [where, expected] : kEightValues) {
    SCOPED_TRACE(where);
    Stored stored;
    ASSERT_TRUE(Read(where, &stored));
    EXPECT_EQ(stored.type, expected.type);
    EXPECT_EQ(stored.data, expected.data);
  }
  Stored stored;
  ASSERT_TRUE(Read(std::string(kProductKey) + "\\Other", &stored));
  EXPECT_EQ(stored.data, Sz("kept"));
  ASSERT_TRUE(Read(std::string(kUninstallKey) + "\\Publisher", &stored));
  EXPECT_EQ(stored.data, Sz("kept too"));
}

TEST_F(RegistryPass, AKeyThatCannotBeMadeEndsThePassWithNoKeyOpen) {
  struct Case {
    const char* key;
    std::size_t written;
  };
  const Case cases[] = {{kProductKey, 0}, {kAppPathKey, 4}, {kUninstallKey, 6}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    refusedKey = c.key;
    EXPECT_EQ(Run(), text::kRegistryError);
    EXPECT_EQ(writes.size(), c.written);
    EXPECT_EQ(form_->bars.registry.Position(), static_cast<std::int32_t>(c.written));
    EXPECT_EQ(form_->bars.all.Position(), static_cast<std::int32_t>(c.written));
    EXPECT_FALSE(KeyExists(c.key));
    ExpectNoKeyOpen();
    platform::ClearNativeRegistry();
  }
}

TEST_F(RegistryPass, NeverWritesIntoTheSharedKeysThemselves) {
  struct Case {
    const char* name;
    std::function<void(PackageDescription&)> change;
    std::size_t written;
  } cases[] = {
      {"no main program", [](PackageDescription& p) { p.mainProgram = ""; }, 4},
      {"a main program that names a folder", [](PackageDescription& p) { p.mainProgram = "bin\\"; }, 4},
      {"no product name", [](PackageDescription& p) { p.productName = ""; }, 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PackageDescription original = package_;
    c.change(package_);
    EXPECT_EQ(Run(), text::kRegistryError);
    EXPECT_EQ(writes.size(), c.written);
    Stored stored;
    EXPECT_FALSE(Read(std::string(kAppPaths) + "\\", &stored));
    EXPECT_FALSE(Read(std::string(kUninstall) + "\\DisplayName", &stored));
    ExpectNoKeyOpen();
    package_ = original;
    platform::ClearNativeRegistry();
  }
}

TEST_F(RegistryPass, AFailedWriteClosesItsKeyAndEndsThePass) {
  struct Case {
    std::size_t failing;
    bool throws;
    const char* laterKey;  // a key the pass never reaches
  };
  const Case cases[] = {
      {3, false, kAppPathKey},    // ShortcutDirectory
      {4, false, kAppPathKey},    // the integer InstallMode
      {3, true, kAppPathKey},     // any exception, not only the accessor's
      {5, false, kUninstallKey},  // the application path's default value
      {8, false, nullptr},        // the last one
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.failing);
    failingWrite = c.failing;
    writeThrows = c.throws;
    EXPECT_EQ(Run(), text::kRegistryError);
    EXPECT_EQ(writes.size(), c.failing) << "a write after the failed one";
    const auto done = static_cast<std::int32_t>(c.failing - 1);
    EXPECT_EQ(form_->bars.registry.Position(), done);
    EXPECT_EQ(form_->bars.all.Position(), done);
    for (std::size_t i = 0; i < kEightValues.size(); ++i) {
      Stored stored;
      EXPECT_EQ(Read(kEightValues[i].first, &stored), i + 1 < c.failing) << kEightValues[i].first;
    }
    if (c.laterKey) {
      EXPECT_FALSE(KeyExists(c.laterKey));
    }
    ExpectNoKeyOpen();
    platform::ClearNativeRegistry();
  }
}

}  // namespace
