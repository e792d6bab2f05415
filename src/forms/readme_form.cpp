#include "forms/readme_form.h"

#include "app/state.h"
#include "app/texts.h"

namespace {

using ui::ControlKind;

const ui::FormDesc kReadmeForm = {
    "frmReadme",
    text::kCaptionReadme,
    312,
    213,
    {
        {ControlKind::Button, "btnOK", text::kButtonOK, {232, 184, 75, 25}, 0, ui::kDefault},
        {ControlKind::Memo, "memReadme", "", {8, 8, 297, 169}, 1,
         ui::kReadOnly | ui::kSkipTab | ui::kVerticalScroll | ui::kWantTabs},
    },
};

}  // namespace

TfrmReadme::TfrmReadme(ui::Form* owner)
    : ui::Form(owner, kReadmeForm),
      btnOK(Find<ui::Button>("btnOK")),
      memReadme(Find<ui::Memo>("memReadme")) {
  btnOK.OnClick = [this] { btnOKClick(); };
  ui::Dispatch([this] { FormCreate(); });
}

// A file that cannot be read is reported and leaves the text empty; the
// dialog still opens.
void TfrmReadme::FormCreate() {
  SetBorderIcons(State.DialogBorderIcons);
  memReadme.LoadFromFile(State.ReadmePath);
}

void TfrmReadme::btnOKClick() { Close(); }
