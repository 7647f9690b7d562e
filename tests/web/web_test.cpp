// The web protocol, on dorvane-web as a program on a free loopback port,
// driven by protocol clients that keep the browser's picture by applying
// every patch to the first snapshot: numbering and acks (a resent input
// applied once), the picture a resume rebuilds, the message box that blocks
// its code until the answer, the modal search dialog, refusals of bad input,
// and source names that never show a place; files and the handshake, the
// refusals at the door (an origin not allowed, a forged or expired ticket, a
// frame over 8 KiB), a resume of the same session, a fresh session for an
// unknown one, the cap per user, the end of a session after its resume time
// and when idle, and two servers on one data source as two workstations.
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "apps/dorvane-web/ticket.h"
#include "apps/dorvane-web/web_client.h"
#include "apps/dorvane-web/web_config.h"
#include "apps/dorvane-web/wire.h"
#include "support/programs.h"
#include "support/temp_folder.h"
#include "support/test_server.h"

namespace {

using dorvaneweb::WebClient;
using nlohmann::json;
using Frames = std::vector<json>;

// The first frame of `type` among `frames`, or null.
json Of(const Frames& frames, const std::string& type) {
  for (const json& frame : frames) {
    if (frame.value("type", "") == type) return frame;
  }
  return json();
}

// A session of a server as a browser holds it: the picture the frames build,
// the host properties, and every frame received.
struct Workstation {
  std::unique_ptr<WebClient> client;
  int64_t n = 0;
  screen::Snapshot picture;
  json host = json::object();
  std::string all;
  int64_t lastSeq = 0;

  // Applies a frame from the server to the picture and the properties.
  void Take(const json& frame) {
    all += frame.dump() + "\n";
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
  // Sends `input` numbered on (or as number `again`: a resend).
  void Send(json input, int64_t again = 0) {
    input["n"] = again ? again : ++n;
    client->Send(input);
  }
  // Sends `input` as Send does, applies the frames up to its ack and returns them.
  Frames Do(const json& input, int64_t again = 0) {
    Send(input, again);
    Frames passed;
    EXPECT_TRUE(client->ReadUntil("ack", 5000, again ? again : n, &passed)) << input;
    for (const json& frame : passed) Take(frame);
    return passed;
  }
  // Applies the frames up to the next of `type` and returns that one (null when none came).
  json Until(const std::string& type) {
    Frames passed;
    const auto frame = client->ReadUntil(type, 5000, 0, &passed);
    if (frame) passed.push_back(*frame);
    for (const json& f : passed) Take(f);
    return frame.value_or(json());
  }
  Frames Key(int code) { return Do({{"type", "key"}, {"code", code}, {"shift", 0}}); }
  // The result of setting a host property.
  json Set(const std::string& property, const json& value) {
    Send({{"type", "set"}, {"property", property}, {"value", value}});
    return Until("result");
  }
  // The text of control `name`, or "(not shown)".
  std::string Caption(const std::string& name) const {
    for (const auto& control : picture.controls) {
      if (control.name == name) return control.text;
    }
    return "(not shown)";
  }
};

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

// One server for the suite, its source "acme" a folder with a working list
// of two records; it keeps at most four frames for a resume.
class WebServer : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new testsupport::TempFolder("dorvane-web-server");
    testsupport::MakeDataFolder(folder_->File("acme"), {"--list", "2", "--today", "2024-03-06"});
    server_ = StartServer(folder_->Path(), {{"sessionsPerUser", 2}, {"keptMessages", 4}}).release();
  }
  static void TearDownTestSuite() {
    delete server_;
    delete folder_;
  }
  void SetUp() override { ASSERT_NE(server_->Port(), 0) << "the server did not start"; }

  static std::string Ticket(const std::string& user, int seconds = 60) {
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
  // The close code of a hello the server refuses, with an error message that holds `words`.
  static int Refusal(const std::string& ticket, const std::string& words) {
    WebClient client(server_->Port(), "http://good.example");
    client.Send({{"type", "hello"}, {"ticket", ticket}});
    EXPECT_NE(client.ReadUntil("error", 5000).value_or(json()).value("message", "").find(words),
              std::string::npos);
    EXPECT_FALSE(client.Read(5000));
    return client.CloseCode();
  }
  // A session of `user` (resuming `resume` when given), with its first picture.
  static Workstation Connect(const std::string& user, unsigned short port = 0,
                             json* welcome = nullptr, const json& resume = nullptr) {
    json hello{{"ticket", Ticket(user)}};
    if (!resume.is_null()) hello["resume"] = resume;
    Workstation station;
    station.client = Open(hello, welcome, port);
    EXPECT_FALSE(station.Until("snapshot").is_null());
    return station;
  }

  static testsupport::TempFolder* folder_;
  static dorvaneweb::ServerProcess* server_;
};
testsupport::TempFolder* WebServer::folder_ = nullptr;
dorvaneweb::ServerProcess* WebServer::server_ = nullptr;

// What one session does with its inputs.
class WebSession : public WebServer {};

// Inputs are acknowledged in order, a resent one again without being applied
// again, and the patches build the picture the server holds: a resume after
// the kept frames were dropped sends that picture whole.
TEST_F(WebSession, PatchesBuildTheServersPictureAndResentInputIsAppliedOnce) {
  json welcome;
  Workstation user = Connect("ann", 0, &welcome);
  EXPECT_EQ(user.Set("PathText", "acme")["ok"], true);
  EXPECT_EQ(user.host["IsListOK"], true);
  // The entry boxes are hidden until an entry starts: not there to click.
  EXPECT_EQ(user.Caption("txtCONO"), "(not shown)");
  user.Send({{"type", "click"}, {"container", "ztDorvane"}, {"control", "txtCONO"}});
  EXPECT_EQ(user.Until("error")["n"], user.n);
  user.Key(65);  // A: a new entry
  ASSERT_NE(user.Caption("txtCONO"), "(not shown)");
  EXPECT_EQ(user.picture.focusControl, "txtCONO");
  // The patch names the input it answers, ahead of that input's ack.
  const json typed = {{"type", "text"}, {"text", "5"}};
  const json patch = Of(user.Do(typed), "patch");
  EXPECT_EQ(patch["acks"], json::array({user.n}));
  EXPECT_EQ(user.Caption("txtCONO"), "5");
  // The same input again (a resend after a reconnect): acked, not typed twice.
  EXPECT_EQ(user.Do(typed, user.n), Frames{});
  user.Key(39);  // Right: nothing typed
  EXPECT_EQ(user.Caption("txtCONO"), "5");
  EXPECT_EQ(user.picture.selStart, 1);

  // The kept frames were dropped (at most four are kept): a resume gets the
  // server's whole picture, which is the one the patches built.
  const Workstation resumed =
      Connect("ann", 0, nullptr, {{"session", welcome["session"]}, {"seq", 1}});
  EXPECT_TRUE(resumed.picture == user.picture);
  EXPECT_EQ(resumed.host, user.host);
}

// A message box blocks the code that showed it until the browser answers;
// meanwhile other input is refused. A source the ticket does not allow
// behaves as a folder without MAIN.MDB: its box names the source, and no
// frame shows the place of a source or the folder that stands for it.
TEST_F(WebSession, MessageBoxWaitsForItsAnswer) {
  Workstation user = Connect("bea");
  user.Do({{"type", "set"}, {"property", "PathText"}, {"value", "north"}});
  const int64_t set = user.n;
  const auto& boxes = user.picture.boxes;
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].prompt.find("3024"), std::string::npos);
  EXPECT_NE(boxes[0].prompt.find("'north"), std::string::npos) << boxes[0].prompt;
  EXPECT_EQ(Of(user.Do({{"type", "text"}, {"text", "1"}}), "error")["n"], user.n);
  EXPECT_FALSE(user.client->Read(100)) << "the Let went on before the answer";
  user.Send({{"type", "answer"}, {"box", 0}, {"button", 1}});
  EXPECT_EQ(user.Until("result")["n"], set);
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(user.host["PathText"], "north");
  EXPECT_EQ(user.all.find(std::filesystem::temp_directory_path().string()), std::string::npos)
      << user.all;
}

// "?" in the company box opens the company search modally: its input runs in
// the dialog's own loop, Esc closes it, and the focus comes back.
TEST_F(WebSession, SearchDialogRunsModallyInTheSession) {
  Workstation user = Connect("cal");
  user.Set("PathText", "acme");
  user.Key(65);
  user.Do({{"type", "text"}, {"text", "?"}});
  const screen::Snapshot& picture = user.picture;
  ASSERT_EQ(picture.modalForms.size(), 1u);
  EXPECT_EQ(picture.focusContainer, picture.modalForms[0]);
  EXPECT_EQ(Of(user.Do({{"type", "closeForm"}, {"form", "somethingElse"}}), "error")["n"], user.n);
  user.Key(27);
  EXPECT_TRUE(picture.modalForms.empty());
  EXPECT_EQ(picture.focusControl, "txtCONO");
}

// Bad input gets a clear refusal and the session goes on; a wrong-typed or
// unknown property is the Let's error, and a flood beyond the rate is refused.
TEST_F(WebSession, BadInputIsRefusedAndTheSessionGoesOn) {
  Workstation user = Connect("dan");
  const std::string container = user.picture.containers[0].name;
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
    user.client->SendText(frame);
    const json error = user.Until("error");
    EXPECT_NE(error.value("message", "").find(words), std::string::npos)
        << frame << " -> " << error;
  }
  user.n = 8;
  EXPECT_EQ(user.Set("ControlsEnabled", "yes")["error"]["number"], 13);
  EXPECT_EQ(user.Set("SelectedBPETAG", 1.5)["error"]["number"], 13);
  EXPECT_EQ(user.Set("Visible", true)["error"]["number"], 438);
  EXPECT_EQ(user.Set("ControlsEnabled", false)["ok"], true);
  EXPECT_EQ(user.host["ControlsEnabled"], false);
  for (int i = 0; i < dorvaneweb::Limits{}.inputBurst + 40; ++i) {
    user.Send({{"type", "key"}, {"code", 16}});
  }
  EXPECT_FALSE(Of(user.Do({{"type", "key"}, {"code", 16}}), "error").is_null())
      << "a flood beyond the rate is refused";
}

// Files come from the element's folder only; an origin not allowed, a forged
// or expired ticket and a frame over 8 KiB are refused.
TEST_F(WebServer, RefusesOriginsTicketsAndBigFrames) {
  EXPECT_EQ(dorvaneweb::HttpGet(server_->Port(), "/dorvane/el.js"),
            std::make_pair(200, std::string("export {};\n")));
  EXPECT_EQ(dorvaneweb::HttpGet(server_->Port(), "/dorvane/../config.json").first, 404);
  EXPECT_EQ(dorvaneweb::HttpGet(server_->Port(), "/dorvane/el.js?v=2").first, 200);
  EXPECT_EQ(dorvaneweb::HttpGet(server_->Port(), "/config.json").first, 404);
  EXPECT_THROW(WebClient(server_->Port(), "http://evil.example"), std::runtime_error);
  const std::string good = Ticket("bob");
  for (const std::string& ticket :
       {std::string(), Ticket("bob", -5), good.substr(0, good.size() - 2) + "xx",
        dorvaneweb::MintTicket({"bob", {"acme"}, std::time(nullptr) + 60}, "another secret")}) {
    EXPECT_EQ(Refusal(ticket, "ticket"), 1008) << ticket;
  }
  auto client = Open({{"ticket", good}});
  client->SendText(json{{"type", "text"}, {"n", 1}, {"text", std::string(9000, 'x')}}.dump());
  while (client->Read(5000)) {
  }
  EXPECT_EQ(client->CloseCode(), 1009);
}

TEST_F(WebServer, ResumesTheSessionAndCapsSessionsPerUser) {
  json welcome;
  Workstation first = Connect("cy", 0, &welcome);
  const std::string id = welcome["session"];
  const int64_t seen = first.lastSeq;
  first.Key(9);
  first.client.reset();

  // The same session: the frames after the last seen come again, and the
  // resent input is acknowledged without being applied again.
  Workstation second;
  second.client =
      Open({{"ticket", Ticket("cy")}, {"resume", {{"session", id}, {"seq", seen}}}}, &welcome);
  EXPECT_EQ(welcome["resumed"], true);
  EXPECT_EQ(welcome["session"], id);
  EXPECT_EQ(second.Until("patch")["seq"], seen + 1);
  EXPECT_EQ(second.Do({{"type", "key"}, {"code", 9}, {"shift", 0}}, 1), Frames{});

  // Another user may not take it; an unknown session starts afresh, and the
  // user's third session is refused.
  Connect("di", 0, &welcome, {{"session", id}, {"seq", 0}});
  EXPECT_EQ(welcome["fresh"], true);
  Workstation fresh = Connect("cy", 0, &welcome, {{"session", "00ff"}, {"seq", 3}});
  EXPECT_EQ(welcome["fresh"], true);
  EXPECT_NE(welcome["session"], id);
  EXPECT_EQ(Refusal(Ticket("cy"), "as many sessions"), 1013);
}

// A session whose socket went ends after limits.resumeSeconds; one that
// keeps its socket but gets no input ends after limits.idleSeconds.
TEST_F(WebServer, EndsSessionsAfterTheResumeTimeAndWhenIdle) {
  testsupport::TempFolder folder("dorvane-web-timeouts");
  const auto server = StartServer(folder.Path(), {{"idleSeconds", 4}, {"resumeSeconds", 1}});
  ASSERT_NE(server->Port(), 0);
  json welcome;
  Workstation dropped = Connect("eve", server->Port(), &welcome);
  const std::string id = welcome["session"];
  auto idle = Connect("fay", server->Port()).client;
  const auto start = std::chrono::steady_clock::now();
  dropped.client.reset();
  std::this_thread::sleep_for(std::chrono::milliseconds(2500));
  // Past the resume time (1 s and the reaper's second) but not yet idle.
  Connect("eve", server->Port(), &welcome, {{"session", id}, {"seq", 1}});
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
      station = Connect("gus", servers.back()->Port());
      station.Set("PathText", "acme");
      station.Key(40);  // Down to the second row
      ASSERT_NE(station.Caption("lblJOBNAME(1)"), "End of List");
    }
    stations[0].Do({{"type", "click"}, {"container", "ztDorvane"}, {"control", "CmdDelete"}});
    EXPECT_EQ(stations[0].Caption("lblJOBNAME(1)"), "End of List");
    stations[1].Key(69);
    ASSERT_EQ(stations[1].picture.boxes.size(), 1u);
    EXPECT_EQ(stations[1].picture.boxes[0].prompt.rfind("3167 ", 0), 0u)
        << stations[1].picture.boxes[0].prompt;
    stations[1].Do({{"type", "answer"}, {"box", 0}, {"button", 1}});
    EXPECT_EQ(stations[1].Caption("lblJOBNAME(1)"), "End of List");
    stations[1].Set("PathText", "acme");
    EXPECT_EQ(stations[1].Caption("lblJOBNAME(1)"), "End of List");
  }
}

// A search dialog left open holds no server session: with one session to the
// database for the whole server, a second user's PathText and keys go on
// while the first user's dialog waits, and the dialog still works after.
TEST_F(WebServer, AnOpenSearchDialogHoldsNoServerSession) {
  DORVANE_REQUIRE_TEST_SERVER();
  testsupport::TestDatabase database;
  testsupport::MakeDataFolder(database.Uri(), {"--list", "2", "--today", "2024-03-06"});
  testsupport::TempFolder folder("dorvane-web-dialog");
  const auto server = StartServer(folder.Path(), {{"serverSessions", 1}}, database.Uri());
  ASSERT_NE(server->Port(), 0);
  std::vector<Workstation> users(2);
  for (auto& user : users) {
    user = Connect("ida", server->Port());
    user.Set("PathText", "acme");
  }
  users[0].Key(65);
  users[0].Do({{"type", "text"}, {"text", "?"}});
  ASSERT_EQ(users[0].picture.modalForms.size(), 1u);
  users[1].Set("PathText", "acme");
  users[1].Key(40);
  EXPECT_TRUE(users[1].picture.boxes.empty()) << users[1].picture.boxes[0].prompt;
  EXPECT_NE(users[1].Caption("lblJOBNAME(1)"), "(not shown)");
  users[0].Key(40);
  users[0].Key(13);
  EXPECT_TRUE(users[0].picture.modalForms.empty());
  EXPECT_TRUE(users[0].picture.boxes.empty());
  EXPECT_NE(users[0].Caption("txtCONO"), "");
}

}  // namespace
