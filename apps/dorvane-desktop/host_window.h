// HostWindow: the demo host's main window. It holds the control (a
// DorvaneWidget), a File menu to choose the data folder, and a panel that
// shows the control's properties when "Read Properties" is pressed, presets
// the two period-ending tags and switches ControlsEnabled. Relies on QtWidgets and the front end.
#pragma once

#include <QMainWindow>
#include <QString>

class QCheckBox;
class QFormLayout;
class QLabel;

namespace qtfront {
class DorvaneWidget;
}

namespace desktophost {

class HostWindow : public QMainWindow {
 public:
  explicit HostWindow(QWidget* parent = nullptr);

  // Sets the control's PathText to folder and names it in the status bar.
  void OpenFolder(const QString& folder);
  // Reads the six readable properties into the panel.
  void ReadProperties();

  qtfront::DorvaneWidget& Control() const { return *control_; }
  // The panel's text for a property ("" for an unknown name).
  QString PanelText(const QString& property) const;

 private:
  // Asks the user for a folder and opens it.
  void ChooseFolder();
  QLabel* AddPanelRow(const QString& property);

  qtfront::DorvaneWidget* control_;
  QFormLayout* form_;
  QCheckBox* controlsEnabled_;
  QString folder_;
};

}  // namespace desktophost
