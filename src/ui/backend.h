// What a back end of the control layer provides. ui/win32 makes real
// windows; ui/headless keeps no windows and lets a test play the user.
// Forms and controls call these after changing their own state, so a back
// end only mirrors that state.
#pragma once

#include <string>

#include "ui/form.h"

namespace ui::backend {

// Made once the form's own state is set, before its controls.
WindowPtr CreateFormWindow(Form& form);
// Made in tab order, after the form's window.
WindowPtr CreateControlWindow(Control& control);

// What Form::Handle gives.
void* NativeHandle(const Form& form);

void ShowCaption(Form& form);
void ShowBorderIcons(Form& form);
void ShowText(Control& control);
void ShowItems(RadioGroup& group);  // an item was added
void ShowItemIndex(RadioGroup& group);
void ShowLines(Memo& memo);
void ShowProgress(ProgressBar& bar);
void ShowDrive(DriveComboBox& combo);      // the drive chosen
void ShowDirectory(DirectoryListBox& list);  // its entries and directory

// Shows the form and handles input until form.Closed(); modal runs disable
// the owner meanwhile. The form is hidden again afterwards.
void RunForm(Form& form, bool modal);
// The form was closed; its run must notice even when it is waiting for input.
void WakeRun(Form& form);

// A message box owned by owner's window (none for null); the button pressed.
int ShowMessageBox(Form* owner, const std::string& text, const std::string& caption,
                   unsigned flags);

// The program's own full path.
std::string ModuleFileName();

}  // namespace ui::backend
