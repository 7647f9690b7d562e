// QtDesktop: the platform services of the toolkit on Qt. Message boxes are
// QMessageBoxes with the icon of their style (16 critical, 48 warning, 64
// information, 0 none) and one OK button; a form shown modally runs in a
// nested QEventLoop inside its dialog window; pending events are processed
// for long scans; a run-time error that reached the host is shown in a box
// with style 16 titled "Run-time error". With automatic answers on (tests,
// replayed scripts), message boxes are recorded and answered OK unseen.
// Threads: the GUI thread only.
// Relies on QtWidgets, the toolkit's Desktop and the front end.
#pragma once

#include <QElapsedTimer>
#include <QMessageBox>
#include <string>
#include <vector>

#include "services/screen/desktop.h"

namespace qtfront {

// The icon a message box style asks for (the style's icon bits, 16 to 64).
QMessageBox::Icon IconOfStyle(int style);

class QtDesktop : public screen::Desktop {
 public:
  struct MessageBox {
    std::string prompt;
    int style = 0;
    std::string title;
  };

  int MsgBox(const std::string& prompt, int style, const std::string& title) override;
  void RunModal(screen::Form& form) override;
  void DoEvents() override;
  void ReportError(const base::RuntimeError& error) override;

  // When on, message boxes are not shown: they are recorded and answered OK.
  void SetAutoAnswer(bool on) { autoAnswer_ = on; }
  // The message boxes answered automatically, oldest first.
  const std::vector<MessageBox>& AnsweredBoxes() const { return answered_; }

 private:
  bool autoAnswer_ = false;
  std::vector<MessageBox> answered_;
  QElapsedTimer sinceEvents_;  // since DoEvents last processed events
};

}  // namespace qtfront
