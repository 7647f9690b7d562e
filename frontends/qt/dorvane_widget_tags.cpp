// DorvaneWidget's two tag presets (the Let sides of SelectedBPETAG and
// SelectedEPETAG), apart from the rest of the widget so that a host that never
// presets a tag does not need the control's period-ending routines linked in.
// Relies on the control and DorvaneWidget.
#include "control/ztDorvane.h"
#include "frontends/qt/dorvane_widget.h"

namespace qtfront {

void DorvaneWidget::SetSelectedBPETAG(int16_t tag) {
  Guarded([&] { control_->SetSelectedBPETAG(tag); });
}

void DorvaneWidget::SetSelectedEPETAG(int16_t tag) {
  Guarded([&] { control_->SetSelectedEPETAG(tag); });
}

}  // namespace qtfront
