// The second pass of the install run: a Start-menu shortcut for every chosen
// item that names one, in table order, then the uninstall shortcut.
#pragma once

#include "install/progress.h"

// Null when every shortcut is written, else the message that ends the run.
const char* RunShortcutPass(InstallBars& bars);
