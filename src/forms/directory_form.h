// The directory chooser: the base directory the product's folder goes
// under, picked on any drive, with a preview of the folder that results.
#pragma once

#include "ui/ui.h"

class TfrmDirectory : public ui::Form {
 public:
  explicit TfrmDirectory(ui::Form* owner);

  ui::Button& btnOK;
  ui::Button& btnCancel;
  ui::Edit& edtDirectory;
  ui::DriveComboBox& dcxDrive;
  ui::DirectoryListBox& dlxDirectory;

  void FormCreate();
  void dlxDirectoryChange();
  void btnOKClick();
  void btnCancelClick();

 private:
  void EnterStartDirectory();
};
