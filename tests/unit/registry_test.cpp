// The registry accessor over the registry seam: natively the in-memory
// registry, under Wine the real one (below a test key of HKCU).
#include <gtest/gtest.h>

#include "app/registry.h"

using platform::RegistryRoot;

namespace {

constexpr const char* kKey = "Software\\SetupTests\\Accessor";

class RegistryAccessorTest : public ::testing::Test {
 protected:
  static platform::RegistryValue Stored(const char* name) {
    platform::RegistryValue value;
    platform::RegistryKey key = platform::Registry.OpenKey(RegistryRoot::CurrentUser, kKey);
    EXPECT_NE(key, nullptr);
    if (!key) return value;
    EXPECT_TRUE(platform::Registry.QueryValue(key, name, &value)) << name;
    platform::Registry.CloseKey(key);
    return value;
  }
};

TEST_F(RegistryAccessorTest, OpensOnlyExistingKeysUnlessAskedToCreate) {
  RegistryAccessor registry;
  EXPECT_EQ(registry.RootKey(), RegistryRoot::CurrentUser);
  EXPECT_FALSE(registry.OpenKey("Software\\SetupTests\\Missing\\Deeper", false));
  EXPECT_FALSE(registry.HasCurrentKey());
  EXPECT_TRUE(registry.OpenKey(kKey, true));
  EXPECT_TRUE(registry.HasCurrentKey());
  registry.CloseKey();
  EXPECT_TRUE(registry.OpenKey(kKey, false));
}

TEST_F(RegistryAccessorTest, StoresStringsWithTheirZeroAndIntegersAsDwords) {
  RegistryAccessor registry;
  ASSERT_TRUE(registry.OpenKey(kKey, true));
  registry.WriteString("Text", "C:\\\x95\x5C\\");
  registry.WriteString("", "default");
  registry.WriteInteger("Mode", 2);
  registry.CloseKey();

  platform::RegistryValue text = Stored("Text");
  EXPECT_EQ(text.type, platform::kRegString);
  EXPECT_EQ(text.data, std::string("C:\\\x95\x5C\\\0", 7));
  EXPECT_EQ(Stored("").data, std::string("default\0", 8));
  platform::RegistryValue mode = Stored("Mode");
  EXPECT_EQ(mode.type, platform::kRegDword);
  EXPECT_EQ(mode.data, std::string("\x02\0\0\0", 4));
}

TEST_F(RegistryAccessorTest, ReadsStringsAndRefusesOtherTypes) {
  RegistryAccessor registry;
  ASSERT_TRUE(registry.OpenKey(kKey, true));
  registry.WriteString("Folder", "C:\\Program Files");
  registry.WriteInteger("Number", 7);
  platform::RegistryKey key = platform::Registry.OpenKey(RegistryRoot::CurrentUser, kKey);
  ASSERT_NE(key, nullptr);
  ASSERT_TRUE(platform::Registry.SetValue(key, "Expand", platform::kRegExpandString, "%TEMP%", 7));
  platform::Registry.CloseKey(key);

  EXPECT_EQ(registry.ReadString("Folder"), "C:\\Program Files");
  EXPECT_EQ(registry.ReadString("Expand"), "%TEMP%");
  EXPECT_EQ(registry.ReadString("Absent"), "");
  EXPECT_THROW(registry.ReadString("Number"), RegistryError);
}

TEST_F(RegistryAccessorTest, ChangingTheRootClosesTheOpenKey) {
  RegistryAccessor registry;
  ASSERT_TRUE(registry.OpenKey(kKey, true));
  registry.SetRootKey(RegistryRoot::CurrentUser);
  EXPECT_TRUE(registry.HasCurrentKey());
  registry.SetRootKey(RegistryRoot::LocalMachine);
  EXPECT_FALSE(registry.HasCurrentKey());
  EXPECT_THROW(registry.WriteString("Version", "1"), RegistryError);
}

}  // namespace
