// The install dialog's four bars on a bare form, for testing the passes
// without the dialog: pbRegistry keeps its maximum of 8, the others are made
// roomy so that a pass that steps too often shows in the positions.
#pragma once

#include "install/progress.h"
#include "ui/form.h"

class BarsForm : public ui::Form {
 public:
  BarsForm();
  InstallBars bars;
};
