#include "forms/main_form.h"

#include <memory>

#include "app/state.h"
#include "app/texts.h"
#include "forms/directory_form.h"
#include "forms/install_form.h"
#include "net/player_offer.h"
#include "setup/space_check.h"

namespace {

using ui::ControlKind;

const ui::FormDesc kMainForm = {
    "frmMain",
    nullptr,  // composed in FormCreate
    312,
    213,
    {
        {ControlKind::Button, "btnOK", text::kButtonOK, {152, 184, 75, 25}, 0, ui::kDefault},
        {ControlKind::Button, "btnCancel", text::kButtonCancel, {232, 184, 75, 25}, 1, ui::kCancel},
        {ControlKind::RadioGroup, "rgPackage", text::kGroupPackage, {8, 8, 297, 105}, 2, 0},
        {ControlKind::Edit, "edtDirectory", "", {8, 144, 249, 20}, 3, ui::kReadOnly | ui::kSkipTab},
        {ControlKind::Button, "btnChange", text::kButtonChange, {264, 144, 43, 20}, 4, 0},
        {ControlKind::Label, "lblDirectory", text::kLabelDirectory, {8, 128, 0, 0}, ui::kNoTabStop, 0},
    },
};

}  // namespace

TfrmMain::TfrmMain(ui::Form* owner)
    : ui::Form(owner, kMainForm),
      btnOK(Find<ui::Button>("btnOK")),
      btnCancel(Find<ui::Button>("btnCancel")),
      rgPackage(Find<ui::RadioGroup>("rgPackage")),
      edtDirectory(Find<ui::Edit>("edtDirectory")),
      btnChange(Find<ui::Button>("btnChange")),
      lblDirectory(Find<ui::Label>("lblDirectory")) {
  btnOK.OnClick = [this] { btnOKClick(); };
  btnCancel.OnClick = [this] { btnCancelClick(); };
  rgPackage.OnClick = [this] { rgPackageClick(); };
  btnChange.OnClick = [this] { btnChangeClick(); };
  ui::Dispatch([this] { FormCreate(); });
}

void TfrmMain::FormCreate() {
  SetBorderIcons(State.DialogBorderIcons);

  const PackageHeader& package = State.Package->Header;
  State.WorkText = ui::App.Title();
  State.WorkText += " - ";
  State.WorkText += package.ProductName;
  SetCaption(State.WorkText);

  for (State.ItemCursor = 0; State.ItemCursor < package.VariantCount; ++State.ItemCursor)
    rgPackage.AddItem(package.VariantNames[State.ItemCursor]);
  rgPackage.SetItemIndex(static_cast<int>(package.SelectedVariant));

  State.InstallDirectory = AppendProductFolder(State.ProgramFilesRoot);
  edtDirectory.SetText(State.InstallDirectory);
}

void TfrmMain::rgPackageClick() {
  State.Package->Header.SelectedVariant = static_cast<std::uint32_t>(rgPackage.ItemIndex());
}

// The chooser replaces ProgramFilesRoot only on OK; the folder is composed
// again however it closed.
void TfrmMain::btnChangeClick() {
  std::unique_ptr<TfrmDirectory> chooser;
  try {
    chooser = std::make_unique<TfrmDirectory>(this);
  } catch (...) {
    ui::ShowMessage(text::kOutOfMemory);
    Close();
    return;
  }
  State.frmDirectory = chooser.get();
  chooser->ShowModal();
  State.frmDirectory = nullptr;
  chooser.reset();
  State.InstallDirectory = AppendProductFolder(State.ProgramFilesRoot);
  edtDirectory.SetText(State.InstallDirectory);
}

// The space check, then the install dialog; once that has opened, the main
// dialog closes whatever happened in it.
void TfrmMain::btnOKClick() {
  SpaceCheckOutcome outcome = SpaceCheck(static_cast<std::uint32_t>(rgPackage.ItemIndex()));
  if (outcome.next != SpaceCheckOutcome::Next::Proceed) {
    ui::ShowMessage(outcome.message);
    if (outcome.next == SpaceCheckOutcome::Next::CloseDialog) Close();
    return;
  }
  std::unique_ptr<TfrmInstall> install;
  try {
    install = std::make_unique<TfrmInstall>(this);
  } catch (...) {
    ui::ShowMessage(text::kOutOfMemory);
    Close();
    return;
  }
  State.frmInstall = install.get();
  install->ShowModal();
  install.reset();
  State.frmInstall = nullptr;
  PlayerOffer(*this);
  Close();
}

void TfrmMain::btnCancelClick() { Close(); }
