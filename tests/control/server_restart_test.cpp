// A database server restarted under a control in the middle of a session: the
// next actions reconnect (a lost session is made again at the next request)
// or report a clear error in a box, nothing the user wrote before is lost,
// and the control goes on adding records. The server is a private one: the
// shared test server must not stop under other tests.
#include <cstdlib>

#include "control_fixture.h"
#include "support/test_server.h"
#include "tools/link-proxy/link_proxy.h"

namespace {

class ServerRestartTest : public ControlTest {
 protected:
  void TearDown() override {
    ControlTest::TearDown();
    std::system((script + " stop " + state.Path() + " >/dev/null 2>&1").c_str());
  }
  // Starts the private server; its base URI.
  std::string Start() {
    const std::string out = state.File("out");
    EXPECT_EQ(std::system((script + " start " + state.Path() + " >" + out + " 2>&1").c_str()), 0)
        << testsupport::ReadText(out);
    std::string uri = testsupport::ReadText(state.File("uri"));
    return uri.substr(0, uri.find('\n'));
  }
  void Restart() {
    ASSERT_EQ(std::system((script + " restart " + state.Path() + " >/dev/null 2>&1").c_str()), 0);
  }
  // Adds a record through the entry boxes, as a user types it.
  void AddRecord(const std::string& company, const std::string& job) {
    screen::PressKey('A', 0);
    Type(company + "\r" + job + "\r\r");
  }
  std::vector<std::string> Rows(const std::string& base) {
    return testsupport::PgRows(
        base + "site", "SELECT cono || ' ' || trim(jobno) FROM main.tjlist ORDER BY cono, jobno");
  }

  const std::string script = std::string(DORVANE_SOURCE_DIR) + "/tools/pg-test-server.sh";
  const testsupport::TempFolder state{"dorvane-pg-restart"};
};

TEST_F(ServerRestartTest, TheNextActionsReconnectAndNothingWrittenIsLost) {
  DORVANE_REQUIRE_TEST_SERVER();
  const std::string base = Start();
  ASSERT_FALSE(base.empty());
  testsupport::PgRows(base + "postgres", "CREATE DATABASE site");
  testsupport::MakeDataFolder(
      base + "site", {"--companies", "3", "--jobs", "30", "--list", "0", "--today", "2024-03-06"});
  const std::string job = testsupport::PgRows(
      base + "site", "SELECT trim(jobno) FROM main.joblist WHERE cono = 1 ORDER BY jobno")[0];
  control->SetPathText(base + "site");
  AddRecord("1", job);
  ASSERT_EQ(Rows(base), std::vector<std::string>{"1 " + job});
  ASSERT_TRUE(desktop.messageBoxes.empty());

  Restart();
  // The first actions after the restart may find the session gone; each
  // either works on a new session or says so in a box, and none escapes.
  for (int16_t key : {screen::kKeyHome, screen::kKeyDown, screen::kKeyHome}) {
    screen::PressKey(key, 0);
  }
  for (const auto& box : desktop.messageBoxes) {
    EXPECT_NE(box.prompt.find("connection to server"), std::string::npos) << box.prompt;
  }
  EXPECT_EQ(Rows(base), std::vector<std::string>{"1 " + job});
  EXPECT_NE(Caption("lblJOBNO", 0).find(job), std::string::npos);

  // The control goes on: a second record is added beside the first.
  const std::string other = testsupport::PgRows(
      base + "site", "SELECT trim(jobno) FROM main.joblist WHERE cono = 2 ORDER BY jobno")[0];
  AddRecord("2", other);
  EXPECT_EQ(Rows(base), (std::vector<std::string>{"1 " + job, "2 " + other}));
}

// A server that was down when the control opened is found again at the next
// action once it is back, without PathText being given again; meanwhile the
// open's report says the server could not be reached, not that a file is
// missing, and each action tries once more.
TEST_F(ControlTest, AServerDownAtTheOpenIsFoundAgainWhenItComesBack) {
  DORVANE_REQUIRE_TEST_SERVER();
  testsupport::TestDatabase db;
  testsupport::MakeDataFolder(db.Uri(), {"--list", "3", "--today", "2024-03-06"});
  linkproxy::LinkProxy proxy(testsupport::PortOf(db.Uri()));
  proxy.SetDown(true);
  control->SetPathText(testsupport::WithPort(db.Uri(), proxy.Port()));
  ASSERT_EQ(desktop.messageBoxes.size(), 1u);
  EXPECT_NE(desktop.messageBoxes[0].prompt.find("3024 Could not connect to the database server"),
            std::string::npos)
      << desktop.messageBoxes[0].prompt;
  screen::PressKey(screen::kKeyDown, 0);
  EXPECT_EQ(desktop.messageBoxes.size(), 2u);
  EXPECT_EQ(Caption("lblJOBNO", 0), "");

  proxy.SetDown(false);
  desktop.messageBoxes.clear();
  screen::PressKey(screen::kKeyDown, 0);
  EXPECT_TRUE(desktop.messageBoxes.empty() && desktop.errors.empty());
  EXPECT_EQ(State("ConnectionReady"), "True");
  EXPECT_NE(Caption("lblJOBNO", 0), "");
}

}  // namespace
