// Path parts and the product folder under code page 932 and a single-byte
// page. "\x95\x5C" is 表 and "\x83\x5C" is ソ: their second byte is 0x5C.
#include <gtest/gtest.h>

#include <cstring>

#include "app/paths.h"
#include "app/state.h"
#include "platform/codepage.h"

namespace {

struct PathCase {
  const char* path;
  const char* pathPart;
  const char* fileName;
  const char* directory;
};

TEST(PathParts, SplitAtTheLastSingleByteSeparator) {
  const PathCase cases[] = {
      {"C:\\Apps\\Prod\\bin\\tool.dll", "C:\\Apps\\Prod\\bin\\", "tool.dll", "C:\\Apps\\Prod\\bin"},
      {"C:\\tool.dll", "C:\\", "tool.dll", "C:\\"},
      {"C:tool.dll", "C:", "tool.dll", "C:"},
      {"tool.dll", "", "tool.dll", ""},
      {"\\\\server\\share\\x", "\\\\server\\share\\", "x", "\\\\server\\share"},
      {"\\x", "\\", "x", "\\"},
      {"C:\\Apps\\\x83\x5C\x83\x74\x83\x67\\tool.dll", "C:\\Apps\\\x83\x5C\x83\x74\x83\x67\\", "tool.dll",
       "C:\\Apps\\\x83\x5C\x83\x74\x83\x67"},
      {"C:\\Apps\\\x83\x5C.exe", "C:\\Apps\\", "\x83\x5C.exe", "C:\\Apps"},
      {"C:\\Dir\\", "C:\\Dir\\", "", "C:\\Dir"},
  };
  for (const PathCase& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(PathPart(c.path), c.pathPart);
    EXPECT_EQ(FileNamePart(c.path), c.fileName);
    EXPECT_EQ(DirectoryPart(c.path), c.directory);
  }
}

TEST(PathParts, CountsLeadBytesToFindTrailBytes) {
  // 0x81 0x81 is one character; the 0x5C after it stands alone.
  EXPECT_FALSE(IsTrailByteAt("\x81\x81\x5C", 2));
  EXPECT_TRUE(IsTrailByteAt("\x81\x81\x81\x5C", 3));
  EXPECT_TRUE(IsTrailByteAt("a\x95\x5C", 2));
  EXPECT_FALSE(IsTrailByteAt("\\", 0));
}

TEST(PathParts, ChangeFileExtReplacesOrAppends) {
  EXPECT_EQ(ChangeFileExt("D:\\disc\\INSTALL.EXE", ".PKG"), "D:\\disc\\INSTALL.PKG");
  EXPECT_EQ(ChangeFileExt("D:\\disc\\setup", ".PKG"), "D:\\disc\\setup.PKG");
  EXPECT_EQ(ChangeFileExt("D:\\v1.0\\setup", ".TXT"), "D:\\v1.0\\setup.TXT");
  EXPECT_EQ(ChangeFileExt("D:\\disc\\a.b.exe", ".TXT"), "D:\\disc\\a.b.TXT");
}

class ProductFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    image_ = PackageImage{};
    std::strcpy(image_.Header.ProductName, "Prod");
    State.Package = &image_;
  }
  void TearDown() override { State.Package = nullptr; }
  PackageImage image_;
};

TEST_F(ProductFolder, AddsOneBackslashBeforeAndAfterTheProduct) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\Program Files", "C:\\Program Files\\Prod\\"},
      {"C:\\", "C:\\Prod\\"},
      {"", "\\Prod\\"},
      {"C:\\\x95\x5C", "C:\\\x95\x5C\\Prod\\"},  // 表 ends in 0x5C
      {"C:\\\x81\x81\\", "C:\\\x81\x81\\Prod\\"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    EXPECT_EQ(AppendProductFolder(c.first), c.second);
  }
}

#ifndef _WIN32
TEST_F(ProductFolder, ASingleBytePageHasNoTrailBytes) {
  platform::SelectAnsiCodePage(1252);
  EXPECT_EQ(AppendProductFolder("C:\\\x95\x5C"), "C:\\\x95\x5C" "Prod\\");
  EXPECT_EQ(DirectoryPart("C:\\A\\\x83\x5C.exe"), "C:\\A\\\x83");
  platform::SelectAnsiCodePage(932);
}
#endif

}  // namespace
