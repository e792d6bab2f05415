// The install dialog: what the installation needs on each drive, and the
// run that copies the files, makes the shortcuts and registers the product,
// reporting on four bars. Every run ends by closing the dialog.
#pragma once

#include "ui/ui.h"

class TfrmInstall : public ui::Form {
 public:
  explicit TfrmInstall(ui::Form* owner);

  ui::Label& lblCopy;
  ui::Label& lblLink;
  ui::Label& lblRegistry;
  ui::ProgressBar& pbCopy;
  ui::ProgressBar& pbLink;
  ui::ProgressBar& pbRegistry;
  ui::Label& lblAll;
  ui::ProgressBar& pbAll;
  ui::Label& lblNotes1;
  ui::Label& lblNotes2;
  ui::Label& lblNotes3;
  ui::Label& lblLinkNeed;
  ui::Label& lblInstNeed;
  ui::Label& lblNotes6;
  ui::Button& btnInstall;
  ui::Button& btnCancel;

  void FormCreate();
  void btnInstallClick();
  void btnCancelClick();
};
