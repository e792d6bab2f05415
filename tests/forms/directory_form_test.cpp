// The directory chooser over real folders on mapped drives, alone and opened
// from the main dialog, played by a scripted user.
#include <gtest/gtest.h>

#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include "app/texts.h"
#include "form_fixture.h"
#include "forms/directory_form.h"
#include "forms/main_form.h"
#include "platform/files.h"
#include "support/temp_dir.h"
#include "ui/ui.h"

using namespace ui::headless;
using Names = std::vector<std::string>;

namespace {

// ソ: its second byte is 0x5C.
const std::string kSo = "\x83\x5C";

TfrmDirectory& Chooser(ui::Form& form) { return dynamic_cast<TfrmDirectory&>(form); }

class DirectoryForm : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    real_ = platform::Files;
    platform::UnmapAllDrives();
    c_.WindowsPath('C');
    d_.WindowsPath('D');
    for (const char* folder :
         {"C:\\Program Files\\Beta", "C:\\Program Files\\alpha", "C:\\Windows", "D:\\Apps\\Tools", "D:\\Games"})
      Folder(folder);
  }
  void TearDown() override {
    platform::Files = real_;
    platform::UnmapAllDrives();
    FormTest::TearDown();
  }

  static void Folder(const std::string& path) { platform::Files.CreateDirectories(path.c_str()); }

  // The main dialog as start-up makes it, run until it closes.
  void RunMain() {
    ui::App.CreateForm(State.frmMain);
    ui::App.Run();
  }

  static Step ExpectPreview(const std::string& directory, const std::string& preview) {
    return Check([directory, preview](ui::Form& form) {
      TfrmDirectory& chooser = Chooser(form);
      EXPECT_EQ(chooser.dlxDirectory.Directory(), directory);
      EXPECT_EQ(chooser.edtDirectory.Text(), preview);
      EXPECT_EQ(State.WorkText, preview);
      EXPECT_EQ(chooser.dcxDrive.Drive(), static_cast<char>(directory[0] & ~0x20));
    });
  }

  TempDir c_;
  TempDir d_;
  platform::FileApi real_;
};

TEST_F(DirectoryForm, StartsAtTheBaseDirectoryShownOnItsDriveWithThePreview) {
  Folder("C:\\" + kSo);
  struct Case {
    std::string root;
    std::string directory;
    Names items;
    int current;
    std::string preview;
  };
  const Case cases[] = {
      {"C:\\Program Files", "C:\\Program Files", {"C:\\", "Program Files", "alpha", "Beta"}, 1,
       "C:\\Program Files\\Prod\\"},
      {"C:\\Program Files\\", "C:\\Program Files", {"C:\\", "Program Files", "alpha", "Beta"}, 1,
       "C:\\Program Files\\Prod\\"},
      {"c:\\Windows", "c:\\Windows", {"C:\\", "Windows"}, 1, "c:\\Windows\\Prod\\"},
      {"C:", "C:\\", {"C:\\", "Program Files", "Windows", kSo}, 0, "C:\\Prod\\"},
      // The final 0x5C of ソ is no separator: nothing is cut, one is added.
      {"C:\\" + kSo, "C:\\" + kSo, {"C:\\", kSo}, 1, "C:\\" + kSo + "\\Prod\\"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.root);
    State.ProgramFilesRoot = c.root;
    Play({});
    TfrmDirectory form(nullptr);
    EXPECT_EQ(form.Caption(), text::kCaptionDirectory);
    EXPECT_EQ(form.GetBorderIcons(), biSystemMenu | biMinimize);
    EXPECT_EQ(form.dlxDirectory.Directory(), c.directory);
    EXPECT_EQ(form.dlxDirectory.Items(), c.items);
    EXPECT_EQ(form.dlxDirectory.ItemIndex(), c.current);
    EXPECT_EQ(form.dcxDrive.Items(), (Names{"C:", "D:"}));
    EXPECT_EQ(form.dcxDrive.Drive(), 'C');
    EXPECT_EQ(form.edtDirectory.Text(), c.preview);
    EXPECT_EQ(State.WorkText, c.preview);
    EXPECT_TRUE(user_->MessageBoxes().empty());
  }
}

TEST_F(DirectoryForm, OpeningEntriesMovesUpAndDownWithOneChangePerMove) {
  Play({});
  TfrmDirectory form(nullptr);
  int changes = 0;
  form.dlxDirectory.OnChange = [&] { ++changes; };
  ui::DirectoryListBox& list = form.dlxDirectory;
  EXPECT_EQ(list.Level(3), 2);
  list.Open(2);  // alpha
  EXPECT_EQ(list.Directory(), "C:\\Program Files\\alpha");
  EXPECT_EQ(list.Items(), (Names{"C:\\", "Program Files", "alpha"}));
  list.Open(2);  // itself again: no change
  list.Open(1);
  EXPECT_EQ(list.Directory(), "C:\\Program Files");
  list.Open(0);
  EXPECT_EQ(list.Directory(), "C:\\");
  list.Open(2);  // Windows
  EXPECT_EQ(list.Directory(), "C:\\Windows");
  list.Open(9);  // no such entry
  EXPECT_EQ(changes, 4);
  EXPECT_TRUE(user_->MessageBoxes().empty());
}

TEST_F(DirectoryForm, ADriveRootGivesThePreviewWithoutADoubledBackslash) {
  Play({
      OpenItemAt("dlxDirectory", 0),
      ExpectPreview("C:\\", "C:\\Prod\\"),
      PressEnter(),
  });
  TfrmDirectory form(nullptr);
  form.ShowModal();
  ExpectPlayedThrough();
  EXPECT_EQ(State.ProgramFilesRoot, "C:\\");
}

TEST_F(DirectoryForm, OkStoresTheDirectoryAndTheMainDialogShowsThePreview) {
  std::string preview;
  Play({
      Click("btnChange"),
      OpenItem("dlxDirectory", "C:\\"),
      OpenItem("dlxDirectory", "Windows"),
      Check([&](ui::Form& form) { preview = Chooser(form).edtDirectory.Text(); }),
      Click("btnOK"),
      Check([&](ui::Form& form) {
        EXPECT_EQ(State.ProgramFilesRoot, "C:\\Windows");
        EXPECT_EQ(static_cast<TfrmMain&>(form).edtDirectory.Text(), preview);
        EXPECT_EQ(State.InstallDirectory, "C:\\Windows\\Prod\\");
      }),
      CloseBox(),
  });
  RunMain();
  ExpectPlayedThrough();
  ASSERT_EQ(user_->FormsShown().size(), 2u);
  EXPECT_EQ(user_->FormsShown()[1].name, "frmDirectory");
  EXPECT_EQ(user_->FormsShown()[1].caption, text::kCaptionDirectory);
}

TEST_F(DirectoryForm, APreviewOf260BytesIsRefusedAndTheChooserStaysOpen) {
  // Each ソ counts two bytes; "D:\" + the name + "\Prod\" is the preview.
  std::string name259;
  for (int i = 0; i < 125; ++i) name259 += kSo;
  const std::string dir259 = "D:\\" + name259;
  const std::string dir260 = dir259 + "a";
  Folder(dir259);
  Folder(dir260);
  ASSERT_EQ(dir259.size() + 6, 259u);

  State.ProgramFilesRoot = dir259;
  Play({Click("btnOK")});
  TfrmDirectory(nullptr).ShowModal();
  ExpectPlayedThrough();
  EXPECT_EQ(State.ProgramFilesRoot, dir259);
  EXPECT_TRUE(user_->MessageBoxes().empty());

  State.ProgramFilesRoot = dir260;
  Play({
      ExpectPreview(dir260, dir260 + "\\Prod\\"),
      Click("btnOK"),
      Answer(ui::kIdOk),
      Check([](ui::Form& form) { EXPECT_FALSE(form.Closed()); }),
      OpenItem("dlxDirectory", "D:\\"),  // a shorter one is taken
      Click("btnOK"),
  });
  TfrmDirectory(nullptr).ShowModal();
  ExpectPlayedThrough();
  ASSERT_EQ(user_->MessageBoxes().size(), 1u);
  EXPECT_EQ(user_->MessageBoxes()[0].text, text::kPathTooDeep);
  EXPECT_EQ(user_->MessageBoxes()[0].caption, "INSTALL");
  EXPECT_EQ(user_->MessageBoxes()[0].owner, "frmDirectory");
  EXPECT_EQ(State.ProgramFilesRoot, "D:\\");
}

TEST_F(DirectoryForm, CancelEscapeOrTheCloseBoxAfterBrowsingChangeNothing) {
  for (const Step& way : {Click("btnCancel"), PressEscape(), CloseBox()}) {
    State.ProgramFilesRoot = "C:\\Program Files";
    Play({
        Click("btnChange"),
        ChooseDrive("dcxDrive", 'D'),
        OpenItem("dlxDirectory", "Apps"),
        way,
        Check([](ui::Form& form) {
          EXPECT_EQ(State.ProgramFilesRoot, "C:\\Program Files");
          EXPECT_EQ(static_cast<TfrmMain&>(form).edtDirectory.Text(), "C:\\Program Files\\Prod\\");
          EXPECT_EQ(State.InstallDirectory, "C:\\Program Files\\Prod\\");
        }),
        CloseBox(),
    });
    RunMain();
    ExpectPlayedThrough();
  }
}

TEST_F(DirectoryForm, AnotherDriveUpdatesThePreviewAtOnceAndKeepsEachDrivesPlace) {
  Play({
      ChooseDrive("dcxDrive", 'D'),
      ExpectPreview("D:\\", "D:\\Prod\\"),
      OpenItem("dlxDirectory", "Apps"),
      ExpectPreview("D:\\Apps", "D:\\Apps\\Prod\\"),
      ChooseDrive("dcxDrive", 'c'),
      ExpectPreview("C:\\Program Files", "C:\\Program Files\\Prod\\"),
      ChooseDrive("dcxDrive", 'D'),
      ExpectPreview("D:\\Apps", "D:\\Apps\\Prod\\"),
      PressEscape(),
  });
  TfrmDirectory(nullptr).ShowModal();
  ExpectPlayedThrough();
  EXPECT_TRUE(user_->MessageBoxes().empty());
}

TEST_F(DirectoryForm, OpeningItAgainAfterOkStartsAtTheLastPick) {
  Play({
      Click("btnChange"),
      ChooseDrive("dcxDrive", 'D'),
      OpenItem("dlxDirectory", "Apps"),
      OpenItem("dlxDirectory", "Tools"),
      PressEnter(),
      Click("btnChange"),
      ExpectPreview("D:\\Apps\\Tools", "D:\\Apps\\Tools\\Prod\\"),
      Check([](ui::Form& form) {
        EXPECT_EQ(Chooser(form).dlxDirectory.Items(), (Names{"D:\\", "Apps", "Tools"}));
      }),
      PressEscape(),
      Check([](ui::Form& form) {
        EXPECT_EQ(static_cast<TfrmMain&>(form).edtDirectory.Text(), "D:\\Apps\\Tools\\Prod\\");
      }),
      CloseBox(),
  });
  RunMain();
  ExpectPlayedThrough();
  EXPECT_EQ(State.frmDirectory, nullptr);
}

TEST_F(DirectoryForm, AStartDirectoryThatCannotBeEnteredIsReportedAndTheChooserOpensNearIt) {
  struct Case {
    std::string root;
    std::string opensAt;
  };
  const Case cases[] = {
      {"C:\\Program Files\\Gone\\Deeper", "C:\\Program Files"},  // the nearest folder above it
      {"Q:\\Apps", "C:\\"},                                      // no such drive: the first drive
      {"", "C:\\"},
      {"Program Files", "C:\\"},  // not a full path
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.root);
    State.ProgramFilesRoot = c.root;
    Play({
        Answer(ui::kIdOk),  // while the chooser is made
        ExpectPreview(c.opensAt, AppendProductFolder(c.opensAt)),
        Click("btnOK"),
    });
    TfrmDirectory(nullptr).ShowModal();
    ExpectPlayedThrough();
    ASSERT_EQ(user_->MessageBoxes().size(), 1u);
    EXPECT_EQ(user_->MessageBoxes()[0].text, c.root + text::kCannotRead);
    EXPECT_EQ(user_->MessageBoxes()[0].flags, ui::kMbOk | ui::kMbIconStop);
    EXPECT_EQ(State.ProgramFilesRoot, c.opensAt);
  }
}

TEST_F(DirectoryForm, AFolderOrDriveThatCannotBeEnteredIsReportedAndTheListStays) {
  platform::MapDrive('E', (c_.path() / "no such folder").string());
  Play({
      OpenItem("dlxDirectory", "C:\\"),
      Check([](ui::Form&) { std::filesystem::remove_all(platform::HostPath("C:\\Windows")); }),
      OpenItem("dlxDirectory", "Windows"),
      Answer(ui::kIdOk),
      ExpectPreview("C:\\", "C:\\Prod\\"),
      ChooseDrive("dcxDrive", 'E'),
      Answer(ui::kIdOk),
      ExpectPreview("C:\\", "C:\\Prod\\"),
      PressEscape(),
  });
  TfrmDirectory(nullptr).ShowModal();
  ExpectPlayedThrough();
  ASSERT_EQ(user_->MessageBoxes().size(), 2u);
  EXPECT_EQ(user_->MessageBoxes()[0].text, std::string("C:\\Windows") + text::kCannotRead);
  EXPECT_EQ(user_->MessageBoxes()[1].text, std::string("E:\\") + text::kCannotRead);
}

TEST_F(DirectoryForm, AChooserThatCannotBeMadeIsReportedAndTheMainDialogCloses) {
  platform::Files.DriveLetters = []() -> std::string { throw std::bad_alloc(); };
  Play({
      Click("btnChange"),
      Answer(ui::kIdOk),
  });
  RunMain();
  ExpectPlayedThrough();
  ASSERT_EQ(user_->MessageBoxes().size(), 1u);
  EXPECT_EQ(user_->MessageBoxes()[0].text, text::kOutOfMemory);
  EXPECT_EQ(user_->MessageBoxes()[0].owner, "frmMain");
  EXPECT_EQ(user_->FormsShown().size(), 1u);
  EXPECT_TRUE(State.frmMain->Closed());
}

}  // namespace
