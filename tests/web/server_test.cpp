// dorvane-web as a program on a free loopback port, driven by protocol
// clients: files and the handshake, the refusals at the door (an origin not
// allowed, a forged or expired ticket, a frame over 8 KiB), a resume of the
// same session with a resent input applied once, a fresh session for an
// unknown one, the cap per user, and the end of a session after its resume
// time and when idle.
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
#include "support/temp_folder.h"

namespace {

using dorvaneweb::WebClient;
using nlohmann::json;
constexpr char kSecret[] = "the secret of the socket tests";

// Starts the server on a configuration and an element's folder of its own in `folder`.
std::unique_ptr<dorvaneweb::ServerProcess> StartServer(const std::string& folder,
                                                       json limits = {{"sessionsPerUser", 2}}) {
  std::ofstream(folder + "/config.json")
      << json{{"listen", "127.0.0.1:0"},
              {"secret", kSecret},
              {"origins", {"http://good.example"}},
              {"sources", {{"acme", folder + "/acme"}, {"north", folder + "/north"}}},
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

}  // namespace
