// The readme dialog over real files, played by a scripted user.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/texts.h"
#include "form_fixture.h"
#include "forms/readme_form.h"
#include "support/temp_dir.h"
#include "ui/ui.h"

using namespace ui::headless;
using Lines = std::vector<std::string>;

namespace {

class ReadmeForm : public FormTest {
 protected:
  void WriteReadme(const std::string& bytes) { State.ReadmePath = dir_.Write("INSTALL.TXT", bytes); }
  TempDir dir_;
};

TEST_F(ReadmeForm, ShowsTheFilesShiftJisBytesLineByLine) {
  // 表示 and ソフト carry 0x5C as a second byte; 0x0D 0x0A splits lines.
  WriteReadme("\x95\x5C\x8e\xa6\r\n\x83\x5C\x83\x74\x83\x67\rplain\n\n\tend");
  Play({});
  TfrmReadme form(nullptr);
  EXPECT_EQ(form.Caption(), text::kCaptionReadme);
  EXPECT_EQ(form.GetBorderIcons(), biSystemMenu | biMinimize);
  EXPECT_EQ(form.memReadme.Lines(),
            (Lines{"\x95\x5C\x8e\xa6", "\x83\x5C\x83\x74\x83\x67", "plain", "", "\tend"}));
}

TEST_F(ReadmeForm, OkEnterAndTheCloseBoxCloseIt) {
  WriteReadme("text\r\n");
  const Step ways[] = {Click("btnOK"), PressEnter(), CloseBox()};
  for (const Step& way : ways) {
    Play({way});
    TfrmReadme form(nullptr);
    EXPECT_EQ(form.ShowModal(), ui::mrCancel);
    ExpectPlayedThrough();
  }
}

TEST_F(ReadmeForm, EscapeDoesNothingWithoutACancelButton) {
  WriteReadme("text");
  Play({PressEscape(), Check([](ui::Form& form) { EXPECT_FALSE(form.Closed()); }), Click("btnOK")});
  TfrmReadme form(nullptr);
  form.ShowModal();
  ExpectPlayedThrough();
}

TEST_F(ReadmeForm, AnEmptyFileGivesNoLinesAndAWorkingOk) {
  WriteReadme("");
  Play({Click("btnOK")});
  TfrmReadme form(nullptr);
  EXPECT_TRUE(form.memReadme.Lines().empty());
  form.ShowModal();
  ExpectPlayedThrough();
}

TEST_F(ReadmeForm, AnUnreadableFileIsReportedAndTheDialogStillOpens) {
  State.ReadmePath = dir_.File("missing.txt");
  Play({Answer(ui::kIdOk), Click("btnOK")});
  TfrmReadme form(nullptr);
  form.ShowModal();
  ExpectPlayedThrough();
  EXPECT_TRUE(form.memReadme.Lines().empty());
  ASSERT_EQ(user_->MessageBoxes().size(), 1u);
  EXPECT_EQ(user_->MessageBoxes()[0].text, State.ReadmePath + text::kCannotRead);
  EXPECT_EQ(user_->MessageBoxes()[0].caption, "INSTALL");
  EXPECT_EQ(user_->FormsShown().size(), 1u);
}

}  // namespace
