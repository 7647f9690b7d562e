// DorvaneWidget: ownership of the control, its placement on the host window,
// and the properties with their run-time errors shown, not thrown. The two
// tag presets live in dorvane_widget_tags.cpp.
// Relies on QtWidgets, the control, ContainerView and the front end.
#include "frontends/qt/dorvane_widget.h"

#include <QVBoxLayout>
#include <exception>

#include "control/ztDorvane.h"
#include "frontends/qt/container_view.h"
#include "frontends/qt/front_end.h"
#include "frontends/qt/qt_desktop.h"

namespace qtfront {
namespace {

// A host that installed no desktop gets the Qt one, for the whole process and
// for good (it outlives every widget).
void EnsureDesktop(screen::Screen& screen) {
  screen::Screen::Use use(screen);
  if (screen::DesktopInstalled()) return;
  static QtDesktop* fallback = new QtDesktop;
  screen::SetDesktop(fallback);
}

}  // namespace

void DorvaneWidget::Guarded(const std::function<void()>& action) {
  {
    screen::Screen::Use use(*screen_);
    try {
      action();
    } catch (const std::exception& error) {
      screen::ReportEscapedError(error);
    }
  }
  SyncViews();
}

// The control is created (its Initialize runs) and placed with no focus: the
// focus comes when Qt gives the view the focus.
DorvaneWidget::DorvaneWidget(QWidget* parent, screen::Screen* screen)
    : QWidget(parent), screen_(screen != nullptr ? screen : &screen::Screen::Default()) {
  EnsureDesktop(*screen_);
  {
    screen::Screen::Use use(*screen_);
    control_ = std::make_unique<ztDorvane>();
  }
  screen_->Place(*control_);
  view_ = new ContainerView(*control_, this);
  view_->SetFollowsHostFocus(true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(view_);
  setFocusProxy(view_);
  setFocusPolicy(Qt::StrongFocus);
}

// The view lets go of the control before the control goes.
DorvaneWidget::~DorvaneWidget() {
  view_->Detach();
  delete view_;
  screen_->Remove(*control_);
}

QSize DorvaneWidget::sizeHint() const { return view_->SurfaceSize(); }

void DorvaneWidget::SetPathText(const std::string& value) {
  Guarded([&] { control_->SetPathText(value); });
}

int16_t DorvaneWidget::SelectedBPETAG() const { return control_->SelectedBPETAG(); }

int16_t DorvaneWidget::SelectedEPETAG() const { return control_->SelectedEPETAG(); }

std::string DorvaneWidget::SelectedBPEDATE() const { return control_->SelectedBPEDATE(); }
std::string DorvaneWidget::SelectedEPEDATE() const { return control_->SelectedEPEDATE(); }
int16_t DorvaneWidget::IsListOK() const { return control_->IsListOK(); }
int16_t DorvaneWidget::ArePEDatesOK() const { return control_->ArePEDatesOK(); }

void DorvaneWidget::SetControlsEnabled(bool value) {
  Guarded([&] { control_->SetControlsEnabled(value); });
}

}  // namespace qtfront
