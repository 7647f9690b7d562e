// The web protocol. First on a session object without sockets: frames go in
// through Receive and come out through a Link the test holds, which keeps the
// browser's picture by applying every patch to the first snapshot. Numbering
// and acks (a resent input applied once), the picture a resume rebuilds, the
// message box that blocks its code until the answer, the modal search dialog,
// refusals of bad input, and source names that never show a place. Then
// dorvane-web as a program on a free loopback port, driven by protocol
// clients: files and the handshake, the refusals at the door (an origin not
// allowed, a forged or expired ticket, a frame over 8 KiB), a resume of the
// same session with a resent input applied once, a fresh session for an
// unknown one, the cap per user, the end of a session after its resume
// time and when idle, and two servers on one data source as two workstations.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <ctime>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "apps/dorvane-web/session.h"
#include "apps/dorvane-web/ticket.h"
#include "apps/dorvane-web/web_client.h"
#include "apps/dorvane-web/wire.h"
#include "support/programs.h"
#include "support/temp_folder.h"
#include "support/test_server.h"

namespace {

using dorvaneweb::Session;
using dorvaneweb::WebClient;
using nlohmann::json;

// What a browser holds: the frames in order, the picture they build, the
// host properties, and the close code of a Link closed by the session.
class Browser {
 public:
  dorvaneweb::Link MakeLink() {
    dorvaneweb::Link link;
    link.send = [this](std::string frame) {
      std::lock_guard lock(mutex_);
      frames_.push_back(std::move(frame));
      ready_.notify_all();
    };
    link.close = [](int) {};
    return link;
  }

  // The next frame that `match` accepts within two seconds (the passed ones
  // are applied too); null when none came.
  template <class Match>
  json Next(Match match) {
    std::unique_lock lock(mutex_);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (true) {
      if (!ready_.wait_until(lock, until, [&] { return !frames_.empty(); })) return json();
      const std::string text = std::move(frames_.front());
      frames_.pop_front();
      all += text + "\n";
      json frame = json::parse(text);
      Take(frame);
      if (match(frame)) return frame;
    }
  }
  json NextOfType(const std::string& type) {
    return Next([&](const json& f) { return f.value("type", "") == type; });
  }
  json AckOf(int64_t n) {
    return Next([&](const json& f) { return f.contains("ack") && f["ack"] == n; });
  }
  // True when no frame comes within `ms`.
  bool Quiet(int ms) {
    std::unique_lock lock(mutex_);
    return !ready_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return !frames_.empty(); });
  }

  // The control of the picture named `name`, or null when not shown.
  const screen::ControlPicture* Control(const std::string& name) const {
    for (const auto& control : picture.controls) {
      if (control.name == name) return &control;
    }
    return nullptr;
  }

  // Applies a frame from the server to the picture and the properties.
  void Take(const json& frame) {
    if (frame.contains("seq")) {
      EXPECT_GT(frame["seq"].get<int64_t>(), lastSeq) << frame;
      lastSeq = frame["seq"];
    }
    const std::string type = frame.value("type", "");
    if (type == "snapshot") {
      picture = frame["picture"].get<screen::Snapshot>();
      host = frame["host"];
    } else if (type == "patch") {
      picture = screen::Apply(picture, frame["diff"].get<screen::SnapshotDiff>());
      if (frame.contains("host")) host.update(frame["host"]);
    }
  }

  screen::Snapshot picture;
  json host = json::object();
  std::string all;  // every frame received
  int64_t lastSeq = 0;

 private:
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<std::string> frames_;
};

class WebSession : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new testsupport::TempFolder("dorvane-web");
    const auto run = testsupport::RunDataTool(
        {"init", folder_->File("acme"), "--list", "2", "--today", "2024-03-06"});
    ASSERT_EQ(run.status, 0) << run.err;
  }
  static void TearDownTestSuite() { delete folder_; }

  void SetUp() override {
    config_.secret = "a secret of the test, long enough";
    config_.sources = {{"acme", folder_->File("acme")},
                       {"north", folder_->File("north")},
                       {"south", "postgresql://dbuser:pw@localhost:1/south_db?connect_timeout=2"}};
    config_.limits.keptMessages = 4;
    places_ = std::make_unique<dorvaneweb::SourcePlaces>(config_, dorvaneweb::MakeEmptyFolder());
    dorvaneweb::SessionSetup setup;
    setup.ticket = dorvaneweb::Ticket{"clerk", {"acme", "south"}, 0};
    setup.places = places_.get();
    setup.limits = config_.limits;
    setup.today = 45357;  // 6 March 2024
    session_ = std::make_unique<Session>("s1", setup);
    session_->Attach(browser_.MakeLink());
    session_->Start();
    ASSERT_FALSE(browser_.NextOfType("snapshot").is_null());
  }

  // Sends an input numbered n.
  void Input(json message) {
    message["n"] = ++n_;
    session_->Receive(message.dump());
  }
  json Set(const std::string& property, const json& value) {
    Input({{"type", "set"}, {"property", property}, {"value", value}});
    return browser_.NextOfType("result");
  }
  const screen::ControlPicture* Control(const std::string& name) { return browser_.Control(name); }

  static testsupport::TempFolder* folder_;
  dorvaneweb::Config config_;
  std::unique_ptr<dorvaneweb::SourcePlaces> places_;
  Browser browser_;
  std::unique_ptr<Session> session_;
  int64_t n_ = 0;
};
testsupport::TempFolder* WebSession::folder_ = nullptr;

// Inputs are acknowledged in order, a resent one again without being applied
// again, and the patches build the picture the server holds: a resume after
// the kept frames were dropped sends that picture whole.
TEST_F(WebSession, PatchesBuildTheServersPictureAndResentInputIsAppliedOnce) {
  json result = Set("PathText", "acme");
  EXPECT_EQ(result["ok"], true) << result;
  EXPECT_EQ(browser_.host["PathText"], "acme");
  EXPECT_EQ(browser_.host["IsListOK"], true);
  // The entry boxes are hidden until an entry starts: not there to click.
  EXPECT_EQ(Control("txtCONO"), nullptr);
  Input({{"type", "click"}, {"container", "ztDorvane"}, {"control", "txtCONO"}});
  EXPECT_EQ(browser_.NextOfType("error")["n"], n_);
  Input({{"type", "key"}, {"code", 65}, {"shift", 0}});  // A: a new entry
  browser_.AckOf(n_);
  ASSERT_NE(Control("txtCONO"), nullptr);
  EXPECT_EQ(browser_.picture.focusControl, "txtCONO");
  Input({{"type", "text"}, {"text", "5"}});
  const int64_t typed = n_;
  // The patch names the input it answers, ahead of that input's ack.
  EXPECT_EQ(browser_.NextOfType("patch")["acks"], json::array({typed}));
  browser_.AckOf(typed);
  EXPECT_EQ(Control("txtCONO")->text, "5");
  // The same input again (a resend after a reconnect): acked, not typed twice.
  session_->Receive(json{{"type", "text"}, {"text", "5"}, {"n", typed}}.dump());
  browser_.AckOf(typed);
  Input({{"type", "key"}, {"code", 39}, {"shift", 0}});  // Right: nothing typed
  browser_.AckOf(n_);
  EXPECT_EQ(Control("txtCONO")->text, "5");
  EXPECT_EQ(browser_.picture.selStart, 1);

  // The kept frames were dropped (at most four are kept): a resume gets the
  // server's whole picture, which is the one the patches built.
  Browser resumed;
  session_->Attach(resumed.MakeLink(), 1);
  resumed.NextOfType("snapshot");
  EXPECT_TRUE(resumed.picture == browser_.picture);
  EXPECT_EQ(resumed.host, browser_.host);
  EXPECT_EQ(browser_.all.find(folder_->Path()), std::string::npos) << browser_.all;
}

// A message box blocks the code that showed it until the browser answers;
// meanwhile other input is refused. A source the ticket does not allow
// behaves as a folder without MAIN.MDB: its box names the source, and no
// frame shows the place of a source (a folder, a server's address) or the
// folder that stands for it.
TEST_F(WebSession, MessageBoxWaitsForItsAnswer) {
  Input({{"type", "set"}, {"property", "PathText"}, {"value", "north"}});
  const int64_t set = n_;
  browser_.AckOf(set);
  ASSERT_EQ(browser_.picture.boxes.size(), 1u);
  EXPECT_NE(browser_.picture.boxes[0].prompt.find("3024"), std::string::npos);
  EXPECT_NE(browser_.picture.boxes[0].prompt.find("'north"), std::string::npos)
      << browser_.picture.boxes[0].prompt;
  Input({{"type", "text"}, {"text", "1"}});
  EXPECT_EQ(browser_.NextOfType("error")["n"], n_);
  browser_.AckOf(n_);
  EXPECT_TRUE(browser_.Quiet(100)) << "the Let went on before the answer";
  Input({{"type", "answer"}, {"box", 0}, {"button", 1}});
  const json result = browser_.NextOfType("result");
  EXPECT_EQ(result["n"], set);
  EXPECT_TRUE(browser_.picture.boxes.empty());
  EXPECT_EQ(browser_.host["PathText"], "north");
  // A server that cannot be reached is named by its source too, in the
  // record store's words and in libpq's.
  Input({{"type", "set"}, {"property", "PathText"}, {"value", "south"}});
  browser_.AckOf(n_);
  ASSERT_EQ(browser_.picture.boxes.size(), 1u);
  const std::string prompt = browser_.picture.boxes[0].prompt;
  EXPECT_NE(prompt.find("server south"), std::string::npos) << prompt;
  Input({{"type", "answer"}, {"box", 0}, {"button", 1}});
  browser_.NextOfType("result");
  for (const std::string& hidden :
       {folder_->Path(), places_->EmptyFolder(), std::string("localhost"), std::string("127.0.0.1"),
        std::string("south_db"), std::string("dbuser"), std::string("PGSQL")}) {
    EXPECT_EQ(browser_.all.find(hidden), std::string::npos) << hidden << " in " << browser_.all;
  }
}

// "?" in the company box opens the company search modally: its input runs in
// the dialog's own loop, Esc closes it, and the focus comes back.
TEST_F(WebSession, SearchDialogRunsModallyInTheSession) {
  Set("PathText", "acme");
  Input({{"type", "key"}, {"code", 65}, {"shift", 0}});
  browser_.AckOf(n_);
  Input({{"type", "text"}, {"text", "?"}});
  browser_.AckOf(n_);
  ASSERT_EQ(browser_.picture.modalForms.size(), 1u);
  const std::string dialog = browser_.picture.modalForms[0];
  EXPECT_EQ(browser_.picture.focusContainer, dialog);
  Input({{"type", "closeForm"}, {"form", "somethingElse"}});
  EXPECT_EQ(browser_.NextOfType("error")["n"], n_);
  Input({{"type", "key"}, {"code", 27}, {"shift", 0}});
  browser_.AckOf(n_);
  EXPECT_TRUE(browser_.picture.modalForms.empty());
  EXPECT_EQ(browser_.picture.focusControl, "txtCONO");
}

// Bad input gets a clear refusal and the session goes on; a wrong-typed or
// unknown property is the Let's error, a flood beyond the rate is refused, and
// after the end every frame is refused.
TEST_F(WebSession, BadInputIsRefusedAndTheSessionGoesOn) {
  const std::string container = browser_.picture.containers[0].name;
  const std::vector<std::pair<std::string, std::string>> refusals = {
      {"{not json", "not a JSON object"},
      {R"({"n": 1})", "not a JSON object"},
      {R"({"type": "key", "code": 13})", "without its number"},
      {R"({"type": "launch", "n": 1})", "Unknown message type"},
      {R"({"type": "key", "code": "A", "n": 2})", "whole number"},
      {R"({"type": "key", "code": 70000, "n": 3})", "out of range"},
      {R"({"type": "click", "container": ")" + container + R"(", "control": "cmdNoSuch", "n": 4})",
       "no control"},
      {R"({"type": "click", "container": ")" + container + R"(", "control": "txtCONO(", "n": 5})",
       "no control"},
      {R"({"type": "click", "container": "frmElsewhere", "control": "txtCONO", "n": 6})",
       "no form or control"},
      {R"({"type": "text", "text": "\u00e9", "n": 7})", "text box with the focus"},
      {R"({"type": "answer", "box": 0, "n": 8})", "No message box"},
      {R"({"type": "seen"})", "whole number"},
  };
  for (const auto& [frame, words] : refusals) {
    session_->Receive(frame);
    const json error = browser_.NextOfType("error");
    EXPECT_NE(error.value("message", "").find(words), std::string::npos)
        << frame << " -> " << error;
  }
  n_ = 8;
  EXPECT_EQ(Set("ControlsEnabled", "yes")["error"]["number"], 13);
  EXPECT_EQ(Set("SelectedBPETAG", 1.5)["error"]["number"], 13);
  EXPECT_EQ(Set("Visible", true)["error"]["number"], 438);
  EXPECT_EQ(Set("ControlsEnabled", false)["ok"], true);
  EXPECT_EQ(browser_.host["ControlsEnabled"], false);
  int flooded = 0;
  for (int i = 0; i < config_.limits.inputBurst + 40; ++i) Input({{"type", "key"}, {"code", 16}});
  browser_.Next([&](const json& f) {
    flooded += f.value("type", "") == "error";
    return f.contains("ack") && f["ack"] == n_;
  });
  EXPECT_GT(flooded, 0) << "a flood beyond the rate is refused";
  session_->Close();
  session_->Receive(R"({"type": "key", "code": 13, "n": 20})");
  EXPECT_NE(browser_.NextOfType("error").value("message", "").find("ended"), std::string::npos);
}

constexpr char kSecret[] = "the secret of the socket tests";

// Starts the server on a configuration and an element's folder of its own in
// `folder`; the source "acme" is `acme`, by default a folder beside them.
std::unique_ptr<dorvaneweb::ServerProcess> StartServer(const std::string& folder,
                                                       json limits = {{"sessionsPerUser", 2}},
                                                       std::string acme = "") {
  if (acme.empty()) acme = folder + "/acme";
  std::ofstream(folder + "/config.json")
      << json{{"listen", "127.0.0.1:0"},
              {"secret", kSecret},
              {"origins", {"http://good.example"}},
              {"sources", {{"acme", acme}, {"north", folder + "/north"}}},
              {"limits", limits}};
  std::filesystem::create_directory(folder + "/www");
  std::ofstream(folder + "/www/el.js") << "export {};\n";
  return std::make_unique<dorvaneweb::ServerProcess>(DORVANE_BIN_DIR "/dorvane-web",
                                                     folder + "/config.json", folder + "/www");
}

class WebServer : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new testsupport::TempFolder("dorvane-web-server");
    server_ = StartServer(folder_->Path()).release();
  }
  static void TearDownTestSuite() {
    delete server_;
    delete folder_;
  }
  void SetUp() override { ASSERT_NE(server_->Port(), 0) << "the server did not start"; }

  static std::string Ticket(const std::string& user, int seconds) {
    return dorvaneweb::MintTicket({user, {"acme"}, std::time(nullptr) + seconds}, kSecret);
  }
  // A client that said hello (to `port`, by default the suite's server);
  // its welcome is read.
  static std::unique_ptr<WebClient> Open(json hello, json* welcome = nullptr,
                                         unsigned short port = 0) {
    auto client = std::make_unique<WebClient>(port ? port : server_->Port(), "http://good.example");
    hello["type"] = "hello";
    client->Send(hello);
    auto answer = client->ReadUntil("welcome", 5000);
    EXPECT_TRUE(answer.has_value()) << hello;
    if (welcome && answer) *welcome = *answer;
    return client;
  }

  static testsupport::TempFolder* folder_;
  static dorvaneweb::ServerProcess* server_;
};
testsupport::TempFolder* WebServer::folder_ = nullptr;
dorvaneweb::ServerProcess* WebServer::server_ = nullptr;

// Files come from the element's folder only; an origin not allowed, a forged
// or expired ticket and a frame over 8 KiB are refused.
TEST_F(WebServer, RefusesOriginsTicketsAndBigFrames) {
  EXPECT_EQ(dorvaneweb::HttpGet(server_->Port(), "/dorvane/el.js"),
            std::make_pair(200, std::string("export {};\n")));
  EXPECT_EQ(dorvaneweb::HttpGet(server_->Port(), "/dorvane/../config.json").first, 404);
  EXPECT_EQ(dorvaneweb::HttpGet(server_->Port(), "/dorvane/el.js?v=2").first, 200);
  EXPECT_EQ(dorvaneweb::HttpGet(server_->Port(), "/config.json").first, 404);
  EXPECT_THROW(WebClient(server_->Port(), "http://evil.example"), std::runtime_error);
  const std::string good = Ticket("bob", 60);
  for (const std::string& ticket :
       {std::string(), Ticket("bob", -5), good.substr(0, good.size() - 2) + "xx",
        dorvaneweb::MintTicket({"bob", {"acme"}, std::time(nullptr) + 60}, "another secret")}) {
    WebClient client(server_->Port(), "http://good.example");
    client.Send({{"type", "hello"}, {"ticket", ticket}});
    EXPECT_TRUE(client.ReadUntil("error", 5000)) << ticket;
    EXPECT_FALSE(client.Read(5000));
    EXPECT_EQ(client.CloseCode(), 1008) << ticket;
  }
  auto client = Open({{"ticket", good}});
  client->SendText(json{{"type", "text"}, {"n", 1}, {"text", std::string(9000, 'x')}}.dump());
  while (client->Read(5000)) {
  }
  EXPECT_EQ(client->CloseCode(), 1009);
}

TEST_F(WebServer, ResumesTheSessionAndCapsSessionsPerUser) {
  json welcome;
  auto first = Open({{"ticket", Ticket("cy", 60)}}, &welcome);
  const std::string id = welcome["session"];
  auto snapshot = first->ReadUntil("snapshot", 5000);
  ASSERT_TRUE(snapshot);
  first->Send({{"type", "key"}, {"n", 1}, {"code", 9}, {"shift", 0}});
  ASSERT_TRUE(first->ReadUntil("ack", 5000, 1));
  first.reset();

  // The same session: the frames after the last seen come again, and the
  // resent input is acknowledged without being applied again.
  auto second = Open(
      {{"ticket", Ticket("cy", 60)}, {"resume", {{"session", id}, {"seq", (*snapshot)["seq"]}}}},
      &welcome);
  EXPECT_EQ(welcome["resumed"], true);
  EXPECT_EQ(welcome["session"], id);
  auto patch = second->ReadUntil("patch", 5000);
  ASSERT_TRUE(patch);
  EXPECT_EQ((*patch)["seq"], (*snapshot)["seq"].get<int>() + 1);
  second->Send({{"type", "key"}, {"n", 1}, {"code", 9}, {"shift", 0}});
  std::vector<json> passed;
  EXPECT_TRUE(second->ReadUntil("ack", 5000, 1, &passed));
  EXPECT_TRUE(passed.empty()) << passed[0];

  // Another user may not take it; an unknown session starts afresh, and the
  // user's third session is refused.
  auto other =
      Open({{"ticket", Ticket("di", 60)}, {"resume", {{"session", id}, {"seq", 0}}}}, &welcome);
  EXPECT_EQ(welcome["fresh"], true);
  auto fresh =
      Open({{"ticket", Ticket("cy", 60)}, {"resume", {{"session", "00ff"}, {"seq", 3}}}}, &welcome);
  EXPECT_EQ(welcome["fresh"], true);
  EXPECT_NE(welcome["session"], id);
  WebClient third(server_->Port(), "http://good.example");
  third.Send({{"type", "hello"}, {"ticket", Ticket("cy", 60)}});
  EXPECT_TRUE(third.ReadUntil("error", 5000));
  EXPECT_FALSE(third.Read(5000));
  EXPECT_EQ(third.CloseCode(), 1013);
}

// A session whose socket went ends after limits.resumeSeconds; one that
// keeps its socket but gets no input ends after limits.idleSeconds.
TEST_F(WebServer, EndsSessionsAfterTheResumeTimeAndWhenIdle) {
  testsupport::TempFolder folder("dorvane-web-timeouts");
  const auto server = StartServer(folder.Path(), {{"idleSeconds", 4}, {"resumeSeconds", 1}});
  ASSERT_NE(server->Port(), 0);
  json welcome;
  auto dropped = Open({{"ticket", Ticket("eve", 60)}}, &welcome, server->Port());
  const std::string id = welcome["session"];
  auto idle = Open({{"ticket", Ticket("fay", 60)}}, nullptr, server->Port());
  ASSERT_TRUE(dropped->ReadUntil("snapshot", 5000));
  ASSERT_TRUE(idle->ReadUntil("snapshot", 5000));
  const auto start = std::chrono::steady_clock::now();
  dropped.reset();
  std::this_thread::sleep_for(std::chrono::milliseconds(2500));
  // Past the resume time (1 s and the reaper's second) but not yet idle.
  auto again = Open({{"ticket", Ticket("eve", 60)}, {"resume", {{"session", id}, {"seq", 1}}}},
                    &welcome, server->Port());
  EXPECT_EQ(welcome["fresh"], true) << welcome;
  EXPECT_FALSE(idle->Closed());
  while (idle->Read(8000)) {
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_TRUE(idle->Closed());
  EXPECT_GT(seconds, 3.5);
  EXPECT_LT(seconds, 7.5);
}

// A session of a server with the picture its frames build, as a browser has.
struct Workstation {
  std::unique_ptr<WebClient> client;
  Browser browser;
  int64_t n = 0;

  // Sends `input` numbered on and applies the frames up to its ack.
  void Do(json input) {
    input["n"] = ++n;
    client->Send(input);
    std::vector<json> passed;
    EXPECT_TRUE(client->ReadUntil("ack", 5000, n, &passed)) << input;
    for (const json& frame : passed) browser.Take(frame);
  }
  std::string Caption(const std::string& name) {
    const auto* control = browser.Control(name);
    return control ? control->text : "(not shown)";
  }
};

// Two servers on one data source (a folder, and a database of the test server
// when there is one) are two workstations: a row one deletes is gone from the
// other's next read, and the other's edit of that row, still on its page, is
// refused with the classic message and its page drawn again.
TEST_F(WebServer, TwoServersOnOneSourceShareItsData) {
  testsupport::TempFolder folder("dorvane-web-two");
  std::vector<std::string> places = {folder.File("data")};
  std::unique_ptr<testsupport::TestDatabase> database;
  if (testsupport::TestServerUri()) {
    database = std::make_unique<testsupport::TestDatabase>();
    places.push_back(database->Uri());
  }
  for (const std::string& place : places) {
    SCOPED_TRACE(place);
    testsupport::MakeDataFolder(place, {"--list", "2", "--today", "2024-03-06"});
    std::vector<Workstation> stations(2);
    std::vector<std::unique_ptr<dorvaneweb::ServerProcess>> servers;
    for (auto& station : stations) {
      const std::string own = folder.File("server" + std::to_string(servers.size()));
      std::filesystem::create_directory(own);
      servers.push_back(StartServer(own, json::object(), place));
      ASSERT_NE(servers.back()->Port(), 0);
      station.client = Open({{"ticket", Ticket("gus", 60)}}, nullptr, servers.back()->Port());
      station.Do({{"type", "set"}, {"property", "PathText"}, {"value", "acme"}});
      station.Do({{"type", "key"}, {"code", 40}, {"shift", 0}});  // Down to the second row
      ASSERT_NE(station.Caption("lblJOBNAME(1)"), "End of List");
    }
    stations[0].Do({{"type", "click"}, {"container", "ztDorvane"}, {"control", "CmdDelete"}});
    EXPECT_EQ(stations[0].Caption("lblJOBNAME(1)"), "End of List");
    stations[1].Do({{"type", "key"}, {"code", 69}, {"shift", 0}});
    ASSERT_EQ(stations[1].browser.picture.boxes.size(), 1u);
    EXPECT_EQ(stations[1].browser.picture.boxes[0].prompt.rfind("3167 ", 0), 0u)
        << stations[1].browser.picture.boxes[0].prompt;
    stations[1].Do({{"type", "answer"}, {"box", 0}, {"button", 1}});
    EXPECT_EQ(stations[1].Caption("lblJOBNAME(1)"), "End of List");
    stations[1].Do({{"type", "set"}, {"property", "PathText"}, {"value", "acme"}});
    EXPECT_EQ(stations[1].Caption("lblJOBNAME(1)"), "End of List");
  }
}

// A search dialog left open or a message box waiting for its answer holds no
// server session: with one session to the database for the whole server, a
// second user's PathText and keys go on while the first user's dialog or box
// waits, and the dialog still works after.
TEST_F(WebServer, AnOpenSearchDialogHoldsNoServerSession) {
  DORVANE_REQUIRE_TEST_SERVER();
  testsupport::TestDatabase database;
  testsupport::MakeDataFolder(database.Uri(), {"--list", "2", "--today", "2024-03-06"});
  testsupport::TempFolder folder("dorvane-web-dialog");
  const auto server = StartServer(folder.Path(), {{"serverSessions", 1}}, database.Uri());
  ASSERT_NE(server->Port(), 0);
  std::vector<Workstation> users(2);
  for (auto& user : users) {
    user.client = Open({{"ticket", Ticket("ida", 60)}}, nullptr, server->Port());
    user.Do({{"type", "set"}, {"property", "PathText"}, {"value", "acme"}});
  }
  users[0].Do({{"type", "click"}, {"container", "ztDorvane"}, {"control", "cmdSaveList"}});
  users[0].Do({{"type", "text"}, {"text", "Kept"}});
  users[0].Do({{"type", "click"}, {"container", "ztDorvane"}, {"control", "cmdUpdate"}});
  ASSERT_EQ(users[0].browser.picture.boxes.size(), 1u);
  users[1].Do({{"type", "key"}, {"code", 40}, {"shift", 0}});
  EXPECT_TRUE(users[1].browser.picture.boxes.empty()) << users[1].browser.picture.boxes[0].prompt;
  users[0].Do({{"type", "answer"}, {"box", 0}, {"button", 1}});
  users[0].Do({{"type", "key"}, {"code", 65}, {"shift", 0}});
  users[0].Do({{"type", "text"}, {"text", "?"}});
  ASSERT_EQ(users[0].browser.picture.modalForms.size(), 1u);
  users[1].Do({{"type", "set"}, {"property", "PathText"}, {"value", "acme"}});
  users[1].Do({{"type", "key"}, {"code", 40}, {"shift", 0}});
  EXPECT_TRUE(users[1].browser.picture.boxes.empty()) << users[1].browser.picture.boxes[0].prompt;
  EXPECT_NE(users[1].Caption("lblJOBNAME(1)"), "(not shown)");
  users[0].Do({{"type", "key"}, {"code", 40}, {"shift", 0}});
  users[0].Do({{"type", "key"}, {"code", 13}, {"shift", 0}});
  EXPECT_TRUE(users[0].browser.picture.modalForms.empty());
  EXPECT_TRUE(users[0].browser.picture.boxes.empty());
  EXPECT_NE(users[0].Caption("txtCONO"), "");
}

}  // namespace
