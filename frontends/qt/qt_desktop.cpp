// QtDesktop: message boxes, modal forms, DoEvents and error reports on Qt.
// Relies on QtWidgets, the front end (views, dialog windows, form loops).
#include "frontends/qt/qt_desktop.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>

#include "frontends/qt/front_end.h"
#include "services/base/user_action.h"

namespace qtfront {

QMessageBox::Icon IconOfStyle(int style) {
  switch (style & 0x70) {
    case 16:
      return QMessageBox::Critical;
    case 32:
      return QMessageBox::Question;
    case 48:
      return QMessageBox::Warning;
    case 64:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

// The screen is brought up to date first, so the box stands over what the
// user should see; texts joined with CR LF show as separate lines. The
// action that showed the box holds no server session while it waits.
int QtDesktop::MsgBox(const std::string& prompt, int style, const std::string& title) {
  SyncViews();
  if (autoAnswer_) {
    answered_.push_back({prompt, style, title});
    return 1;
  }
  QString text = QString::fromStdString(prompt);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  QWidget* parent = QApplication::activeWindow();
  if (parent == nullptr) parent = TopFormWindow();
  if (parent == nullptr) parent = MainWindow();
  QMessageBox box(IconOfStyle(style), QString::fromStdString(title), text, QMessageBox::Ok, parent);
  box.setTextFormat(Qt::PlainText);
  base::ActionPause pause;
  box.exec();
  return 1;
}

void QtDesktop::RunModal(screen::Form& form) { RunFormLoop(form); }

// Paint and other pending events, but no user input: a long scan must not
// run the handlers it was called from again. Scans call this once a row, so
// the screen is brought up to date at most every 20 ms.
void QtDesktop::DoEvents() {
  if (sinceEvents_.isValid() && sinceEvents_.elapsed() < 20) return;
  sinceEvents_.start();
  SyncViews();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void QtDesktop::ReportError(const base::RuntimeError& error) {
  MsgBox(std::to_string(error.Number()) + " " + error.Description(), 16, "Run-time error");
}

}  // namespace qtfront
