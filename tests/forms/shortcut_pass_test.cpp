// The shortcut pass on a mapped Start-menu drive: which shortcuts it writes,
// in which order, where, pointing at what, and where each failure stops it.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/paths.h"
#include "app/state.h"
#include "app/texts.h"
#include "install/shortcut_pass.h"
#include "install_bars.h"
#include "platform/files.h"
#include "platform/shell_link.h"
#include "support/installer_fixture.h"
#include "support/shell_link_reader.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kInstall = "C:\\Program Files\\Prod\\";
constexpr const char* kMenu = "S:\\Menu\\Prod\\";

// What the pass asked of the link writer, and which calls are to fail.
struct LinkCall {
  std::string target;
  std::string linkFile;
  std::string description;
  std::string arguments;
};
std::vector<LinkCall> linkCalls;
std::string refusedLink;    // a link file the writer refuses
std::string refusedFolder;  // a folder that cannot be made
platform::ShellLinkApi realShellLink;
platform::FileApi realFiles;

bool RecordingCreateShellLink(const char* target, const char* linkFile, const char* description,
                              const char* arguments) {
  linkCalls.push_back({target, linkFile, description, arguments});
  return linkFile != refusedLink && realShellLink.CreateShellLink(target, linkFile, description, arguments);
}

void RefusingCreateDirectories(const char* path) {
  if (path != refusedFolder) realFiles.CreateDirectories(path);
}

// Variants 1, 2 and 4 by mask; items in table order.
PackageDescription Package() {
  PackageDescription p;
  p.vendorName = "Vendor";
  p.productName = "Prod";
  p.versionText = "1.0";
  p.mainProgram = "app.exe";
  p.variantNames = {"Standard", "Full", "Minimal"};
  p.items = {
      {1, "app.exe", "app.exe", "App"},
      {3, "tool.exe", "bin\\tool.exe", "Tools\\Tool"},
      {5, "readme.txt", "readme.txt", ""},
      {2, "extra.exe", "extra.exe", "Extra"},
      {1, "data", "data", "Data"},  // a folder
  };
  return p;
}

class ShortcutPass : public ::testing::Test {
 protected:
  void SetUp() override {
    realShellLink = platform::ShellLink;
    realFiles = platform::Files;
    platform::ShellLink.CreateShellLink = RecordingCreateShellLink;
    platform::Files.CreateDirectories = RefusingCreateDirectories;
    linkCalls.clear();
    refusedLink.clear();
    refusedFolder.clear();
    dir_.WindowsPath('S');
  }

  void TearDown() override {
    platform::ShellLink = realShellLink;
    platform::Files = realFiles;
    package_.reset();
    platform::UnmapAllDrives();
  }

  // A fresh state for the variant mask, with an empty Start-menu drive.
  const char* Run(std::uint32_t mask) {
    fs::remove_all(dir_.path() / "Menu");
    linkCalls.clear();
    package_.reset();
    package_ = std::make_unique<ScopedPackage>(Package());
    State.InstallDirectory = kInstall;
    State.ShortcutDirectory = kMenu;
    State.SelectedMask = mask;
    form_ = std::make_unique<BarsForm>();
    return RunShortcutPass(form_->bars);
  }

  std::vector<std::string> LinkFilesAsked() const {
    std::vector<std::string> files;
    for (const LinkCall& call : linkCalls) files.push_back(call.linkFile);
    return files;
  }

  // Every file below the Start-menu drive.
  std::size_t FilesOnMenuDrive() const {
    std::size_t count = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir_.path()))
      if (entry.is_regular_file()) ++count;
    return count;
  }

  TempDir dir_;
  std::unique_ptr<ScopedPackage> package_;
  std::unique_ptr<BarsForm> form_;
};

const std::string kUninstallLink = std::string(kMenu) + text::kUninstallShortcut;

TEST_F(ShortcutPass, WritesTheChosenItemsShortcutsInTableOrderThenTheUninstallShortcut) {
  const std::string menu = kMenu;
  struct Case {
    std::uint32_t mask;
    std::vector<std::string> links;
  };
  const Case cases[] = {
      {1, {menu + "App.lnk", menu + "Tools\\Tool.lnk", menu + "Data.lnk", kUninstallLink}},
      {2, {menu + "Tools\\Tool.lnk", menu + "Extra.lnk", kUninstallLink}},
      // Only an item without a shortcut: the uninstall shortcut still comes.
      {4, {kUninstallLink}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mask);
    EXPECT_EQ(Run(c.mask), nullptr);
    EXPECT_EQ(LinkFilesAsked(), c.links);
    for (const LinkCall& call : linkCalls) {
      EXPECT_EQ(call.description, "");
      EXPECT_EQ(call.arguments, "");
    }
    const auto steps = static_cast<std::int32_t>(c.links.size());
    EXPECT_EQ(form_->bars.link.Position(), steps);
    EXPECT_EQ(form_->bars.all.Position(), steps);
    EXPECT_EQ(form_->bars.registry.Position(), 0);
    EXPECT_EQ(form_->bars.copy.Position(), 0);
    EXPECT_EQ(FilesOnMenuDrive(), c.links.size());
    EXPECT_EQ(State.ItemCursor, State.Package->Header.ItemCount);
  }
}

TEST_F(ShortcutPass, LinksStartTheInstalledCopiesInTheirOwnFolders) {
  ASSERT_EQ(Run(1), nullptr);
  const std::string install = kInstall;
  const std::string menu = kMenu;
  struct Expected {
    std::string link;
    std::string target;
    std::string workingDirectory;
  };
  const Expected links[] = {
      {menu + "App.lnk", install + "app.exe", install},
      {menu + "Tools\\Tool.lnk", install + "bin\\tool.exe", install + "bin\\"},
      {menu + "Data.lnk", install + "data", install},  // the installed folder itself
      {kUninstallLink, install + "UNINST.EXE", install},
  };
  for (const Expected& e : links) {
    SCOPED_TRACE(e.link);
    ShellLinkFields fields;
    ASSERT_TRUE(ReadShellLink(e.link, &fields));
    EXPECT_EQ(fields.target, e.target);
    EXPECT_EQ(fields.workingDirectory, e.workingDirectory);
  }
  EXPECT_TRUE(fs::is_directory(dir_.path() / "Menu" / "Prod" / "Tools"));
}

TEST_F(ShortcutPass, AFailureEndsThePassWithItsMessageAndNothingAfterIt) {
  struct Case {
    const char* what;
    std::uint32_t mask;
    std::string folder;  // refused
    std::string link;    // refused
    const char* message;
    std::int32_t written;
  };
  const std::string menu = kMenu;
  const std::string menuFolder = menu.substr(0, menu.size() - 1);
  const Case cases[] = {
      {"the Start-menu folder, first item", 1, menuFolder, "", text::kDirectoryFailed, 0},
      {"an item's subfolder", 1, menu + "Tools", "", text::kDirectoryFailed, 1},
      {"an item's link", 1, "", menu + "Data.lnk", text::kShortcutFailed, 2},
      {"the uninstall shortcut's folder", 4, menuFolder, "", text::kDirectoryFailed, 0},
      {"the uninstall shortcut", 1, "", kUninstallLink, text::kShortcutFailed, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    refusedFolder = c.folder;
    refusedLink = c.link;
    EXPECT_EQ(Run(c.mask), c.message);
    EXPECT_EQ(form_->bars.link.Position(), c.written);
    EXPECT_EQ(form_->bars.all.Position(), c.written);
    EXPECT_EQ(FilesOnMenuDrive(), static_cast<std::size_t>(c.written));
    // Nothing is tried after the failure.
    if (!c.link.empty()) {
      EXPECT_EQ(LinkFilesAsked().back(), c.link);
    } else {
      EXPECT_EQ(linkCalls.size(), static_cast<std::size_t>(c.written));
    }
    EXPECT_EQ(State.WorkText, c.folder.empty() ? DirectoryPart(c.link) : c.folder);
  }
}

}  // namespace
