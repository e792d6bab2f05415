// The offer made last, on the main dialog: whether to install the companion
// media player now. On Yes its installer is fetched into the temporary
// folder and started, owned by the main dialog's window; the program does
// not wait for it. The offer shows nothing else and reports nothing: every
// failure on the way ends it quietly.
#pragma once

#include <cstdint>

#include "ui/form.h"

// The player download server, a setting of the build.
extern const char kPlayerHost[];

void PlayerOffer(ui::Form& mainForm);
// The same with the installer fetched from url on port; tests serve it on
// loopback.
void PlayerOffer(ui::Form& mainForm, const char* url, std::uint16_t port);
