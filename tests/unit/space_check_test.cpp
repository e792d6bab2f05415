// The space check over real source files and volumes of chosen cluster
// sizes and free space.
#include <gtest/gtest.h>

#include <map>

#include "app/state.h"
#include "app/texts.h"
#include "platform/files.h"
#include "setup/space_check.h"
#include "support/installer_fixture.h"

using Next = SpaceCheckOutcome::Next;

namespace {

constexpr std::uint32_t kMiB = 1u << 20;

std::map<std::string, platform::DiskSpace>* volumes = nullptr;

platform::DiskSpace Volume(std::uint32_t clusterSize, std::uint64_t freeBytes) {
  return {clusterSize / 512, 512, static_cast<std::uint32_t>(freeBytes / clusterSize), 1u << 30};
}

class SpaceCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    real_ = platform::Files;
    volumes = &volumes_;
    platform::Files.DiskFreeSpace = [](const char* root, platform::DiskSpace* space) {
      auto found = volumes->find(root);
      if (found == volumes->end()) return false;
      *space = found->second;
      return true;
    };
    volumes_["I:\\"] = Volume(4096, 100 * std::uint64_t{kMiB});
    volumes_["M:\\"] = Volume(4096, 100 * std::uint64_t{kMiB});
    source_ = dir_.WindowsPath('S');
  }
  void TearDown() override {
    platform::Files = real_;
    volumes = nullptr;
  }

  // Sources of the given sizes, the package file and UNINST.EXE (4096 bytes
  // each unless told otherwise), and the state the main dialog leaves.
  SpaceCheckOutcome Run(PackageDescription p, std::uint32_t variant = 0, std::uint32_t packageSize = 4096,
                        std::uint32_t uninstallerSize = 4096) {
    package_.reset();
    package_ = std::make_unique<ScopedPackage>(p);
    State.SourceDir = source_;
    State.InstallDirectory = "I:\\Prod\\";
    State.ShortcutDirectory = "M:\\Menu\\Prod\\";
    dir_.Write("INSTALL.PKG", std::string(packageSize, 'p'));
    State.PackagePath = source_ + "INSTALL.PKG";
    dir_.Write("UNINST.EXE", std::string(uninstallerSize, 'u'));
    return SpaceCheck(variant);
  }

  void Source(const std::string& name, std::size_t size) { dir_.Write(name, std::string(size, 's')); }

  static PackageDescription Items(std::vector<PackageItemDescription> items, int variants = 1) {
    PackageDescription p;
    p.productName = "Prod";
    p.variantNames.assign(variants, "v");
    p.items = std::move(items);
    return p;
  }

  TempDir dir_;
  std::string source_;
  std::map<std::string, platform::DiskSpace> volumes_;
  std::unique_ptr<ScopedPackage> package_;
  platform::FileApi real_;
};

TEST_F(SpaceCheckTest, RoundsEachFileToWholeClusters) {
  // With 1 MiB clusters the MiB rounding changes nothing, so the need counts
  // clusters: one to start, then 1 + 1 + 2 for the files, 1 each for the
  // package file and the uninstaller.
  volumes_["I:\\"] = Volume(kMiB, 100 * std::uint64_t{kMiB});
  Source("one", 1);
  Source("full", kMiB);
  Source("over", kMiB + 1);
  ASSERT_EQ(Run(Items({{1, "one", "one", ""}, {1, "full", "full", ""}, {1, "over", "over", ""}})).next,
            Next::Proceed);
  EXPECT_EQ(State.InstallBytesNeeded, 7 * kMiB);
  EXPECT_EQ(State.CopyByteTotal, 1 + kMiB + kMiB + 1 + 4096 + 4096);
  EXPECT_EQ(State.SystemBytesNeeded, kMiB);
  EXPECT_EQ(State.ShortcutTotal, 1u);
  EXPECT_EQ(State.SelectedMask, 1u);
}

TEST_F(SpaceCheckTest, RoundsTheSumToWholeMebibytes) {
  // One cluster + package + uninstaller = 12288; the file makes it 1 MiB.
  struct Case {
    std::uint32_t fileSize;
    std::uint32_t need;
  } cases[] = {{kMiB - 12288, kMiB}, {kMiB - 12288 + 1, 2 * kMiB}, {4097, kMiB}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fileSize);
    Source("file", c.fileSize);
    ASSERT_EQ(Run(Items({{1, "file", "file", ""}})).next, Next::Proceed);
    EXPECT_EQ(State.InstallBytesNeeded, c.need);
  }
}

TEST_F(SpaceCheckTest, CountsShortcutsInStartMenuClusters) {
  // 999 shortcuts: 1024 bytes each at 512-byte clusters (under 1 MiB in
  // all), 4096 each at 4096-byte clusters (4 MiB).
  Source("a", 10);
  std::vector<PackageItemDescription> items(999, {1, "a", "a", "link"});
  const std::pair<std::uint32_t, std::uint32_t> cases[] = {{512, kMiB}, {4096, 4 * kMiB}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    volumes_["M:\\"] = Volume(c.first, 100 * std::uint64_t{kMiB});
    ASSERT_EQ(Run(Items(items)).next, Next::Proceed);
    EXPECT_EQ(State.SystemBytesNeeded, c.second);
    EXPECT_EQ(State.ShortcutTotal, 1000u);
  }
}

TEST_F(SpaceCheckTest, RefusesANeedThatIsNotBelowTheFreeSpace) {
  Source("a", 10);
  struct Case {
    const char* name;
    platform::DiskSpace install, system;
    Next next;
    std::string message;
  } cases[] = {
      {"install need equal to its free space", Volume(4096, kMiB), Volume(4096, 2 * kMiB), Next::StayOpen,
       std::string(text::kSubjectInstallDrive) + text::kDiskFull},
      {"install need one cluster below", Volume(4096, kMiB + 4096), Volume(4096, 2 * kMiB), Next::Proceed, ""},
      {"Start-menu need equal to its free space", Volume(4096, 2 * kMiB), Volume(4096, kMiB),
       Next::CloseDialog, std::string(text::kSubjectSystemDrive) + text::kDiskFull},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    volumes_["I:\\"] = c.install;
    volumes_["M:\\"] = c.system;
    SpaceCheckOutcome outcome = Run(Items({{1, "a", "a", "link"}}));
    EXPECT_EQ(outcome.next, c.next);
    EXPECT_EQ(outcome.message, c.message);
  }
}

TEST_F(SpaceCheckTest, AddsTheStartMenuNeedOnTheSameVolumeOnly) {
  Source("a", 10);
  volumes_["M:\\"] = Volume(kMiB, 100 * std::uint64_t{kMiB});
  volumes_["I:\\"] = Volume(kMiB, 100 * std::uint64_t{kMiB});
  volumes_["i:\\"] = Volume(kMiB, 100 * std::uint64_t{kMiB});
  const std::pair<const char*, std::uint32_t> cases[] = {
      {"M:\\Menu\\", 4 * kMiB},  // different volume: start, file, package, uninstaller
      {"I:\\Menu\\", 6 * kMiB},  // plus the Start-menu need of 2 clusters
      {"i:\\Menu\\", 4 * kMiB},  // letter case makes it another volume
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    package_.reset();
    package_ = std::make_unique<ScopedPackage>(Items({{1, "a", "a", "link"}}));
    dir_.Write("INSTALL.PKG", "pkg");
    dir_.Write("UNINST.EXE", "exe");
    State.SourceDir = source_;
    State.PackagePath = source_ + "INSTALL.PKG";
    State.InstallDirectory = "I:\\Prod\\";
    State.ShortcutDirectory = c.first;
    ASSERT_EQ(SpaceCheck(0).next, Next::Proceed);
    EXPECT_EQ(State.InstallBytesNeeded, c.second);
  }
}

TEST_F(SpaceCheckTest, RefusesTheFirstFailingItemOfTheChosenVariant) {
  Source("a", 10);
  Source("empty", 0);
  ASSERT_TRUE(std::filesystem::create_directory(dir_.path() / "folder"));
  const std::string deep(260 - std::string("I:\\Prod\\").size(), 't');
  const std::string message259 = deep.substr(1);
  struct Case {
    const char* name;
    std::vector<PackageItemDescription> items;
    Next next;
    std::string message;
  } cases[] = {
      {"a 260-byte target", {{1, "a", deep, ""}}, Next::StayOpen,
       std::string(text::kSubjectDestination) + text::kPathTooDeep},
      {"a 259-byte target", {{1, "a", message259, ""}}, Next::Proceed, ""},
      {"a missing source", {{1, "missing", "m", ""}}, Next::CloseDialog, text::kDiskInfoError},
      {"an empty source file", {{1, "empty", "e", ""}}, Next::CloseDialog, text::kDiskInfoError},
      {"a folder counts nothing but is length-tested", {{1, "folder", deep, ""}}, Next::StayOpen,
       std::string(text::kSubjectDestination) + text::kPathTooDeep},
      {"other variants are not examined", {{2, "missing", deep, ""}, {1, "a", "a", ""}}, Next::Proceed, ""},
      {"the first failure decides", {{1, "missing", "m", ""}, {1, "a", deep, ""}}, Next::CloseDialog,
       text::kDiskInfoError},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SpaceCheckOutcome outcome = Run(Items(c.items, 2));
    EXPECT_EQ(outcome.next, c.next);
    EXPECT_EQ(outcome.message, c.message);
  }
}

TEST_F(SpaceCheckTest, AFolderItemAddsNothing) {
  ASSERT_TRUE(std::filesystem::create_directory(dir_.path() / "folder"));
  ASSERT_EQ(Run(Items({{1, "folder", "folder", "link"}})).next, Next::Proceed);
  EXPECT_EQ(State.CopyByteTotal, 8192u);
  EXPECT_EQ(State.ShortcutTotal, 2u);
}

TEST_F(SpaceCheckTest, NeedsAPackageFileAndAnUninstaller) {
  Source("a", 10);
  EXPECT_EQ(Run(Items({{1, "a", "a", ""}}), 0, 0, 4096).message, text::kDiskInfoError);
  EXPECT_EQ(Run(Items({{1, "a", "a", ""}}), 0, 4096, 0).message, text::kDiskInfoError);
}

TEST_F(SpaceCheckTest, AVariantWithoutItemsNeedsTheInstallerFilesOnly) {
  Source("a", 10);
  ASSERT_EQ(Run(Items({{2, "a", "a", "link"}}, 2), 0).next, Next::Proceed);
  EXPECT_EQ(State.ShortcutTotal, 1u);
  EXPECT_EQ(State.CopyByteTotal, 8192u);
  EXPECT_EQ(State.InstallBytesNeeded, kMiB);
  EXPECT_EQ(State.SystemBytesNeeded, kMiB);
}

TEST_F(SpaceCheckTest, EveryPressStartsFromScratch) {
  Source("a", 10);
  volumes_["I:\\"] = Volume(4096, kMiB);
  PackageDescription p = Items({{1, "a", "a", "link"}});
  ASSERT_EQ(Run(p).next, Next::StayOpen);
  State.InstallDirectory = "J:\\Prod\\";
  volumes_["J:\\"] = Volume(4096, 50 * std::uint64_t{kMiB});
  ASSERT_EQ(SpaceCheck(0).next, Next::Proceed);
  EXPECT_EQ(State.CopyByteTotal, 10u + 8192u);
  EXPECT_EQ(State.ShortcutTotal, 2u);
}

TEST_F(SpaceCheckTest, RefusesSizesPastTheCounters) {
  // A volume that cannot be measured, and sums past 32 bits, which would
  // otherwise wrap into a small need.
  Source("a", 10);
  volumes_.erase("M:\\");
  EXPECT_EQ(Run(Items({{1, "a", "a", ""}})).message, text::kDiskInfoError);
  volumes_["M:\\"] = Volume(4096, kMiB * 100ull);

  platform::FileApi files = platform::Files;
  platform::Files.FindFirstEntry = [](const char*, platform::DirectoryEntry* entry) {
    *entry = {0x20, 0x10, 1};  // 4 GiB + 16 bytes
    return true;
  };
  EXPECT_EQ(Run(Items({{1, "a", "a", ""}})).message, text::kDiskInfoError);
  platform::Files.FindFirstEntry = [](const char*, platform::DirectoryEntry* entry) {
    *entry = {0x20, 0xFFFFF000u, 0};  // just under 4 GiB: the first file fits, the second does not
    return true;
  };
  EXPECT_EQ(Run(Items({{1, "a", "a", ""}, {1, "b", "b", ""}})).message, text::kDiskInfoError);
  platform::Files = files;
}

TEST(DriveRootTest, TakesTheDriveOrTheShare) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\Program Files\\Prod\\", "C:\\"},
      {"c:", "c:\\"},
      {"\\\\server\\share\\dir\\", "\\\\server\\share\\"},
      {"\\\\server\\share", "\\\\server\\share\\"},
      {"\\\\server", "\\\\server\\"},
      {"relative\\dir", "\\"},
      {"", "\\"},
  };
  for (const auto& c : cases) EXPECT_EQ(DriveRoot(c.first), c.second) << c.first;
}

}  // namespace
