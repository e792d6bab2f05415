// The readme dialog: the text file beside the installer, shown before
// anything else is offered.
#pragma once

#include "ui/ui.h"

class TfrmReadme : public ui::Form {
 public:
  explicit TfrmReadme(ui::Form* owner);

  ui::Button& btnOK;
  ui::Memo& memReadme;

  void FormCreate();
  void btnOKClick();
};
