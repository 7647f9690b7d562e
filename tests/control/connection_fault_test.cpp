// A server link cut under every writing action of the control, the twin of
// the disk-fault sweep. For each action (add, edit, delete, save, new list,
// retrieve, save issuing a tag) a clean run through a proxy counts the
// requests the action sends; then, on the same data put back each time, the
// action runs again with the link cut at the N-th request for every N:
// before the request reaches the server, after the server answered it (the
// answer lost), after the answer but before the "ready" that closes it, and
// with the server ending every session just before. After each run the
// tables hold the state before the action or the state after it; "This List
// has Been Saved." shows only when they hold the state after; a message that
// the changes were not made shows only when they hold the state before; no
// notice of the server is printed on the way; a state left as before, when
// the cut came, reached the user as an error; the tag counter stays ahead of
// every saved tag; and the same control opens again and works.
#include <cctype>
#include <iterator>
#include <string>

#include "control_fixture.h"
#include "support/test_server.h"
#include "tools/link-proxy/link_proxy.h"
#include "writing_actions.h"

namespace {

using linkproxy::LinkProxy;
using testsupport::PgRows;
using writingactions::Action;

constexpr const char* kTables[] = {"tjlist", "tjlgroups", "tjlitems", "systags"};

struct CutKind {
  LinkProxy::Cut how;
  const char* name;
};
constexpr CutKind kCuts[] = {{LinkProxy::Cut::kBeforeRequest, "before the request"},
                             {LinkProxy::Cut::kAnswerLost, "answer lost"},
                             {LinkProxy::Cut::kReadyLost, "ready lost"},
                             {LinkProxy::Cut::kTerminate, "session ended"}};

class ConnectionFaultTest : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    DORVANE_REQUIRE_TEST_SERVER();
    db = std::make_unique<testsupport::TestDatabase>();
    testsupport::MakeDataFolder(db->Uri(), {"--today", "2024-03-06"});
    const std::string& uri = db->Uri();
    proxy = std::make_unique<LinkProxy>(testsupport::PortOf(uri));
    proxied = testsupport::WithPort(uri, proxy->Port());
    std::string keep = "CREATE SCHEMA keep;";
    for (const char* table : kTables) {
      keep += std::string(" CREATE TABLE keep.") + table + " AS TABLE main." + table + ";";
    }
    PgRows(uri, keep);
  }

  void TearDown() override {
    control.reset();
    proxy.reset();
    ControlTest::TearDown();
  }

  // Puts the kept rows back, the working list never saved when `untagged`.
  void PutBack(bool untagged) const {
    std::string sql;
    for (const char* table : kTables) {
      sql += std::string("DELETE FROM main.") + table + "; INSERT INTO main." + table +
             " OVERRIDING SYSTEM VALUE SELECT * FROM keep." + table + ";";
    }
    if (untagged) sql += "UPDATE main.tjlist SET tjltag = 0;";
    PgRows(db->Uri(), sql);
  }

  // The rows the actions write, without their identities, in their order.
  std::string Tables() const {
    std::string text;
    for (const char* query :
         {"SELECT tjltag, cono, jobno FROM main.tjlist ORDER BY rowid",
          "SELECT tjltag, tjlname FROM main.tjlgroups ORDER BY rowid",
          "SELECT tjltag, cono, jobno FROM main.tjlitems ORDER BY tjltag, cono, jobno"}) {
      for (const std::string& row : PgRows(db->Uri(), query)) text += row + "\n";
      text += "--\n";
    }
    return text;
  }

  // The counter is ahead of every tag a saved list carries.
  void ExpectCounterAhead(const std::string& at) const {
    const std::string row = PgRows(db->Uri(),
                                   "SELECT c > h, c, h FROM (SELECT (SELECT max(tjltag) FROM "
                                   "main.systags) c, coalesce((SELECT max(tjltag) % 1000000 FROM "
                                   "main.tjlgroups), 0) h) t")
                                .at(0);
    EXPECT_EQ(row[0], 't') << at << ": counter|highest tag " << row;
  }

  // The control placed afresh on the data put back, opened through the proxy.
  void Fresh(bool untagged) {
    PutBack(untagged);
    OpenAfresh(proxied);
  }

  // Runs `action` with the link cut at each request in turn; returns the runs.
  int Sweep(const Action& action, const CutKind& cut) {
    const bool untagged = action.issuesATag;
    const std::string where = std::string(action.name) + ", " + cut.name;
    Fresh(untagged);
    const std::string before = Tables();
    proxy->CutAt(0, cut.how);
    action.run(*control);
    const int total = proxy->Requests();
    const std::string after = Tables();
    EXPECT_NE(after, before) << where << ": the clean run changed nothing" << Told();
    EXPECT_TRUE(desktop.errors.empty()) << where << Told();
    int runs = 0;
    for (int n = 1; n <= total; ++n) {
      const std::string at =
          where + ", request " + std::to_string(n) + " of " + std::to_string(total);
      Fresh(untagged);
      proxy->CutAt(n, cut.how, [this] { testsupport::EndOtherSessions(db->Uri()); });
      ::testing::internal::CaptureStderr();
      action.run(*control);
      // The server's notices reach the user through the store's errors only.
      const std::string printed = ::testing::internal::GetCapturedStderr();
      EXPECT_EQ(printed.find("FATAL"), std::string::npos) << at << ": " << printed;
      EXPECT_EQ(printed.find("WARNING"), std::string::npos) << at << ": " << printed;
      ++runs;
      const std::string state = Tables();
      EXPECT_TRUE(state == before || state == after) << at << ": a mixed state\n"
                                                     << state << "before:\n"
                                                     << before << "after:\n"
                                                     << after;
      const std::string told = Told();
      if (told.find("This List has Been Saved.") != std::string::npos) {
        EXPECT_EQ(state, after) << at << ": a false success";
      }
      if (told.find("were not made") != std::string::npos) {
        EXPECT_EQ(state, before) << at << ": a false failure" << Told();
      }
      if (state == before && proxy->CutDone()) {
        EXPECT_NE(told, "") << at << ": the action was lost without a word";
      }
      ExpectCounterAhead(at);
      ExpectOpensAgain(proxied, at);
    }
    return runs;
  }

  std::unique_ptr<testsupport::TestDatabase> db;
  std::unique_ptr<LinkProxy> proxy;
  std::string proxied;  // the test database's URI through the proxy
};

// One test per action, so that the sweeps run side by side.
class EachAction : public ConnectionFaultTest, public ::testing::WithParamInterface<int> {};

TEST_P(EachAction, TellsTheTruthWhenTheLinkIsCut) {
  const Action& action = writingactions::kActions[GetParam()];
  for (const CutKind& cut : kCuts) {
    const int runs = Sweep(action, cut);
    std::cout << action.name << ", " << cut.name << ": " << runs << " runs\n";
  }
}

INSTANTIATE_TEST_SUITE_P(ConnectionFault, EachAction,
                         ::testing::Range(0, static_cast<int>(std::size(writingactions::kActions))),
                         [](const auto& info) {
                           std::string name = writingactions::kActions[info.param].name;
                           for (char& c : name)
                             c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name;
                         });

}  // namespace
