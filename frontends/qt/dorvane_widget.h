// DorvaneWidget: the control ztDorvane as a QWidget that a Qt host places on
// its own window. It owns the control, places it on a toolkit screen (the
// default one unless the host gives its own; any number of widgets may share
// a screen, each on its own data source), shows it through a ContainerView
// that follows the host's focus moves, and offers the control's eight
// properties as C++ methods. A run-time error raised by a property is shown
// through the Desktop, never thrown at the Qt host. When the host has
// installed no Desktop (screen::SetDesktop), the first widget installs a
// QtDesktop for the process, so message boxes and dialogs really show.
// Threads: the GUI thread only, like every QWidget.
// Relies on QtWidgets, the control and the front end.
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class ztDorvane;

namespace screen {
class Screen;
}

namespace qtfront {

class ContainerView;

class DorvaneWidget : public QWidget {
 public:
  // screen: the toolkit's host window the control goes on; nullptr for the
  // default one.
  explicit DorvaneWidget(QWidget* parent = nullptr, screen::Screen* screen = nullptr);
  ~DorvaneWidget() override;
  DorvaneWidget(const DorvaneWidget&) = delete;
  DorvaneWidget& operator=(const DorvaneWidget&) = delete;

  // --- The control's properties (Booleans are 16-bit: True is -1) ---
  void SetPathText(const std::string& value);
  int16_t SelectedBPETAG() const;
  void SetSelectedBPETAG(int16_t tag);
  int16_t SelectedEPETAG() const;
  void SetSelectedEPETAG(int16_t tag);
  std::string SelectedBPEDATE() const;
  std::string SelectedEPEDATE() const;
  int16_t IsListOK() const;
  int16_t ArePEDatesOK() const;
  void SetControlsEnabled(bool value);

  // The control itself and its view (tests and hosts that look closer).
  ztDorvane& Control() const { return *control_; }
  ContainerView& View() const { return *view_; }
  screen::Screen& Screen() const { return *screen_; }

  QSize sizeHint() const override;

 private:
  // Runs a property Let with the widget's screen current; a run-time error
  // goes to the Desktop's report. The views are brought up to date either way.
  void Guarded(const std::function<void()>& action);

  screen::Screen* screen_;
  std::unique_ptr<ztDorvane> control_;
  ContainerView* view_;
};

}  // namespace qtfront
