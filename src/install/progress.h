// The install dialog's four bars, the passes' only way to report progress.
#pragma once

#include <cstdint>

namespace ui {
class ProgressBar;
}

struct InstallBars {
  ui::ProgressBar& copy;
  ui::ProgressBar& link;
  ui::ProgressBar& registry;
  ui::ProgressBar& all;
};

// Sets the bar's step to n and steps it once; the step stays n.
void Advance(ui::ProgressBar& bar, std::int32_t n);
