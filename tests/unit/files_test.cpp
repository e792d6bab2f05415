// Moving a finished download into place and removing a broken one, against
// the disk: natively and, built for Win32, under Wine.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/files.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

TEST(FilesMoveOver, PutsTheFileInPlaceOfAnyOlderOne) {
  for (bool older : {false, true}) {
    SCOPED_TRACE(older ? "older target" : "no target");
    TempDir dir;
    std::string source = dir.Write("new.part", "newer bytes");
    std::string target = dir.File("new");
    if (older) dir.Write("new", "older");

    EXPECT_TRUE(platform::Files.MoveOver(source.c_str(), target.c_str()));
    EXPECT_FALSE(fs::exists(source));
    EXPECT_EQ(ReadFileBytes(target), "newer bytes");
  }
}

TEST(FilesMoveOver, AMissingSourceMovesNothing) {
  TempDir dir;
  std::string target = dir.Write("new", "older");
  EXPECT_FALSE(platform::Files.MoveOver(dir.File("new.part").c_str(), target.c_str()));
  EXPECT_EQ(ReadFileBytes(target), "older");
}

TEST(FilesRemove, DeletesAFileAndReportsAMissingOne) {
  TempDir dir;
  std::string file = dir.Write("broken.part", "partial");
  EXPECT_TRUE(platform::Files.Remove(file.c_str()));
  EXPECT_FALSE(fs::exists(file));
  EXPECT_FALSE(platform::Files.Remove(file.c_str()));
}

}  // namespace
