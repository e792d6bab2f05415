// The last pass of the install run: eight values below HKEY_LOCAL_MACHINE in
// three keys, the product's own, its main program's application path and
// its uninstall entry.
#pragma once

#include "install/progress.h"

// Null when every value is written, else the message that ends the run. The
// shared accessor is left on HKEY_LOCAL_MACHINE; every key the pass opens is
// closed again, whatever the result.
const char* RunRegistryPass(InstallBars& bars);
