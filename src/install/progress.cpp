#include "install/progress.h"

#include "ui/form.h"

void Advance(ui::ProgressBar& bar, std::int32_t n) {
  bar.SetStep(n);
  bar.StepIt();
}
