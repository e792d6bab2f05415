// Start-up from a distribution folder on a mapped drive, played by a
// scripted user: every check's message, the order of the dialogs, and the
// clean-up that every way out takes.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "app/registry.h"
#include "app/startup.h"
#include "app/state.h"
#include "app/texts.h"
#include "package_writer.h"
#include "platform/files.h"
#include "platform/mutex.h"
#include "support/temp_dir.h"
#include "ui/headless/user.h"

using namespace ui::headless;
using platform::RegistryRoot;

namespace {

constexpr const char* kCurrentVersion = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr const char* kShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr const char* kInstanceMutex = "Install Vendor Prod";

platform::MutexApi realMutexes;

std::string Message(const std::string& subject, const char* predicate) { return subject + predicate; }

class Startup : public ::testing::Test {
 protected:
  void SetUp() override {
    realMutex_ = realMutexes = platform::Mutex;
    platform::ClearNativeRegistry();
    platform::UnmapAllDrives();
    platform::MapDrive('D', dir_.path().string());
    SetRegistryString(RegistryRoot::LocalMachine, kCurrentVersion, "ProgramFilesDir", "C:\\Program Files");
    SetRegistryString(RegistryRoot::CurrentUser, kShellFolders, "Programs", "C:\\Menu");
    package_ = PackageDescription{};
    package_.vendorName = "Vendor";
    package_.productName = "Prod";
    package_.variantNames = {"Standard", "Full"};
    package_.items = {{1, "app.exe", "app.exe", "App"}, {2, "extra", "extra", ""}};
    Lay("app.exe");
    std::filesystem::create_directory(dir_.path() / "extra");
    Lay("UNINST.EXE");
  }

  void TearDown() override {
    platform::Mutex = realMutex_;
    platform::ClearNativeRegistry();
    platform::UnmapAllDrives();
  }

  static void SetRegistryString(RegistryRoot root, const char* key, const char* name, const std::string& value) {
    platform::RegistryKey k = platform::Registry.CreateKey(root, key);
    platform::Registry.SetValue(k, name, platform::kRegString, value.c_str(),
                                static_cast<std::uint32_t>(value.size() + 1));
    platform::Registry.CloseKey(k);
  }

  void Lay(const std::string& name, const std::string& bytes = "x") { dir_.Write(name, bytes); }

  // Runs start-up as D:\<folder>INSTALL.EXE with the package as it stands.
  int Start(std::vector<Step> steps, const std::string& folder = "") {
    std::filesystem::create_directories(dir_.path() / folder);
    dir_.Write(folder + "INSTALL.PKG", EncodePackage(package_));
    user_.reset();  // one User at a time
    user_ = std::make_unique<User>(std::move(steps), "D:\\" + Backslashed(folder) + "INSTALL.EXE");
    return RunInstaller();
  }

  static std::string Backslashed(std::string path) {
    for (char& c : path)
      if (c == '/') c = '\\';
    return path;
  }

  std::vector<std::string> Messages() const {
    std::vector<std::string> texts;
    for (const MessageBoxRecord& box : user_->MessageBoxes()) texts.push_back(box.text);
    return texts;
  }

  std::vector<std::string> Forms() const {
    std::vector<std::string> names;
    for (const FormRecord& form : user_->FormsShown()) names.push_back(form.name);
    return names;
  }

  // Start-up has let go of everything it held.
  void ExpectCleanedUp() const {
    EXPECT_EQ(State.SharedRegistry, nullptr);
    EXPECT_EQ(State.Package, nullptr);
    EXPECT_EQ(State.PackageBlock, nullptr);
    platform::MutexHandle left = realMutex_.Open(kInstanceMutex);
    EXPECT_EQ(left, nullptr) << "the instance mutex outlives the run";
    if (left) realMutex_.Close(left);
  }

  void ExpectOnly(const std::string& message) {
    EXPECT_EQ(Messages(), std::vector<std::string>{message});
    EXPECT_TRUE(Forms().empty());
    EXPECT_TRUE(user_->Problems().empty()) << ::testing::PrintToString(user_->Problems());
    ExpectCleanedUp();
  }

  // Public, so that the lambdas of case tables can arrange them.
 public:
  TempDir dir_;
  PackageDescription package_;
  std::unique_ptr<User> user_;
  platform::MutexApi realMutex_;
};

TEST_F(Startup, ShowsTheMainDialogWhenEveryCheckPasses) {
  EXPECT_EQ(Start({Check([](ui::Form& f) { EXPECT_EQ(f.Caption(), "INSTALL - Prod"); }), PressEscape()}), 0);
  EXPECT_EQ(Messages(), std::vector<std::string>{});
  EXPECT_EQ(Forms(), std::vector<std::string>{"frmMain"});
  EXPECT_EQ(State.SourceDir, "D:\\");
  EXPECT_EQ(State.ProgramFilesRoot, "C:\\Program Files");
  EXPECT_EQ(State.ShortcutDirectory, "C:\\Menu\\Prod\\");
  EXPECT_EQ(State.InstallDirectory, "C:\\Program Files\\Prod\\");
  EXPECT_EQ(State.DialogBorderIcons, biSystemMenu | biMinimize);
  EXPECT_EQ(user_->StepsLeft(), 0u);
  ExpectCleanedUp();
}

TEST_F(Startup, ShowsTheReadmeFirstWhenThereIsOne) {
  Lay("INSTALL.TXT", "\x82\xA8\x93\xC7\x82\xDD\r\nline two");
  for (Step close : {PressEnter(), CloseBox()}) {
    Start({close, PressEscape()});
    EXPECT_EQ(Forms(), (std::vector<std::string>{"frmReadme", "frmMain"}));
    EXPECT_EQ(Messages(), std::vector<std::string>{});
  }
}

TEST_F(Startup, FindsEverythingUnderItsOwnName) {
  std::filesystem::create_directories(dir_.path() / "sub" / "extra");
  Lay("sub/app.exe");
  Lay("sub/UNINST.EXE");
  Lay("sub/INSTALL.TXT", "readme");
  Start({PressEnter(), PressEscape()}, "sub/");
  EXPECT_EQ(State.PackagePath, "D:\\sub\\INSTALL.PKG");
  EXPECT_EQ(State.ReadmePath, "D:\\sub\\INSTALL.TXT");
  EXPECT_EQ(Forms(), (std::vector<std::string>{"frmReadme", "frmMain"}));
}

TEST_F(Startup, EndsWithOneMessageWhenACheckFails) {
  const std::string deepFolder(200, 'f');
  struct Case {
    const char* name;
    std::function<void(Startup&)> arrange;
    std::string message;
  } cases[] = {
      {"a package the loader refuses", [](Startup& t) { t.package_.selectedVariant = 7; },
       Message("D:\\INSTALL.PKG", text::kLoadError)},
      {"no ProgramFilesDir key",
       [](Startup&) { platform::ClearNativeRegistry(); }, text::kRegistryError},
      {"a ProgramFilesDir that is a number",
       [](Startup&) {
         platform::RegistryKey k = platform::Registry.CreateKey(RegistryRoot::LocalMachine, kCurrentVersion);
         platform::Registry.SetValue(k, "ProgramFilesDir", platform::kRegDword, "\1\0\0\0", 4);
       },
       text::kRegistryError},
      {"no Shell Folders key",
       [](Startup&) {
         platform::ClearNativeRegistry();
         SetRegistryString(RegistryRoot::LocalMachine, kCurrentVersion, "ProgramFilesDir", "C:\\P");
       },
       text::kRegistryError},
      {"a missing source of a variant nobody may choose",
       [](Startup&) {}, ""},  // replaced below
      {"no uninstaller", [](Startup& t) { std::filesystem::remove(t.dir_.path() / "UNINST.EXE"); },
       Message("D:\\UNINST.EXE", text::kNotFound)},
      {"an uninstaller that is a folder",
       [](Startup& t) {
         std::filesystem::remove(t.dir_.path() / "UNINST.EXE");
         std::filesystem::create_directory(t.dir_.path() / "UNINST.EXE");
       },
       Message("D:\\UNINST.EXE", text::kNotFound)},
  };
  cases[4].arrange = [](Startup& t) { t.package_.items[1].sourceName = "gone"; };
  cases[4].message = Message("D:\\gone", text::kNotFound);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    c.arrange(*this);
    EXPECT_EQ(Start({Answer(ui::kIdOk)}), 0);
    ExpectOnly(c.message);
  }
}

TEST_F(Startup, ReportsAMissingPackage) {
  user_ = std::make_unique<User>(std::vector<Step>{Answer(ui::kIdOk)}, "D:\\SETUP.EXE");
  EXPECT_EQ(RunInstaller(), 0);
  ExpectOnly(Message("D:\\SETUP.PKG", text::kNotFound));
}

TEST_F(Startup, LimitsPathLengthsInBytes) {
  // "D:\" + a folder of 100 + "\" is a SourceDir of 104 bytes.
  const std::string folder(100, 'd');
  for (std::size_t length : {259u, 260u}) {
    SCOPED_TRACE(length);
    std::string name(length - 104, 'n');
    std::filesystem::create_directories(dir_.path() / folder);
    Lay(folder + "/" + name);
    Lay(folder + "/UNINST.EXE");
    package_.items[0].sourceName = name;
    package_.items[1].sourceName = name;
    Start({length == 259 ? PressEscape() : Answer(ui::kIdOk)}, folder + "/");
    if (length == 259)
      EXPECT_EQ(Messages(), std::vector<std::string>{});
    else
      EXPECT_EQ(Messages(), std::vector<std::string>{Message(text::kSubjectCopySource, text::kPathTooDeep)});
  }

  // An installer whose package path reaches 260 bytes.
  user_.reset();
  user_ = std::make_unique<User>(std::vector<Step>{Answer(ui::kIdOk)}, "D:\\" + std::string(260 - 3 - 4, 'x') + ".EXE");
  EXPECT_EQ(RunInstaller(), 0);
  ExpectOnly(Message(text::kSubjectSource, text::kPathTooDeep));
}

TEST_F(Startup, WarnsAboutADeepStartMenuFolderAndGoesOn) {
  // "C:\" + n + "\Prod\" is n + 9 bytes.
  struct Case {
    std::size_t folderLength;
    std::vector<std::string> messages;
    std::vector<std::string> forms;
  } cases[] = {
      {239, {}, {"frmMain"}},
      {240, {Message(text::kSubjectStartMenu, text::kPathTooDeep)}, {"frmMain"}},
      {256,
       {Message(text::kSubjectStartMenu, text::kPathTooDeep), Message(text::kSubjectShortcut, text::kPathTooDeep)},
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folderLength);
    SetRegistryString(RegistryRoot::CurrentUser, kShellFolders, "Programs",
                      "C:\\" + std::string(c.folderLength - 9, 'm'));
    package_.items[0].shortcutName = "";  // the limit holds even without a shortcut
    std::vector<Step> steps(c.messages.size(), Answer(ui::kIdOk));
    if (!c.forms.empty()) steps.push_back(PressEscape());
    Start(steps);
    EXPECT_EQ(State.ShortcutDirectory.size(), c.folderLength);
    EXPECT_EQ(Messages(), c.messages);
    EXPECT_EQ(Forms(), c.forms);
  }
}

TEST_F(Startup, AMissingFolderValueIsNoFailure) {
  platform::ClearNativeRegistry();
  platform::Registry.CloseKey(platform::Registry.CreateKey(RegistryRoot::LocalMachine, kCurrentVersion));
  platform::Registry.CloseKey(platform::Registry.CreateKey(RegistryRoot::CurrentUser, kShellFolders));
  Start({PressEscape()});
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(State.ShortcutDirectory, "\\Prod\\");
  EXPECT_EQ(State.InstallDirectory, "\\Prod\\");
}

// Open("Kestrune") finds the product running the first `runs` times.
int productRuns = 0;

TEST_F(Startup, WaitsWhileTheProductRuns) {
  platform::Mutex.Open = [](const char* name) -> platform::MutexHandle {
    if (std::string(name) == "Kestrune" && productRuns-- > 0) return platform::MutexHandle(&productRuns);
    return nullptr;
  };
  platform::Mutex.Close = [](platform::MutexHandle h) { return h == &productRuns || realMutexes.Close(h); };

  productRuns = 2;  // OK twice; then the product has ended
  Start({Answer(ui::kIdOk), Answer(ui::kIdOk), PressEscape()});
  EXPECT_EQ(Messages(), (std::vector<std::string>{text::kProductRunning, text::kProductRunning}));
  EXPECT_EQ(user_->MessageBoxes()[0].caption, text::kCaptionError);
  EXPECT_EQ(user_->MessageBoxes()[0].flags, 0x11u);
  EXPECT_EQ(Forms(), std::vector<std::string>{"frmMain"});

  productRuns = 5;
  Start({Answer(ui::kIdCancel)});
  EXPECT_EQ(Messages(), std::vector<std::string>{text::kProductRunning});
  EXPECT_TRUE(Forms().empty());
}

TEST_F(Startup, RefusesToRunTwiceForOneProduct) {
  bool existed = false;
  platform::MutexHandle other = platform::Mutex.Create(kInstanceMutex, &existed);
  Start({Answer(ui::kIdOk)});
  EXPECT_EQ(Messages(), std::vector<std::string>{text::kAlreadyRunning});
  EXPECT_TRUE(Forms().empty());
  platform::MutexHandle stillThere = platform::Mutex.Open(kInstanceMutex);
  EXPECT_NE(stillThere, nullptr) << "the other installer's mutex is gone";
  platform::Mutex.Close(stillThere);
  platform::Mutex.Close(other);

  // Another product's installer is no obstacle.
  platform::MutexHandle another = platform::Mutex.Create("Install Vendor Other", &existed);
  Start({PressEscape()});
  EXPECT_TRUE(Messages().empty());
  platform::Mutex.Close(another);
}

TEST_F(Startup, TreatsAMutexMadeAfterTheProbeAsAnotherInstaller) {
  platform::Mutex.Open = [](const char*) -> platform::MutexHandle { return nullptr; };
  platform::Mutex.Create = [](const char* name, bool* existed) {
    platform::MutexHandle h = realMutexes.Create(name, existed);
    *existed = true;
    return h;
  };
  Start({Answer(ui::kIdOk)});
  EXPECT_EQ(Messages(), std::vector<std::string>{text::kAlreadyRunning});
  platform::Mutex = realMutex_;
  ExpectCleanedUp();
}

TEST_F(Startup, ReportsAMutexThatCannotBeMade) {
  platform::Mutex.Create = [](const char*, bool*) -> platform::MutexHandle { return nullptr; };
  Start({Answer(ui::kIdOk)});
  ExpectOnly(text::kMarkingFailed);
}

}  // namespace
