// Tests of wqGetNewTag: the counter row's first use, 0 and Null counters,
// prefixes and caller-named tables, every failure reported with its box and
// the counter left as it was, a locked counter, and four processes allocating
// at once.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "services/recordstore/recordstore.h"
#include "services/ztMSAccess.h"
#include "support/data_folder.h"
#include "support/headless_screen.h"
#include "support/open_table.h"
#include "support/sql_file.h"

namespace {

using testsupport::BoxRecorder;
using testsupport::DataFolder;

const char* const kFailurePrefix = "Attempt to Assign New Tag Number Failed.\r\n";

std::string Counter(const DataFolder& folder) {
  return folder.Value("MAIN.MDB", "SELECT TJLTAG FROM SYSTAGS");
}

// An empty table gets its counter row; a 0 or Null counter issues 1.
TEST(wqGetNewTag, NoCounterRowOrAZeroOrNullCounterIssuesOne) {
  for (const char* stored : {"", "0", "NULL"}) {
    BoxRecorder boxes;
    DataFolder folder{"MAIN.MDB", "QRLSYS.mdb"};
    if (*stored != 0) {
      folder.Exec("MAIN.MDB", std::string("INSERT INTO SYSTAGS (TJLTAG) VALUES (") + stored + ");");
    }
    EXPECT_EQ(ztMSAccess::wqGetNewTag(folder.Path(), "TJLTAG", "", "", 0), 1) << stored;
    EXPECT_EQ(ztMSAccess::wqGetNewTag(folder.Path(), "TJLTAG", "", "", 0), 2) << stored;
    EXPECT_EQ(Counter(folder), "3") << stored;
    EXPECT_EQ(folder.Value("MAIN.MDB", "SELECT COUNT(*) FROM SYSTAGS"), "1");
    EXPECT_TRUE(boxes.Boxes().empty());
  }
}

TEST(wqGetNewTag, IssuesTheStoredCounterWithThePrefix) {
  BoxRecorder boxes;
  DataFolder folder{"MAIN.MDB", "QRLSYS.mdb"};
  folder.Exec("MAIN.MDB",
              "INSERT INTO SYSTAGS (TJLTAG) VALUES (7);"
              "CREATE TABLE MYTAGS (A LONG, B LONG); INSERT INTO MYTAGS VALUES (10, 20);");
  EXPECT_EQ(ztMSAccess::wqGetNewTag(folder.Path() + "  ", "TJLTAG", "", "", 0), 7);
  EXPECT_EQ(Counter(folder), "8");
  EXPECT_EQ(ztMSAccess::wqGetNewTag(folder.Path(), "TJLTAG", "main.mdb", "SYSTAGS", 3), 3000008);
  // A blank data path takes the database file as the whole path.
  EXPECT_EQ(ztMSAccess::wqGetNewTag(" ", "B", folder.Path() + "/MAIN.MDB", "MYTAGS", 0), 20);
  EXPECT_EQ(folder.Value("MAIN.MDB", "SELECT A || ',' || B FROM MYTAGS"), "10,21");
  EXPECT_TRUE(boxes.Boxes().empty());
}

// Bad arguments and a counter locked by another program past the store's
// (here short) lock wait each fail with a box and leave the counter.
TEST(wqGetNewTag, FailuresReportAndLeaveTheCounter) {
  BoxRecorder boxes;
  DataFolder folder{"MAIN.MDB", "QRLSYS.mdb"};
  folder.Exec("MAIN.MDB", "INSERT INTO SYSTAGS (TJLTAG) VALUES (7);");
  EXPECT_EQ(ztMSAccess::wqGetNewTag(folder.Path() + "/nowhere", "TJLTAG", "", "", 0), 0);
  EXPECT_EQ(ztMSAccess::wqGetNewTag(folder.Path(), "TJLTAG", "", "NOTAGS", 0), 0);
  EXPECT_EQ(ztMSAccess::wqGetNewTag(folder.Path(), "NOFIELD", "", "", 0), 0);
  EXPECT_EQ(ztMSAccess::wqGetNewTag(folder.Path(), "TJLTAG", "", "", 2148), 0);  // beyond 32 bits
  {
    testsupport::LockWait wait(300);
    testsupport::SqlFile other(folder.Path() + "/MAIN.MDB");
    other.Exec("BEGIN IMMEDIATE");
    EXPECT_EQ(ztMSAccess::wqGetNewTag(folder.Path(), "TJLTAG", "", "", 0), 0);
  }
  EXPECT_EQ(Counter(folder), "7");
  // The box's form is a scenario's; each failure shows one, with its cause.
  ASSERT_EQ(boxes.Boxes().size(), 5u);
  for (const auto& box : boxes.Boxes()) {
    EXPECT_GT(box.prompt.size(), std::string(kFailurePrefix).size()) << box.prompt;
  }
  EXPECT_EQ(ztMSAccess::wqGetNewTag(folder.Path(), "TJLTAG", "", "", 2147), 2147000007);
}

// Four forked processes allocate 200 tags each at once and write them, one per
// line (0 for a failure); a process whose failures did not each show a box
// exits with 2.
TEST(wqGetNewTag, FourProcessesAtOnceGetDistinctTags) {
  DataFolder folder{"MAIN.MDB", "QRLSYS.mdb"};
  folder.Exec("MAIN.MDB", "INSERT INTO SYSTAGS (TJLTAG) VALUES (1);");
  std::vector<pid_t> workers;
  for (int w = 0; w < 4; ++w) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      BoxRecorder boxes;
      std::ofstream file(folder.Path() + "/tags" + std::to_string(w) + ".txt");
      size_t failures = 0;
      for (int i = 0; i < 200; ++i) {
        const int32_t tag = ztMSAccess::wqGetNewTag(folder.Path(), "TJLTAG", "", "", 0);
        failures += tag == 0;
        file << tag << "\n";
      }
      file.close();
      _exit(!file ? 1 : boxes.Boxes().size() != failures ? 2 : 0);
    }
    workers.push_back(pid);
  }
  for (pid_t pid : workers) {
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
  std::set<long> issued;
  int calls = 0;
  for (int w = 0; w < 4; ++w) {
    std::ifstream in(folder.Path() + "/tags" + std::to_string(w) + ".txt");
    for (long tag = 0; in >> tag; ++calls) {
      EXPECT_TRUE(tag == 0 || issued.insert(tag).second) << "tag " << tag << " issued twice";
    }
  }
  EXPECT_EQ(calls, 800);
  // The store's bounded lock wait is long enough for every call to succeed.
  EXPECT_EQ(issued.size(), 800u);
  EXPECT_EQ(Counter(folder), "801");
}

}  // namespace
