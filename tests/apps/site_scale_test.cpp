// A site larger than its server: sixty dorvane-script processes, each a
// workstation with its own control, work at once on a private server that
// takes forty connections. A workstation holds a server session only while an
// action runs (the environment closes idle sessions at once here), so every
// workstation gets its turn: each one's page and add work, and none is told
// that its data is missing. A server kept busy longer than the lock wait is
// reported as busy (3260), never as a missing file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/programs.h"
#include "support/temp_folder.h"
#include "support/test_server.h"

namespace {

constexpr int kWorkstations = 60;

class PrivateServer {
 public:
  explicit PrivateServer(int maxConnections) {
    const std::string out = state_.File("out");
    const std::string command = "PG_TEST_MAX_CONNECTIONS=" + std::to_string(maxConnections) + " " +
                                script_ + " start " + state_.Path() + " >" + out + " 2>&1";
    if (std::system(command.c_str()) != 0) return;
    const std::string uri = testsupport::ReadText(state_.File("uri"));
    uri_ = uri.substr(0, uri.find('\n'));
  }
  ~PrivateServer() {
    std::system((script_ + " stop " + state_.Path() + " >/dev/null 2>&1").c_str());
  }
  const std::string& Uri() const { return uri_; }

 private:
  const std::string script_ = std::string(DORVANE_SOURCE_DIR) + "/tools/pg-test-server.sh";
  const testsupport::TempFolder state_{"dorvane-pg-site"};
  std::string uri_;
};

TEST(SiteScale, SixtyWorkstationsShareAServerOfFortyConnections) {
  DORVANE_REQUIRE_TEST_SERVER();
  PrivateServer server(40);
  ASSERT_FALSE(server.Uri().empty());
  const std::string site = server.Uri() + "site";
  testsupport::PgRows(server.Uri() + "postgres", "CREATE DATABASE site");
  testsupport::MakeDataFolder(site, {"--companies", "3", "--jobs", "60", "--list", "4", "--saved",
                                     "1", "--today", "2024-03-06"});
  const std::string job = testsupport::PgRows(
      site,
      "SELECT trim(jobno) FROM main.joblist WHERE cono = 1 AND upper(jobno) !~ '[ADEX]' "
      "ORDER BY jobno LIMIT 1")[0];

  const testsupport::TempFolder scratch("dorvane-site");
  setenv("DORVANE_SERVER_IDLE", "0", 1);
  std::vector<testsupport::ProgramRun> runs(kWorkstations);
  std::vector<std::thread> desks;
  for (int w = 0; w < kWorkstations; ++w) {
    const std::string file = scratch.File("desk" + std::to_string(w) + ".script");
    std::ofstream(file) << "let PathText data\n"
                           "press Home Down End PageUp\n"
                           "press A\ntype 1\npress Enter\ntype "
                        << job
                        << "\npress Enter Enter\nclick CmdCancel\n"
                           "press Home End\nget IsListOK\n";
    desks.emplace_back([&runs, w, file, &site] {
      runs[static_cast<size_t>(w)] =
          testsupport::RunProgram("dorvane-script", {"--source", "data=" + site, file});
    });
  }
  for (std::thread& desk : desks) desk.join();
  unsetenv("DORVANE_SERVER_IDLE");

  // A desk may find the server busy for longer than its lock wait (a loaded
  // machine): it says so, and that action alone is lost.
  int busy = 0;
  for (int w = 0; w < kWorkstations; ++w) {
    const testsupport::ProgramRun& run = runs[static_cast<size_t>(w)];
    EXPECT_EQ(run.status, 0) << "desk " << w << ": " << run.err;
    EXPECT_NE(run.out.find("IsListOK = True"), std::string::npos) << "desk " << w << run.out;
    EXPECT_EQ(run.out.find("Could not find"), std::string::npos) << "desk " << w << run.out;
    std::istringstream lines(run.out);
    bool saidBusy = false;
    for (std::string line; std::getline(lines, line);) {
      if (line.find("ERROR") == std::string::npos && line.find("Error") == std::string::npos) {
        continue;
      }
      EXPECT_NE(line.find("is busy"), std::string::npos) << "desk " << w << ": " << line;
      saidBusy = true;
    }
    busy += saidBusy ? 1 : 0;
  }
  // The add of every desk that was not turned away is there, beside the four
  // rows the list had.
  const int rows = std::stoi(testsupport::PgRows(site, "SELECT count(*) FROM main.tjlist")[0]);
  EXPECT_GE(rows, 4 + kWorkstations - busy);
  EXPECT_LE(rows, 4 + kWorkstations);
  RecordProperty("busy", busy);
}

}  // namespace
