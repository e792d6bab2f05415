// Drives and subfolders as the directory chooser reads them: the same cases
// natively, through mapped drives, and under Wine.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "platform/files.h"
#include "support/temp_dir.h"

namespace {

using Names = std::vector<std::string>;

class FolderListing : public ::testing::Test {
 protected:
  void SetUp() override { root_ = dir_.WindowsPath('T'); }

  Names List(const std::string& directory, bool* listed) const {
    Names names{"left over"};
    *listed = platform::Files.ListSubfolders(directory.c_str(), &names);
    std::sort(names.begin(), names.end());
    return names;
  }

  TempDir dir_;
  std::string root_;  // ends in a backslash
};

TEST_F(FolderListing, GivesSubfoldersOnlyWithoutDotsOrHiddenOnes) {
  // ソフト ends in 0x5C as the second byte of ソ's first byte pair; a name
  // starting with a dot is hidden under Wine.
  for (const char* name : {"Apps", "\x83\x5C\x83\x74\x83\x67", ".hidden", "Apps\\Nested"})
    platform::Files.CreateDirectories((root_ + name).c_str());
  dir_.Write("file.txt", "x");
  const Names expected{"Apps", "\x83\x5C\x83\x74\x83\x67"};
  const std::string withoutBackslash = root_.substr(0, root_.size() - 1);
  for (const std::string& directory : {root_, withoutBackslash}) {
    SCOPED_TRACE(directory);
    bool listed = false;
    EXPECT_EQ(List(directory, &listed), expected);
    EXPECT_TRUE(listed);
  }
  bool listed = false;
  EXPECT_EQ(List(root_ + "\x83\x5C\x83\x74\x83\x67", &listed), Names{});
  EXPECT_TRUE(listed);
  EXPECT_EQ(List(root_ + "Apps", &listed), Names{"Nested"});
}

TEST_F(FolderListing, AMissingFolderOrAFileCannotBeListed) {
  dir_.Write("file.txt", "x");
  for (const std::string& directory : {root_ + "missing", root_ + "missing\\deeper", root_ + "file.txt"}) {
    SCOPED_TRACE(directory);
    Names names;
    EXPECT_FALSE(platform::Files.ListSubfolders(directory.c_str(), &names));
  }
}

TEST_F(FolderListing, DriveLettersAreUpperCaseInOrderAndIncludeTheFoldersDrive) {
  const std::string letters = platform::Files.DriveLetters();
  EXPECT_NE(letters.find(static_cast<char>(std::toupper(static_cast<unsigned char>(root_[0])))), std::string::npos)
      << letters;
  EXPECT_TRUE(std::is_sorted(letters.begin(), letters.end()));
  EXPECT_EQ(std::adjacent_find(letters.begin(), letters.end()), letters.end());
  for (char letter : letters) EXPECT_TRUE(letter >= 'A' && letter <= 'Z') << letters;
}

}  // namespace
