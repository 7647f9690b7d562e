// dorvane-desktop [--script FILE [--delay MS]] [--screenshot FILE.png] [FOLDER|URI]: the Qt
// demo host. Without --script it shows the control in a window on the data
// folder FOLDER or server URI (or a folder chosen with File, Open Data Folder); with --screenshot
// it saves a picture of the window and exits instead of waiting for the user,
// answering message boxes OK and printing them as MSGBOX lines (status 1 when
// the control reported an error). With --script it replays a script of
// dorvane-script in the window (same output, same exit status), pausing MS
// milliseconds after each event with --delay. Qt's own options (-platform,
// -style, ...) pass through to Qt. Without a display, the screenshot and script
// modes use Qt's offscreen platform and the window is refused with one line and
// status 1. Exit status 2 for bad arguments.
#include <QApplication>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "apps/command-line/command_line.h"
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
  std::string platform;  // Qt's -platform, when given
};

// The icon bits of a message box's style, and those of an error (critical).
constexpr int kIconBits = 0x70;
constexpr int kCriticalIcon = 16;

// Qt's own handler of its messages, kept to pass on all but the fatal ones.
QtMessageHandler qtDefaultHandler = nullptr;

// Qt's own options that take a value, and those that take none (QGuiApplication
// and QApplication accept each with one dash or two).
constexpr std::array<std::string_view, 11> kQtValueOptions = {
    "platform",    "platformpluginpath", "platformtheme", "plugin",   "qwindowgeometry",
    "qwindowicon", "qwindowtitle",       "display",       "geometry", "style",
    "stylesheet"};
constexpr std::array<std::string_view, 5> kQtFlags = {"reverse", "nograb", "dograb", "sync",
                                                      "widgetcount"};

// Splits argv into Qt's options (kept for QApplication after the program's
// name) and ours; notes -platform's value.
void SplitQtOptions(int argc, char** argv, std::vector<char*>& qt, std::vector<char*>& ours,
                    Options& options) {
  qt.push_back(argv[0]);
  ours.push_back(argv[0]);
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (arg == "--") {
      ours.insert(ours.end(), argv + i, argv + argc);
      break;
    }
    const bool dashed = arg.size() > 1 && arg[0] == '-';
    const std::string_view name = dashed ? arg.substr(arg.starts_with("--") ? 2 : 1) : "";
    const auto is = [name](std::string_view known) { return name == known; };
    if (dashed && std::any_of(kQtFlags.begin(), kQtFlags.end(), is)) {
      qt.push_back(argv[i]);
    } else if (dashed && i + 1 < argc &&
               std::any_of(kQtValueOptions.begin(), kQtValueOptions.end(), is)) {
      if (name == "platform") options.platform = argv[i + 1];
      qt.push_back(argv[i]);
      qt.push_back(argv[++i]);
    } else {
      ours.push_back(argv[i]);
    }
  }
}

// Reads our options; the exit status when the program is done already.
std::optional<int> ParseOptions(std::vector<char*>& args, Options& options) {
  CLI::App app(
      "Shows the ztDorvane control in a window on a data folder or a PostgreSQL server, saves a "
      "picture of it, or replays a script of dorvane-script in it. Also takes Qt's own options "
      "(-platform NAME, -style NAME, ...).");
  commandline::Configure(app, "dorvane-desktop");
  auto* script = app.add_option("--script", options.script,
                                "Replay the script FILE of dorvane-script in the window (the "
                                "script sets its own data folder)");
  script->type_name("FILE");
  app.add_option("--delay", options.delayMs, "Pause MS milliseconds after each replayed event")
      ->type_name("MS")
      ->check(CLI::Range(0, 60000))
      ->needs(script);
  app.add_option("--screenshot", options.screenshot,
                 "Save a picture of the window to FILE.png and exit, answering message boxes "
                 "OK (status 1 when the control reported an error)")
      ->type_name("FILE.png");
  app.add_option("FOLDER|URI", options.folder,
                 "The data: a folder holding MAIN.MDB and QRLSYS.mdb, or a server URI "
                 "postgresql://user@host/database")
      ->type_name("");
  if (const auto done = commandline::Parse(app, static_cast<int>(args.size()), args.data())) {
    return done;
  }
  if (!options.script.empty() && !options.folder.empty()) {
    std::cerr << "dorvane-desktop: a script sets its own folder (let PathText)\n";
    return commandline::kUsageStatus;
  }
  return std::nullopt;
}

// The batch modes need no display: without one, Qt's offscreen platform. The
// window needs one; without it, one line and false (Qt itself would abort).
bool ChoosePlatform(const Options& options) {
  const bool batch = !options.script.empty() || !options.screenshot.empty();
  const bool x11 = std::getenv("DISPLAY") != nullptr && *std::getenv("DISPLAY") != '\0';
  const bool wayland =
      std::getenv("WAYLAND_DISPLAY") != nullptr && *std::getenv("WAYLAND_DISPLAY") != '\0';
  std::string platform = options.platform;
  if (platform.empty() && std::getenv("QT_QPA_PLATFORM") != nullptr) {
    platform = std::getenv("QT_QPA_PLATFORM");
  }
  if (platform.empty() && batch && !x11 && !wayland) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    return true;
  }
  const std::string plugin = platform.substr(0, platform.find(':'));
  const bool usable = plugin == "xcb"                                  ? x11
                      : plugin == "wayland" || plugin == "wayland-egl" ? wayland
                      : plugin.empty()                                 ? x11 || wayland
                                                                       : true;
  if (!usable) {
    std::cerr << "dorvane-desktop: no display to show the window on (DISPLAY and "
                 "WAYLAND_DISPLAY are not set); use --screenshot FILE.png, or xvfb-run\n";
  }
  return usable;
}

// Ends the program with one line when Qt cannot go on (a platform plugin that
// does not load, for one), where Qt would abort.
void QtMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type != QtFatalMsg) {
    if (qtDefaultHandler != nullptr) qtDefaultHandler(type, context, message);
    return;
  }
  std::cerr << "dorvane-desktop: " << message.section(QLatin1Char('\n'), 0, 0).toStdString()
            << "\n";
  std::_Exit(1);
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
      bool failed = false;
      for (const auto& box : desktop.AnsweredBoxes()) {
        std::cout << "MSGBOX style=" << box.style << " title=" << scripthost::Quote(box.title)
                  << " text=" << scripthost::Quote(box.prompt) << "\n";
        failed = failed || (box.style & kIconBits) == kCriticalIcon;
      }
      const bool saved =
          desktophost::SaveScreenshot(window, QString::fromStdString(options.screenshot));
      status = saved && !failed ? 0 : 1;
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
  std::vector<char*> qtArgs;
  std::vector<char*> ourArgs;
  SplitQtOptions(argc, argv, qtArgs, ourArgs, options);
  if (const auto done = ParseOptions(ourArgs, options)) return *done;
  if (!ChoosePlatform(options)) return 1;
  qtDefaultHandler = qInstallMessageHandler(QtMessages);
  int qtArgc = static_cast<int>(qtArgs.size());
  qtArgs.push_back(nullptr);
  QApplication app(qtArgc, qtArgs.data());
  if (!options.script.empty()) {
    return desktophost::ReplayScript(QString::fromStdString(options.script),
                                     QString::fromStdString(options.screenshot), options.delayMs);
  }
  return RunWindow(app, options);
}
