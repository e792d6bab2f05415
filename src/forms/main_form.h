// The main dialog: the package variants to choose from and the directory the
// product goes to. It is the application's main form; closing it ends the
// program.
#pragma once

#include "ui/ui.h"

class TfrmMain : public ui::Form {
 public:
  explicit TfrmMain(ui::Form* owner);

  ui::Button& btnOK;
  ui::Button& btnCancel;
  ui::RadioGroup& rgPackage;
  ui::Edit& edtDirectory;
  ui::Button& btnChange;
  ui::Label& lblDirectory;

  void FormCreate();
  void rgPackageClick();
  void btnOKClick();
  void btnChangeClick();
  void btnCancelClick();
};
