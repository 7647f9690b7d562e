// Many workstations on one server: four dorvane-script processes, each with
// its own control on the same database, run random mixes of add, edit,
// delete, save, retrieve and new list at once. Afterwards the saved lists must
// hold together (unique tags, a counter ahead of every tag, every saved group
// with its items and every item with its group, each list's items written by
// one transaction) and no process may have met anything but the errors that
// sharing data brings (locked, deleted by another user, no current record,
// duplicate key, a bookmark of a row gone).
#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "support/programs.h"
#include "support/temp_folder.h"
#include "support/test_server.h"

namespace {

using testsupport::PgRows;

constexpr int kWorkers = 4;
constexpr int kActionsPerWorker = 150;

// A job the workers may type: its company and its job number without blanks.
struct Job {
  std::string cono;
  std::string jobno;
};

// Worker `worker`'s random script of `actions` actions on the data source
// `data`; each action leaves the control with no row open for entry and no
// dialog open, whether it succeeded or not.
std::string WorkerScript(int worker, int actions, const std::vector<Job>& jobs) {
  std::mt19937 random(static_cast<unsigned>(1000 + worker));
  auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  std::string script = "let PathText data\n";
  for (int i = 0; i < actions; ++i) {
    const Job& job = jobs[static_cast<size_t>(pick(static_cast<int>(jobs.size())))];
    std::string downs;
    for (int m = pick(4); m > 0; --m) downs += " Down";
    switch (pick(9)) {
      case 0:
      case 1:  // add
        script += "press A\ntype " + job.cono + "\npress Enter\ntype " + job.jobno +
                  "\npress Enter Enter\nclick CmdCancel\n";
        break;
      case 2:  // edit a row of the page
        script += "press Home" + downs + " E\ntype " + job.cono + "\npress Enter\ntype " +
                  job.jobno + "\npress Enter Enter\nclick CmdCancel\n";
        break;
      case 3:  // delete
        script += "press Home" + downs + "\nclick CmdDelete\n";
        break;
      case 4:
      case 5:  // save, under a new name now and then
        script += "click cmdSaveList\ntype \"List nr " + std::to_string(worker) + " " +
                  std::to_string(pick(3) == 0 ? i : 0) + "\"\nclick cmdUpdate\nclick CmdCancel\n";
        break;
      case 6:  // retrieve a saved list
        script += "click cmdRetreiveList\npress Home" + downs + " Enter\npress Esc\n";
        break;
      case 7:  // new list
        script += "click cmdNewList\n";
        break;
      default:  // another look at the data, as a host does after a while
        script += "let PathText data\n";
        break;
    }
  }
  return script;
}

// The lines of a worker's output that show a fault: error boxes and run-time
// errors that reach the host with a number other than those of shared data.
std::vector<std::string> Faults(const std::string& output) {
  static const std::regex kErrorNumber("(?:Error Number: |HOST ERROR number=)([0-9]+)");
  static const std::set<std::string> kShared = {"3260", "3167", "3021", "3022", "3159"};
  std::vector<std::string> faults;
  size_t start = 0;
  while (start < output.size()) {
    size_t end = output.find('\n', start);
    if (end == std::string::npos) end = output.size();
    const std::string line = output.substr(start, end - start);
    start = end + 1;
    std::smatch number;
    const bool error = line.starts_with("HOST ERROR") || line.find("Error") != std::string::npos;
    if (error &&
        (!std::regex_search(line, number, kErrorNumber) || !kShared.contains(number[1].str()))) {
      faults.push_back(line);
    }
  }
  return faults;
}

TEST(ManyWorkstations, RandomActionsOfFourProcessesKeepTheListsWhole) {
  DORVANE_REQUIRE_TEST_SERVER();
  testsupport::TestDatabase db;
  const testsupport::ProgramRun init =
      testsupport::RunDataTool({"init", db.Uri(), "--companies", "3", "--jobs", "90", "--list", "6",
                                "--saved", "2", "--today", "2024-03-06"});
  ASSERT_EQ(init.status, 0) << init.err;
  // Job numbers without the list's letter keys (A, D, E, X), so that a key
  // that reaches the list instead of a box does no harm.
  std::vector<Job> jobs;
  for (const std::string& row : PgRows(db.Uri(),
                                       "SELECT cono, trim(jobno) FROM main.joblist "
                                       "WHERE upper(jobno) !~ '[ADEX]' ORDER BY rowid LIMIT 40")) {
    jobs.push_back({row.substr(0, row.find('|')), row.substr(row.find('|') + 1)});
  }
  ASSERT_GE(jobs.size(), 10u);

  const testsupport::TempFolder scratch("dorvane-workstations");
  std::vector<testsupport::ProgramRun> runs(kWorkers);
  std::vector<std::thread> workers;
  for (int w = 0; w < kWorkers; ++w) {
    const std::string file = scratch.File("worker" + std::to_string(w) + ".script");
    std::ofstream(file) << WorkerScript(w, kActionsPerWorker, jobs);
    workers.emplace_back([&runs, w, file, &db] {
      runs[static_cast<size_t>(w)] =
          testsupport::RunProgram("dorvane-script", {"--source", "data=" + db.Uri(), file});
    });
  }
  for (std::thread& worker : workers) worker.join();

  int saves = 0;
  for (int w = 0; w < kWorkers; ++w) {
    const testsupport::ProgramRun& run = runs[static_cast<size_t>(w)];
    EXPECT_EQ(run.status, 0) << "worker " << w << ": " << run.err;
    EXPECT_EQ(Faults(run.out), std::vector<std::string>{}) << "worker " << w;
    for (size_t at = run.out.find("This List has Been Saved."); at != std::string::npos;
         at = run.out.find("This List has Been Saved.", at + 1)) {
      ++saves;
    }
  }
  EXPECT_GT(saves, kWorkers) << "too few saves to test anything";
  RecordProperty("saves", saves);

  const std::vector<std::string> none;
  EXPECT_EQ(
      PgRows(db.Uri(), "SELECT tjltag FROM main.tjlgroups GROUP BY tjltag HAVING count(*) > 1"),
      none)
      << "a tag given twice";
  EXPECT_EQ(PgRows(db.Uri(), "SELECT count(*) FROM main.systags"), std::vector<std::string>{"1"});
  EXPECT_EQ(PgRows(db.Uri(),
                   "SELECT t.tjltag FROM main.systags s, (SELECT tjltag FROM "
                   "main.tjlgroups UNION SELECT tjltag FROM main.tjlist) t "
                   "WHERE t.tjltag >= s.tjltag"),
            none)
      << "the counter is not ahead of every tag";
  EXPECT_EQ(PgRows(db.Uri(),
                   "SELECT g.tjltag FROM main.tjlgroups g WHERE NOT EXISTS "
                   "(SELECT 1 FROM main.tjlitems i WHERE i.tjltag = g.tjltag)"),
            none)
      << "a saved group without its items";
  EXPECT_EQ(PgRows(db.Uri(),
                   "SELECT DISTINCT i.tjltag FROM main.tjlitems i WHERE NOT EXISTS "
                   "(SELECT 1 FROM main.tjlgroups g WHERE g.tjltag = i.tjltag)"),
            none)
      << "items of a list that is not saved";
}

}  // namespace
