// The program's entry: every check before the first dialog, the main dialog
// as the application's main form, and the one clean-up. Always returns 0.
#pragma once

int RunInstaller();
