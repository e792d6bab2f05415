#include "forms/install_form.h"

#include <cstdint>
#include <string>

#include "app/state.h"
#include "app/texts.h"
#include "install/copy_pass.h"
#include "install/registry_pass.h"
#include "install/shortcut_pass.h"

namespace {

using ui::ControlKind;

const ui::FormDesc kInstallForm = {
    "frmInstall",
    text::kCaptionInstall,
    312,
    213,
    {
        {ControlKind::Label, "lblCopy", text::kLabelCopy, {8, 88, 85, 12}, ui::kNoTabStop, 0},
        {ControlKind::Label, "lblLink", text::kLabelLink, {8, 112, 102, 12}, ui::kNoTabStop, 0},
        {ControlKind::Label, "lblRegistry", text::kLabelRegistry, {8, 136, 85, 12}, ui::kNoTabStop, 0},
        {ControlKind::ProgressBar, "pbCopy", "", {120, 88, 185, 9}, 2, 0, 0, 0, 1},
        {ControlKind::ProgressBar, "pbLink", "", {120, 112, 184, 9}, 3, 0, 0, 0, 1},
        {ControlKind::ProgressBar, "pbRegistry", "", {120, 136, 185, 9}, 4, 0, 0, 8, 1},
        {ControlKind::Label, "lblAll", text::kLabelAll, {8, 160, 72, 12}, ui::kNoTabStop, 0},
        {ControlKind::ProgressBar, "pbAll", "", {120, 160, 184, 9}, 5, 0, 0, 0, 1},
        {ControlKind::Label, "lblNotes1", text::kNotes1, {8, 8, 250, 12}, ui::kNoTabStop, 0},
        {ControlKind::Label, "lblNotes2", text::kNotes2, {16, 24, 95, 12}, ui::kNoTabStop, 0},
        {ControlKind::Label, "lblNotes3", text::kNotes3, {16, 40, 125, 12}, ui::kNoTabStop, 0},
        {ControlKind::Label, "lblLinkNeed", "", {150, 24, 139, 12}, ui::kNoTabStop,
         ui::kRightAlign | ui::kFixedSize},
        {ControlKind::Label, "lblInstNeed", "", {152, 40, 137, 12}, ui::kNoTabStop,
         ui::kRightAlign | ui::kFixedSize},
        {ControlKind::Label, "lblNotes6", text::kNotes6, {144, 56, 157, 12}, ui::kNoTabStop, 0},
        {ControlKind::Button, "btnInstall", text::kButtonInstall, {152, 184, 75, 25}, 0, ui::kDefault},
        {ControlKind::Button, "btnCancel", text::kButtonCancel, {232, 184, 75, 25}, 1, ui::kCancel},
    },
};

// Whole mebibytes, as "5MB".
std::string Megabytes(std::uint32_t bytes) { return std::to_string(bytes >> 20) + "MB"; }

}  // namespace

TfrmInstall::TfrmInstall(ui::Form* owner)
    : ui::Form(owner, kInstallForm),
      lblCopy(Find<ui::Label>("lblCopy")),
      lblLink(Find<ui::Label>("lblLink")),
      lblRegistry(Find<ui::Label>("lblRegistry")),
      pbCopy(Find<ui::ProgressBar>("pbCopy")),
      pbLink(Find<ui::ProgressBar>("pbLink")),
      pbRegistry(Find<ui::ProgressBar>("pbRegistry")),
      lblAll(Find<ui::Label>("lblAll")),
      pbAll(Find<ui::ProgressBar>("pbAll")),
      lblNotes1(Find<ui::Label>("lblNotes1")),
      lblNotes2(Find<ui::Label>("lblNotes2")),
      lblNotes3(Find<ui::Label>("lblNotes3")),
      lblLinkNeed(Find<ui::Label>("lblLinkNeed")),
      lblInstNeed(Find<ui::Label>("lblInstNeed")),
      lblNotes6(Find<ui::Label>("lblNotes6")),
      btnInstall(Find<ui::Button>("btnInstall")),
      btnCancel(Find<ui::Button>("btnCancel")) {
  btnInstall.OnClick = [this] { btnInstallClick(); };
  btnCancel.OnClick = [this] { btnCancelClick(); };
  ui::Dispatch([this] { FormCreate(); });
}

void TfrmInstall::FormCreate() {
  SetBorderIcons(State.DialogBorderIcons);
  State.WorkText = Megabytes(State.SystemBytesNeeded);
  lblLinkNeed.SetText(State.WorkText);
  State.WorkText = Megabytes(State.InstallBytesNeeded);
  lblInstNeed.SetText(State.WorkText);
  // The bars hold signed 32-bit values; totals of 2 GiB and more are outside
  // what they can show.
  pbCopy.SetMax(static_cast<std::int32_t>(State.CopyByteTotal));
  pbLink.SetMax(static_cast<std::int32_t>(State.ShortcutTotal));
  std::int64_t all = std::int64_t{pbCopy.Max()} + pbLink.Max() + pbRegistry.Max();
  pbAll.SetMax(static_cast<std::int32_t>(all));
}

// The first failure shows its message and ends the run; nothing done before
// it is undone.
void TfrmInstall::btnInstallClick() {
  InstallBars bars{pbCopy, pbLink, pbRegistry, pbAll};
  const char* failure = RunCopyPass(bars);
  if (!failure) {
    pbAll.SetStep(1);  // the copy pass left it at its last chunk
    failure = RunShortcutPass(bars);
  }
  if (!failure) failure = RunRegistryPass(bars);
  ui::ShowMessage(failure ? failure : text::kCompleted);
  Close();
}

void TfrmInstall::btnCancelClick() { Close(); }
