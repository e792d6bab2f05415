// The install dialog and its copy pass on real files in mapped drive
// folders, and the main dialog's OK that leads there.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sys/stat.h>

#include "app/registry.h"
#include "app/state.h"
#include "app/texts.h"
#include "forms/install_form.h"
#include "forms/main_form.h"
#include "install/copy_pass.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "support/installer_fixture.h"
#include "ui/headless/user.h"

using namespace ui::headless;
namespace fs = std::filesystem;

namespace {

std::vector<std::uint32_t>* writes = nullptr;
platform::FileApi realFiles;

class Install : public ::testing::Test {
 protected:
  void SetUp() override {
    realFiles = platform::Files;
    platform::UnmapAllDrives();
    source_.WindowsPath('S');
    target_.WindowsPath('I');
    menu_.WindowsPath('M');
    package_.productName = "Prod";
    package_.mainProgram = "app.exe";
    package_.variantNames = {"Standard", "Full"};
  }
  void TearDown() override {
    platform::Files = realFiles;
    writes = nullptr;
    form_.reset();
    user_.reset();
    fixture_.reset();
    platform::UnmapAllDrives();
  }

  // Loads the package and opens the install dialog as OK would, for the
  // first variant, with the counters the space check leaves.
  TfrmInstall& Open(std::uint32_t copyTotal = 0, std::uint32_t shortcuts = 1) {
    source_.Write("INSTALL.PKG", "package bytes");
    if (!fs::exists(source_.path() / "UNINST.EXE")) source_.Write("UNINST.EXE", "uninstaller");
    form_.reset();
    fixture_.reset();  // one package at a time
    fixture_ = std::make_unique<ScopedPackage>(package_);
    State.SourceDir = "S:\\";
    State.InstallDirectory = "I:\\Prod\\";
    State.ShortcutDirectory = "M:\\Prod\\";
    State.PackagePath = "S:\\INSTALL.PKG";
    State.SelectedMask = 1;
    State.CopyByteTotal = copyTotal;
    State.ShortcutTotal = shortcuts;
    form_ = std::make_unique<TfrmInstall>(nullptr);
    return *form_;
  }

  const char* Copy() {
    InstallBars bars{form_->pbCopy, form_->pbLink, form_->pbRegistry, form_->pbAll};
    return RunCopyPass(bars);
  }

  fs::path Installed(const std::string& name) const { return target_.path() / "Prod" / name; }

  static void RecordWrites(std::vector<std::uint32_t>* record) {
    writes = record;
    platform::Files.Write = [](platform::FileHandle f, const void* b, std::uint32_t n, std::uint32_t* moved) {
      writes->push_back(n);
      return realFiles.Write(f, b, n, moved);
    };
  }

  // Public, so that the lambdas of case tables can arrange them.
 public:
  TempDir source_;
  TempDir target_;
  TempDir menu_;
  PackageDescription package_;
  std::unique_ptr<ScopedPackage> fixture_;
  std::unique_ptr<TfrmInstall> form_;
  std::unique_ptr<User> user_;
};

TEST_F(Install, ShowsTheNeedsInMegabytesAndSizesTheBars) {
  package_.items = {{1, "a", "a", ""}};
  Open(123456, 3);
  State.SystemBytesNeeded = 0;
  State.InstallBytesNeeded = 5 * 1048576;
  TfrmInstall form(nullptr);
  EXPECT_EQ(form.Caption(), text::kCaptionInstall);
  EXPECT_EQ(form.lblLinkNeed.Text(), "0MB");
  EXPECT_EQ(form.lblInstNeed.Text(), "5MB");
  EXPECT_TRUE(form.lblInstNeed.Desc().settings & ui::kRightAlign);
  EXPECT_EQ(form.pbCopy.Max(), 123456);
  EXPECT_EQ(form.pbLink.Max(), 3);
  EXPECT_EQ(form.pbRegistry.Max(), 8);
  EXPECT_EQ(form.pbAll.Max(), 123456 + 3 + 8);
  EXPECT_EQ(form.pbAll.Position(), 0);
  EXPECT_EQ(form.pbAll.Step(), 1);
}

TEST_F(Install, CopiesInChunksOf65535Bytes) {
  struct Case {
    std::size_t size;
    std::vector<std::uint32_t> writes;
  } cases[] = {
      {0, {0}},
      {65535, {65535, 0}},
      {100000, {65535, 34465}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    std::string bytes(c.size, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
    source_.Write("file.bin", bytes);
    package_.items = {{1, "file.bin", "bin\\file.bin", ""}};
    TfrmInstall& form = Open();
    InstallBars bars{form.pbCopy, form.pbLink, form.pbRegistry, form.pbAll};
    form.pbCopy.SetMax(1 << 30);
    std::vector<std::uint32_t> record;
    RecordWrites(&record);
    ASSERT_EQ(CopyFileInChunks("S:\\file.bin", "I:\\file.bin", CopyForm::Item, bars), nullptr);
    platform::Files = realFiles;
    EXPECT_EQ(record, c.writes);
    EXPECT_EQ(form.pbCopy.Position(), static_cast<std::int32_t>(c.size));
    EXPECT_EQ(form.pbCopy.Step(), static_cast<std::int32_t>(c.writes.back()));
    EXPECT_EQ(ReadFileBytes((target_.path() / "file.bin").string()), bytes);
  }
}

TEST_F(Install, PlacesTheChosenVariantAndTheUninstallerFiles) {
  source_.Write("app.exe", "program");
  source_.Write("other.dll", "other variant");
  fs::create_directories(source_.path() / "data" / "sub");
  package_.items = {
      {1, "app.exe", "bin\\deep\\app.exe", "App"},
      {2, "other.dll", "other\\other.dll", ""},
      {3, "data", "save", ""},
  };
  TfrmInstall& form = Open(7 + 13 + 11);
  fs::permissions(source_.path() / "INSTALL.PKG", fs::perms::owner_read, fs::perm_options::replace);
  ASSERT_EQ(Copy(), nullptr);
  EXPECT_EQ(ReadFileBytes(Installed("bin/deep/app.exe").string()), "program");
  EXPECT_FALSE(fs::exists(target_.path() / "Prod" / "other")) << "another variant's folder was made";
  EXPECT_TRUE(fs::is_directory(Installed("save")));
  EXPECT_EQ(ReadFileBytes(Installed("UNINST.PKG").string()), "package bytes");
  EXPECT_TRUE((fs::status(Installed("UNINST.PKG")).permissions() & fs::perms::owner_write) != fs::perms::none)
      << "UNINST.PKG kept the package's read-only attribute";
  EXPECT_EQ(ReadFileBytes(Installed("UNINST.EXE").string()), "uninstaller");
  EXPECT_EQ(form.pbCopy.Position(), 7 + 13 + 11);
  EXPECT_EQ(form.pbAll.Position(), 7 + 13 + 11);
  EXPECT_EQ(State.ItemCursor, 3u);
}

TEST_F(Install, OverwritesAnExistingTargetButNotAReadOnlyOne) {
  source_.Write("app.exe", "new");
  package_.items = {{1, "app.exe", "app.exe", ""}};
  fs::create_directories(target_.path() / "Prod");
  target_.Write("Prod/app.exe", "an older and longer file");
  Open();
  ASSERT_EQ(Copy(), nullptr);
  EXPECT_EQ(ReadFileBytes(Installed("app.exe").string()), "new");

  fs::permissions(Installed("app.exe"), fs::perms::owner_read, fs::perm_options::replace);
  Open();
  EXPECT_STREQ(Copy(), text::kCopyFailedCreate);
}

TEST_F(Install, EndsTheRunAtTheFirstFailure) {
  struct Case {
    const char* name;
    std::function<void(Install&)> arrange;
    const char* message;
  } cases[] = {
      {"a source that cannot be opened", [](Install&) {}, text::kCopyFailedOpen},
      {"no uninstaller any more",
       [](Install& t) {
         t.source_.Write("app.exe", "x");
         fs::remove(t.source_.path() / "UNINST.EXE");
         platform::Files.OpenForReading = [](const char* path, std::uint32_t share) -> platform::FileHandle {
           return std::string(path) == "S:\\UNINST.EXE" ? nullptr : realFiles.OpenForReading(path, share);
         };
       },
       text::kCopyFailed},
      {"a short write (a full disk)",
       [](Install& t) {
         t.source_.Write("app.exe", "some bytes");
         platform::Files.Write = [](platform::FileHandle f, const void* b, std::uint32_t n, std::uint32_t* moved) {
           bool ok = realFiles.Write(f, b, n / 2, moved);
           return ok;
         };
       },
       text::kCopyFailed},
      {"a folder that cannot be made",
       [](Install& t) {
         t.source_.Write("app.exe", "x");
         platform::Files.CreateDirectories = [](const char*) {};
       },
       text::kDirectoryFailed},
      {"a package copy whose attributes stay",
       [](Install& t) {
         t.source_.Write("app.exe", "x");
         platform::Files.ClearAttributes = [](const char*) { return false; };
       },
       text::kAttributesFailed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    package_.items = {{1, "app.exe", "bin\\app.exe", ""}};
    Open();
    c.arrange(*this);
    EXPECT_STREQ(Copy(), c.message);
    platform::Files = realFiles;
    fs::remove_all(target_.path() / "Prod");
    fs::remove(source_.path() / "app.exe");
  }
}

TEST_F(Install, FailsWhenAFolderItemCannotBeMade) {
  fs::create_directories(source_.path() / "data");
  package_.items = {{1, "data", "data", ""}};
  Open();
  fs::create_directories(target_.path() / "Prod");
  target_.Write("Prod/data", "a file where the folder goes");
  EXPECT_STREQ(Copy(), text::kDirectoryFailed);
}

TEST_F(Install, ClosesEveryFileItOpened) {
  static int open = 0;
  open = 0;
  source_.Write("app.exe", std::string(70000, 'x'));
  package_.items = {{1, "app.exe", "app.exe", ""}};
  Open();
  platform::Files.OpenForReading = [](const char* p, std::uint32_t s) {
    platform::FileHandle f = realFiles.OpenForReading(p, s);
    open += f != nullptr;
    return f;
  };
  platform::Files.CreateForWriting = [](const char* p, std::uint32_t s) {
    platform::FileHandle f = realFiles.CreateForWriting(p, s);
    open += f != nullptr;
    return f;
  };
  platform::Files.Close = [](platform::FileHandle f) {
    --open;
    realFiles.Close(f);
  };
  platform::Files.Read = [](platform::FileHandle, void*, std::uint32_t, std::uint32_t* moved) {
    *moved = 0;
    return false;
  };
  EXPECT_STREQ(Copy(), text::kCopyFailed);
  EXPECT_EQ(open, 0);
}

TEST_F(Install, CancelTouchesNothingAndInstallEndsWithOneMessage) {
  source_.Write("app.exe", "program");
  package_.items = {{1, "app.exe", "app.exe", ""}};

  Open();
  user_ = std::make_unique<User>(std::vector<Step>{PressEscape()});
  form_->ShowModal();
  EXPECT_FALSE(fs::exists(target_.path() / "Prod"));
  EXPECT_TRUE(user_->MessageBoxes().empty());

  form_.reset();
  user_.reset();
  platform::ClearNativeRegistry();
  TfrmInstall& form = Open(7 + 13 + 11, 1);
  RegistryAccessor registry;
  State.SharedRegistry = &registry;
  user_ = std::make_unique<User>(std::vector<Step>{PressEnter(), Answer(ui::kIdOk)});
  form.ShowModal();
  ASSERT_EQ(user_->MessageBoxes().size(), 1u);
  EXPECT_EQ(user_->MessageBoxes()[0].text, text::kCompleted);
  EXPECT_TRUE(form.Closed());
  for (ui::ProgressBar* bar : {&form.pbCopy, &form.pbLink, &form.pbRegistry, &form.pbAll})
    EXPECT_EQ(bar->Position(), bar->Max()) << bar->Name();
  EXPECT_EQ(form.pbAll.Step(), 1);
  EXPECT_TRUE(fs::exists(menu_.path() / "Prod" / text::kUninstallShortcut));
  platform::ClearNativeRegistry();
}

}  // namespace
