// DorvaneWidget: the control ztDorvane as a QWidget that a Qt host places on
// its own window. It owns the control, places it on the toolkit's host window
// (one control per process, as the toolkit's dispatcher has one host window),
// shows it through a ContainerView that follows the host's focus moves, and
// offers the control's eight properties as C++ methods. A run-time error
// raised by a property is shown through the Desktop, never thrown at the Qt
// host. The host installs a Desktop first (InstallQtDesktop for real boxes).
// Relies on QtWidgets, the control and the front end.
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class ztDorvane;

namespace qtfront {

class ContainerView;

class DorvaneWidget : public QWidget {
 public:
  explicit DorvaneWidget(QWidget* parent = nullptr);
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

  QSize sizeHint() const override;

 private:
  // Runs a property Let; a run-time error goes to the Desktop's report. The
  // screen is brought up to date either way.
  static void Guarded(const std::function<void()>& action);

  std::unique_ptr<ztDorvane> control_;
  ContainerView* view_;
};

}  // namespace qtfront
