#include "install_bars.h"

namespace {

using ui::ControlKind;

constexpr std::int32_t kRoomy = 1000;

const ui::FormDesc kBarsForm = {
    "frmBars",
    "Bars",
    312,
    213,
    {
        {ControlKind::ProgressBar, "pbCopy", "", {120, 88, 185, 9}, 0, 0, 0, kRoomy, 1},
        {ControlKind::ProgressBar, "pbLink", "", {120, 112, 184, 9}, 1, 0, 0, kRoomy, 1},
        {ControlKind::ProgressBar, "pbRegistry", "", {120, 136, 185, 9}, 2, 0, 0, 8, 1},
        {ControlKind::ProgressBar, "pbAll", "", {120, 160, 184, 9}, 3, 0, 0, kRoomy, 1},
    },
};

}  // namespace

BarsForm::BarsForm()
    : ui::Form(nullptr, kBarsForm),
      bars{Find<ui::ProgressBar>("pbCopy"), Find<ui::ProgressBar>("pbLink"),
           Find<ui::ProgressBar>("pbRegistry"), Find<ui::ProgressBar>("pbAll")} {}
