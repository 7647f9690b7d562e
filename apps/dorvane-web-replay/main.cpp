// dorvane-web-replay: the scripted host with a browser as its user, for
// tools/web-replay. It serves the element like dorvane-web (on 127.0.0.1, a
// free port) and runs each script the driver queues in the next session a
// page opens, on that session's thread: `press`, `type`, `click` and
// `dblclick` are not applied here but made by the driver as real input in
// the browser, and the session applies what the browser sends; every `show`
// is handed to the driver to check against what the page draws. It prints
// what dorvane-script prints (in the `done` line), so a replay's output
// equals the scenario's expected output.
//
// Lines in (JSON): {"run": SCRIPT, "dir": FOLDER, "sources": ["NAME=PLACE"]}
// queues a script run in FOLDER, its data source NAME being PLACE (as
// dorvane-script --source); any other line answers the last question. Lines out: {"port",
// "ticket"} once; {"input": {command, words, control, container, clickable}}
// and {"show": {...}} questions; {"done": STATUS, "out", "err"} after each
// script, answered once the page is gone. Relies on the web server's session library and the
// scripted host.
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "apps/command-line/command_line.h"
#include "apps/dorvane-script/hosted_parts.h"
#include "apps/dorvane-script/script_host.h"
#include "apps/dorvane-script/source_map.h"
#include "apps/dorvane-web-replay/replay_channel.h"
#include "apps/dorvane-web/server.h"
#include "apps/dorvane-web/session.h"
#include "services/screen/controls.h"
#include "services/screen/form.h"
#include "services/screen/host_screen.h"

namespace {

using nlohmann::json;

// The control as the page should draw it, in the model's own units.
json Expected(const screen::Control& control) {
  json shown{{"container", control.Owner() != nullptr ? control.Owner()->Name() : ""},
             {"name", control.QualifiedName()},
             {"kind", screen::KindName(control.Kind())},
             {"visible", control.Visible()},
             {"enabled", control.Enabled()},
             {"left", control.Left()},
             {"top", control.Top()},
             {"width", control.Width()},
             {"height", control.Height()},
             {"back", control.BackColor()}};
  const screen::Screen* window =
      control.Owner() != nullptr ? screen::Screen::Of(*control.Owner()) : nullptr;
  shown["focused"] = window != nullptr && window->FocusedControl() == &control;
  if (control.Kind() == screen::ControlKind::TextBox) {
    const auto& box = static_cast<const screen::TextBox&>(control);
    shown["text"] = box.Text();
    shown["selStart"] = box.SelStart();
    shown["selLength"] = box.SelLength();
  } else if (control.Kind() == screen::ControlKind::Label) {
    shown["text"] = static_cast<const screen::Label&>(control).Caption();
  } else if (control.Kind() == screen::ControlKind::CommandButton) {
    const auto& button = static_cast<const screen::CommandButton&>(control);
    shown["text"] = button.Caption();
    shown["picture"] = button.Picture();
  }
  return shown;
}

// Runs one queued script on the session's thread with the browser as user.
void RunScript(dorvaneweb::Session& session, webreplay::ReplayChannel& channel, const json& run) {
  std::error_code ec;
  std::filesystem::current_path(run.value("dir", "."), ec);
  scripthost::SourceMap sources;
  for (const std::string& assignment : run.value("sources", std::vector<std::string>())) {
    sources.Add(assignment);
  }
  std::ostringstream out;
  std::ostringstream err;
  // As dorvane-script prints: every line with the places mapped back.
  scripthost::MappedLines outLines(sources, out);
  scripthost::MappedLines errLines(sources, err);
  std::ostream outStream(&outLines);
  std::ostream errStream(&errLines);
  const auto factory = scripthost::DorvaneControlFactory();
  scripthost::ScriptHost host(
      [&]() {
        auto control = factory();
        session.SetHosted(control.get());
        return control;
      },
      outStream, errStream);
  host.SetOpenSearchHook(scripthost::DorvaneSearchHook());
  host.SetSourceMap(sources);
  // The input goes to the browser; its frames are applied here, nested runs
  // of modal forms included, until the last one it sent.
  host.SetUserInputHook([&](const scripthost::UserInput& input) {
    session.Flush();
    json asked{{"command", input.command}, {"words", input.words}, {"modalForms", json::array()}};
    for (const screen::Form* form : session.Window().ModalForms()) {
      asked["modalForms"].push_back(form->Name());
    }
    // What the page must draw before the input is made: the control clicked,
    // or the one the keys go to.
    const screen::Control* focused = session.Window().FocusedControl();
    if (input.control != nullptr && input.control->Visible()) {
      asked["target"] = Expected(*input.control);
    } else if (input.control == nullptr && focused != nullptr) {
      asked["target"] = Expected(*focused);
    }
    if (input.control != nullptr) {
      asked["control"] = input.control->QualifiedName();
      asked["container"] = input.control->Owner() != nullptr ? input.control->Owner()->Name() : "";
      asked["clickable"] = input.control->Visible() && input.control->Enabled();
    }
    const auto answer = channel.Ask(json{{"input", asked}});
    if (!answer) throw scripthost::ScriptError{"the browser driver went away"};
    if (!session.PumpInputsUntil(answer->value("upto", int64_t{0}))) {
      throw scripthost::ScriptError{"the browser's session ended"};
    }
    return answer->value("clicked", true);
  });
  host.SetShowHook([&](const screen::Control& control) {
    session.Flush();
    if (!channel.Ask(json{{"show", Expected(control)}})) {
      throw scripthost::ScriptError{"the browser driver went away"};
    }
  });
  std::ifstream script(run.value("run", ""));
  int status = 2;
  if (script) {
    status = host.Run(script);
  } else {
    errStream << "ERROR line 0: cannot read the script " << run.value("run", "") << "\n";
  }
  session.SetHosted(nullptr);
  outLines.Flush();
  errLines.Flush();
  // The driver takes the page away before the session ends, so that the
  // page does not reconnect to a session of its own.
  channel.Ask(json{{"done", status}, {"out", out.str()}, {"err", err.str()}});
}

// 32 random bytes as hex: the secret of this run's tickets.
std::string RandomSecret() {
  std::random_device random;
  std::string secret;
  const char* digits = "0123456789abcdef";
  for (int i = 0; i < 64; ++i) secret += digits[random() % 16];
  return secret;
}

}  // namespace

int main(int argc, char** argv) {
  dorvaneweb::ServerOptions options;
  options.www = DORVANE_SOURCE_WWW;
  options.site = DORVANE_REPLAY_SITE;
  CLI::App app(
      "Runs scripts of tools/web-replay with a browser as the user: serves the element on "
      "127.0.0.1 and talks JSON lines with the driver on standard input and output.");
  commandline::Configure(app, "dorvane-web-replay");
  app.add_option("--www", options.www, "The element's folder, served under /dorvane/");
  app.add_option("--site", options.site, "The test pages, served under /");
  if (const auto done = commandline::Parse(app, argc, argv)) return *done;

  dorvaneweb::Config& config = options.config;
  config.address = "127.0.0.1";
  config.port = 0;
  config.secret = RandomSecret();
  config.testMode = true;
  config.localPaths = true;
  config.limits.inputsPerSecond = 1000;
  config.limits.inputBurst = 1000;
  options.threads = 1;
  webreplay::ReplayChannel channel;
  options.customize = [&channel](dorvaneweb::SessionSetup& setup) {
    setup.body = [&channel](dorvaneweb::Session& session) {
      if (auto run = channel.NextRun()) RunScript(session, channel, *run);
    };
  };
  try {
    dorvaneweb::Server server(options);
    const unsigned short port = server.Listen();
    dorvaneweb::Ticket ticket{"replay", {}, static_cast<int64_t>(std::time(nullptr)) + 86400};
    channel.Tell(json{{"port", port}, {"ticket", dorvaneweb::MintTicket(ticket, config.secret)}});
    std::thread network([&server] { server.Run(false); });
    channel.ReadInput();
    server.Stop();
    network.join();
  } catch (const std::exception& error) {
    std::cerr << "dorvane-web-replay: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
