// DorvaneWidget: the control ztDorvane as a QWidget that a Qt host places on
// its own window. It owns the control, places it on a toolkit screen (the
// default one unless the host gives its own; any number of widgets may share
// a screen, each on its own data source), shows it through a ContainerView
// that follows the host's focus moves, and offers the control's eight
// properties as C++ methods. A run-time error raised by a property is shown
// through the Desktop, never thrown at the Qt host. When the host has
// installed no Desktop (screen::SetDesktop), the first widget installs a
// QtDesktop for the process, so message boxes and dialogs really show.
// For hosts that follow the control, signals tell when the working list, the
// period-ending range or an error report changed (checked after each event
// the control handled), and the eight properties are Q_PROPERTYs by their
// classic names for Qt Designer and bindings.
// Threads: the GUI thread only, like every QWidget.
// Relies on QtWidgets, the control and the front end.
#pragma once

#include <QString>
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
  Q_OBJECT
  Q_PROPERTY(QString PathText READ pathText WRITE setPathText)
  Q_PROPERTY(int SelectedBPETAG READ selectedBPETAG WRITE setSelectedBPETAG NOTIFY
                 periodEndingRangeChanged)
  Q_PROPERTY(int SelectedEPETAG READ selectedEPETAG WRITE setSelectedEPETAG NOTIFY
                 periodEndingRangeChanged)
  Q_PROPERTY(QString SelectedBPEDATE READ selectedBPEDATE NOTIFY periodEndingRangeChanged)
  Q_PROPERTY(QString SelectedEPEDATE READ selectedEPEDATE NOTIFY periodEndingRangeChanged)
  Q_PROPERTY(bool IsListOK READ isListOK NOTIFY workingListChanged)
  Q_PROPERTY(bool ArePEDatesOK READ arePEDatesOK NOTIFY periodEndingRangeChanged)
  Q_PROPERTY(bool ControlsEnabled READ controlsEnabled WRITE setControlsEnabled)

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

  // --- The same properties in Qt's types (Booleans as bool) ---
  QString pathText() const;
  void setPathText(const QString& value) { SetPathText(value.toStdString()); }
  int selectedBPETAG() const { return SelectedBPETAG(); }
  void setSelectedBPETAG(int tag) { SetSelectedBPETAG(static_cast<int16_t>(tag)); }
  int selectedEPETAG() const { return SelectedEPETAG(); }
  void setSelectedEPETAG(int tag) { SetSelectedEPETAG(static_cast<int16_t>(tag)); }
  QString selectedBPEDATE() const { return QString::fromStdString(SelectedBPEDATE()); }
  QString selectedEPEDATE() const { return QString::fromStdString(SelectedEPEDATE()); }
  bool isListOK() const { return IsListOK() != 0; }
  bool arePEDatesOK() const { return ArePEDatesOK() != 0; }
  bool controlsEnabled() const { return controlsEnabled_; }
  void setControlsEnabled(bool value) { SetControlsEnabled(value); }

  // The control itself and its view (tests and hosts that look closer).
  ztDorvane& Control() const { return *control_; }
  ContainerView& View() const { return *view_; }
  screen::Screen& Screen() const { return *screen_; }

  QSize sizeHint() const override;

 signals:
  // The working list changed: rows written, deleted or copied in, another
  // data source, another saved list (its tag, 0 for none) or a row edit
  // begun or ended (IsListOK). `rows` is the list's row count.
  void workingListChanged(int rows, int savedListTag);
  // The beginning or ending period-ending tag, or whether each is accepted,
  // changed (or a date edit began or ended: ArePEDatesOK).
  void periodEndingRangeChanged(int bpeTag, int epeTag, bool bpeOK, bool epeOK);
  // The control reported a run-time error to the user (a message box).
  void errorReported(int number, const QString& text);

 private:
  // What the host was last told, to signal only changes.
  struct Reported {
    uint64_t listVersion = 0;
    int savedListTag = 0;
    bool listOK = true;
    int rows = 0;
    int bpeTag = 0;
    int epeTag = 0;
    bool bpeOK = false;
    bool epeOK = false;
    bool peEditing = false;
  };
  // Compares the control with what was reported and emits the signals of
  // what changed; runs after every sync of the views.
  void ReportChanges();

  // Runs a property Let with the widget's screen current; a run-time error
  // goes to the Desktop's report. The views are brought up to date either way.
  void Guarded(const std::function<void()>& action);

  screen::Screen* screen_;
  std::unique_ptr<ztDorvane> control_;
  ContainerView* view_;
  bool controlsEnabled_ = true;
  Reported reported_;
};

}  // namespace qtfront
