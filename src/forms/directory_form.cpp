#include "forms/directory_form.h"

#include <cstddef>
#include <string>

#include "app/paths.h"
#include "app/state.h"
#include "app/texts.h"

namespace {

using ui::ControlKind;


const ui::FormDesc kDirectoryForm = {
    "frmDirectory",
    text::kCaptionDirectory,
    312,
    213,
    {
        {ControlKind::Button, "btnOK", text::kButtonOK, {152, 184, 75, 25}, 0, ui::kDefault},
        {ControlKind::Button, "btnCancel", text::kButtonCancel, {232, 184, 75, 25}, 1, ui::kCancel},
        {ControlKind::Edit, "edtDirectory", "", {8, 8, 297, 20}, 2, ui::kReadOnly | ui::kSkipTab},
        {ControlKind::DriveComboBox, "dcxDrive", "", {8, 32, 297, 18}, 3, 0},
        {ControlKind::DirectoryListBox, "dlxDirectory", "", {8, 48, 297, 129}, 4, 0},
    },
};

}  // namespace

TfrmDirectory::TfrmDirectory(ui::Form* owner)
    : ui::Form(owner, kDirectoryForm),
      btnOK(Find<ui::Button>("btnOK")),
      btnCancel(Find<ui::Button>("btnCancel")),
      edtDirectory(Find<ui::Edit>("edtDirectory")),
      dcxDrive(Find<ui::DriveComboBox>("dcxDrive")),
      dlxDirectory(Find<ui::DirectoryListBox>("dlxDirectory")) {
  dcxDrive.SetDirList(dlxDirectory);
  btnOK.OnClick = [this] { btnOKClick(); };
  btnCancel.OnClick = [this] { btnCancelClick(); };
  dlxDirectory.OnChange = [this] { dlxDirectoryChange(); };
  ui::Dispatch([this] { FormCreate(); });
}

// Entering the directory raises no change event when the list is there
// already, so the preview is composed once more.
void TfrmDirectory::FormCreate() {
  SetBorderIcons(State.DialogBorderIcons);
  EnterStartDirectory();
  dlxDirectoryChange();
}

// A start directory that cannot be entered is reported; the chooser then
// opens at the nearest folder above it that can be, or else at the first
// drive whose root can.
void TfrmDirectory::EnterStartDirectory() {
  try {
    dlxDirectory.SetDirectory(State.ProgramFilesRoot);
    return;
  } catch (const ui::Exception& e) {
    ui::App.ShowException(e);
  }
  for (std::string above = DirectoryPart(State.ProgramFilesRoot); !above.empty();) {
    if (dlxDirectory.Enter(above)) return;
    std::string next = DirectoryPart(above);
    if (next == above) break;
    above = next;
  }
  for (char letter : dcxDrive.Drives())
    if (dlxDirectory.Enter({letter, ':', '\\'})) return;
}

void TfrmDirectory::dlxDirectoryChange() {
  State.WorkText = AppendProductFolder(dlxDirectory.Directory());
  edtDirectory.SetText(State.WorkText);
}

void TfrmDirectory::btnOKClick() {
  if (State.WorkText.size() >= kPathLimit) {
    ui::ShowMessage(text::kPathTooDeep);
    return;
  }
  State.ProgramFilesRoot = dlxDirectory.Directory();
  Close();
}

void TfrmDirectory::btnCancelClick() { Close(); }
