// HostPanel: one control with the panel of its properties below it, as a
// host form shows them: the data source, the six values the host reads (read
// again whenever the control signals a change of its working list or its
// period-ending range), the last error it reported and the two tag presets.
// Relies on QtWidgets and the installed DorvaneWidget.
#pragma once

#include <QLabel>
#include <QWidget>
#include <map>
#include <string>

namespace qtfront {
class DorvaneWidget;
}

class HostPanel : public QWidget {
 public:
  HostPanel(const QString& title, const std::string& source, QWidget* parent = nullptr);

  qtfront::DorvaneWidget& Control() const { return *control_; }
  // Reads the control's properties into the panel.
  void ReadProperties();

 private:
  qtfront::DorvaneWidget* control_;
  std::map<QString, QLabel*> values_;
};
