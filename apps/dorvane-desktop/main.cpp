// dorvane-desktop [--script FILE [--delay MS]] [--screenshot FILE.png] [FOLDER|URI]: the Qt
// demo host. Without --script it shows the control in a window on the data
// folder FOLDER or server URI (or a folder chosen with File, Open Data Folder); with --screenshot
// it saves a picture of the window and exits instead of waiting for the user,
// answering message boxes OK and printing them as MSGBOX lines. With --script
// it replays a script of dorvane-script in the window (same output, same exit
// status), pausing MS milliseconds after each event with --delay. Without a display, the screenshot
// and script modes use Qt's offscreen platform. Exit status 2 for bad arguments.
#include <QApplication>
#include <cstdlib>
#include <iostream>
#include <string>

#include "apps/dorvane-desktop/host_window.h"
#include "apps/dorvane-desktop/screenshot.h"
#include "apps/dorvane-desktop/script_replay.h"
#include "apps/dorvane-script/script_output.h"
#include "frontends/qt/dorvane_widget.h"
#include "frontends/qt/front_end.h"
#include "frontends/qt/qt_desktop.h"

namespace {

struct Options {
  std::string script;
  std::string screenshot;
  std::string folder;
  int delayMs = 0;
};

void Usage() {
  std::cerr << "usage: dorvane-desktop [--script FILE [--delay MS]] [--screenshot FILE.png] "
               "[FOLDER]\n";
}

// Reads the options; false (after the usage line) when they make no sense.
bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if ((arg == "--script" || arg == "--screenshot") && i + 1 < argc) {
      (arg == "--script" ? options.script : options.screenshot) = argv[++i];
    } else if (arg == "--delay" && i + 1 < argc) {
      char* end = nullptr;
      const long delay = std::strtol(argv[++i], &end, 10);
      if (*end != '\0' || delay < 0 || delay > 60000) {
        std::cerr << "dorvane-desktop: --delay takes milliseconds from 0 to 60000\n";
        return false;
      }
      options.delayMs = static_cast<int>(delay);
    } else if (arg == "--help" || arg == "-h") {
      return false;
    } else if (!arg.empty() && arg[0] == '-') {
      std::cerr << "dorvane-desktop: unknown option " << arg << "\n";
      return false;
    } else if (options.folder.empty()) {
      options.folder = arg;
    } else {
      std::cerr << "dorvane-desktop: more than one data folder given\n";
      return false;
    }
  }
  if (options.delayMs > 0 && options.script.empty()) {
    std::cerr << "dorvane-desktop: --delay paces a --script replay\n";
    return false;
  }
  if (!options.script.empty() && !options.folder.empty()) {
    std::cerr << "dorvane-desktop: a script sets its own folder (let PathText)\n";
    return false;
  }
  return true;
}

// The batch modes need no display: without one, Qt's offscreen platform.
void ChoosePlatform(const Options& options) {
  const bool batch = !options.script.empty() || !options.screenshot.empty();
  const bool display =
      std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr;
  if (batch && !display && std::getenv("QT_QPA_PLATFORM") == nullptr) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  }
}

// The control's window; with a screenshot file, the picture and the exit.
int RunWindow(QApplication& app, const Options& options) {
  qtfront::QtDesktop desktop;
  const bool batch = !options.screenshot.empty();
  desktop.SetAutoAnswer(batch);
  screen::SetDesktop(&desktop);
  int status = 0;
  {
    desktophost::HostWindow window;
    window.show();
    window.Control().setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();
    if (!screen::UserControlHasFocus()) screen::FocusUserControl();
    if (!options.folder.empty()) window.OpenFolder(QString::fromStdString(options.folder));
    if (batch) {
      for (const auto& box : desktop.AnsweredBoxes()) {
        std::cout << "MSGBOX style=" << box.style << " title=" << scripthost::Quote(box.title)
                  << " text=" << scripthost::Quote(box.prompt) << "\n";
      }
      status =
          desktophost::SaveScreenshot(window, QString::fromStdString(options.screenshot)) ? 0 : 1;
    } else {
      status = app.exec();
    }
  }
  screen::SetDesktop(nullptr);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    Usage();
    return 2;
  }
  ChoosePlatform(options);
  QApplication app(argc, argv);
  if (!options.script.empty()) {
    return desktophost::ReplayScript(QString::fromStdString(options.script),
                                     QString::fromStdString(options.screenshot), options.delayMs);
  }
  return RunWindow(app, options);
}
