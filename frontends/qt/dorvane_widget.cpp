// DorvaneWidget: ownership of the control, its placement on the host window,
// the properties with their run-time errors shown, not thrown, and the
// signals of the changes a host follows. The two tag presets live in
// dorvane_widget_tags.cpp.
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
      screen::ReportEscapedError(error, control_.get());
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
  control_->ErrorReported = [this](const base::RuntimeError& error) {
    emit errorReported(error.Number(), QString::fromStdString(error.Description()));
  };
  WatchSyncs(this, [this] { ReportChanges(); });
}

// The snapshot is taken before any signal goes out, so a slot that calls
// back into the widget (and syncs again) sees nothing new to report.
void DorvaneWidget::ReportChanges() {
  ztDorvane& c = *control_;
  auto field = [&c](const char* name) {
    auto value = c.StateField(name);
    return value ? value->ToLong() : 0;
  };
  Reported now = reported_;
  now.listVersion = c.WorkingListVersion();
  now.savedListTag = static_cast<int>(field("CurrentTJLTAG"));
  now.listOK = c.IsListOK() != 0;
  now.bpeTag = c.SelectedBPETAG();
  now.epeTag = c.SelectedEPETAG();
  now.bpeOK = field("IsBPEOK") != 0;
  now.epeOK = field("IsEPEOK") != 0;
  now.peEditing = field("IsPEEditing") != 0;
  const bool listChanged = now.listVersion != reported_.listVersion ||
                           now.savedListTag != reported_.savedListTag ||
                           now.listOK != reported_.listOK;
  const bool rangeChanged = now.bpeTag != reported_.bpeTag || now.epeTag != reported_.epeTag ||
                            now.bpeOK != reported_.bpeOK || now.epeOK != reported_.epeOK ||
                            now.peEditing != reported_.peEditing;
  if (now.listVersion != reported_.listVersion) {
    screen::Screen::Use use(*screen_);
    try {
      now.rows = c.WorkingListRows();
    } catch (const std::exception&) {
      now.rows = 0;  // the next action reports what is wrong with the connection
    }
  }
  reported_ = now;
  if (listChanged) emit workingListChanged(now.rows, now.savedListTag);
  if (rangeChanged) emit periodEndingRangeChanged(now.bpeTag, now.epeTag, now.bpeOK, now.epeOK);
}

QString DorvaneWidget::pathText() const {
  auto value = control_->StateField("PathText");
  return value ? QString::fromStdString(value->ToString()) : QString();
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
  controlsEnabled_ = value;
  Guarded([&] { control_->SetControlsEnabled(value); });
}

}  // namespace qtfront
