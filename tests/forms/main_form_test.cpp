// The main dialog, created as start-up creates it and played by a scripted
// user.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "form_fixture.h"
#include "forms/main_form.h"
#include "ui/ui.h"

using namespace ui::headless;

namespace {

class MainForm : public FormTest {
 protected:
  // The main form through the application object, as start-up makes it.
  TfrmMain& Create() {
    ui::App.CreateForm(State.frmMain);
    return *State.frmMain;
  }
};

TEST_F(MainForm, CaptionIsTitleDashProductWithTheDialogBorderIcons) {
  Play({});
  TfrmMain& form = Create();
  EXPECT_EQ(form.Caption(), "INSTALL - Prod");
  EXPECT_EQ(form.GetBorderIcons(), biSystemMenu | biMinimize);
  EXPECT_EQ(ui::App.MainForm(), &form);
}

TEST_F(MainForm, ListsTheVariantsWithThePackagesChoiceSelected) {
  struct Case {
    std::vector<const char*> names;
    std::uint32_t selected;
  };
  const Case cases[] = {
      {{"Standard"}, 0},
      {{"Standard", "Full", "Minimal"}, 2},
      {{"A", "B", "C", "D"}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.names.size());
    SetVariants({}, 0);
    for (std::size_t i = 0; i < c.names.size(); ++i)
      std::strcpy(image_.Header.VariantNames[i], c.names[i]);
    image_.Header.VariantCount = static_cast<std::uint32_t>(c.names.size());
    image_.Header.SelectedVariant = c.selected;
    Play({});
    TfrmMain& form = Create();
    EXPECT_EQ(form.rgPackage.Items(), std::vector<std::string>(c.names.begin(), c.names.end()));
    EXPECT_EQ(form.rgPackage.ItemIndex(), static_cast<int>(c.selected));
    EXPECT_EQ(State.ItemCursor, c.names.size());
  }
}

TEST_F(MainForm, ChoosingAnotherVariantStoresIt) {
  SetVariants({"Standard", "Full", "Minimal"}, 0);
  Play({
      Click("rgPackage.2"),
      Check([](ui::Form&) { EXPECT_EQ(State.Package->Header.SelectedVariant, 2u); }),
      Click("rgPackage.1"),
      CloseBox(),
  });
  TfrmMain& form = Create();
  ui::App.Run();
  ExpectPlayedThrough();
  EXPECT_EQ(form.rgPackage.ItemIndex(), 1);
  EXPECT_EQ(image_.Header.SelectedVariant, 1u);
}

TEST_F(MainForm, ShowsTheProductFolderUnderTheBaseDirectory) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\Program Files", "C:\\Program Files\\Prod\\"},
      {"C:\\", "C:\\Prod\\"},                           // a drive root: no second backslash
      {"", "\\Prod\\"},                                 // no base at all
      {"D:\\\x95\x5C", "D:\\\x95\x5C\\Prod\\"},         // 表 ends in 0x5C
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    State.ProgramFilesRoot = c.first;
    Play({});
    TfrmMain& form = Create();
    EXPECT_EQ(State.InstallDirectory, c.second);
    EXPECT_EQ(form.edtDirectory.Text(), c.second);
  }
}

TEST_F(MainForm, CancelEscapeAndTheCloseBoxEndTheRun) {
  const Step ways[] = {Click("btnCancel"), PressEscape(), CloseBox()};
  for (const Step& way : ways) {
    Play({way});
    Create();
    ui::App.Run();
    ExpectPlayedThrough();
    ASSERT_EQ(user_->FormsShown().size(), 1u);
    EXPECT_EQ(user_->FormsShown()[0].caption, "INSTALL - Prod");
    EXPECT_TRUE(user_->MessageBoxes().empty());
  }
}

}  // namespace
