// qt-host: two ztDorvane controls side by side in one window, each on the
// data source named on the command line, each with its property panel.
//   qt-host SOURCE1 SOURCE2                      shows the window
//   qt-host --screenshot FILE.png SOURCE1 SOURCE2  saves a picture and exits
// Relies on QtWidgets and the installed Dorvane package (Dorvane::dorvane_qt).
#include <QApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QTimer>
#include <cstring>
#include <iostream>

#include "frontends/qt/dorvane_widget.h"
#include "frontends/qt/front_end.h"
#include "frontends/qt/qt_desktop.h"
#include "host_panel.h"
#include "services/screen/screen.h"

namespace {

int Usage() {
  std::cerr << "usage: qt-host [--screenshot FILE.png] SOURCE1 SOURCE2\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QStringList args = app.arguments();
  args.removeFirst();
  QString screenshot;
  if (!args.isEmpty() && args.first() == "--screenshot") {
    if (args.size() < 2) return Usage();
    screenshot = args.at(1);
    args = args.mid(2);
  }
  if (args.size() != 2) return Usage();

  // Real message boxes and dialogs; a picture run answers boxes unseen.
  qtfront::QtDesktop desktop;
  desktop.SetAutoAnswer(!screenshot.isEmpty());
  screen::SetDesktop(&desktop);

  QWidget window;
  window.setWindowTitle("Dorvane: two controls");
  qtfront::SetMainWindow(&window);
  auto* row = new QHBoxLayout(&window);
  auto* left = new HostPanel("Left: " + args.at(0), args.at(0).toStdString(), &window);
  auto* right = new HostPanel("Right: " + args.at(1), args.at(1).toStdString(), &window);
  row->addWidget(left, 0, Qt::AlignTop);
  row->addWidget(right, 0, Qt::AlignTop);
  window.show();
  left->Control().setFocus();

  int status = 0;
  if (!screenshot.isEmpty()) {
    QTimer::singleShot(0, &window, [&] {
      qtfront::SyncViews();
      QApplication::processEvents();
      if (!window.grab().toImage().save(screenshot, "PNG")) {
        std::cerr << "qt-host: cannot write " << screenshot.toStdString() << "\n";
        status = 1;
      }
      for (const auto& box : desktop.AnsweredBoxes()) {
        std::cerr << "qt-host: message box: " << box.prompt << "\n";
      }
      app.quit();
    });
  }
  const int loopStatus = app.exec();
  screen::SetDesktop(nullptr);
  return status != 0 ? status : loopStatus;
}
