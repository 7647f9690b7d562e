// Tests with real child processes on the same files: a row another process
// adds is seen by an open recordset at its next move, and four processes
// raising a counter under transactions with pessimistic locking all succeed
// and never hand out a value twice. The children are this test program
// started again with RECORDSTORE_CHILD set; they do their task before the
// test framework starts and exit.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

#include "services/recordstore/recordstore.h"
#include "store_helpers.h"

extern char** environ;

namespace recordstore::testing {
namespace {

// Child task "insert OUT MAIN": adds one TJLIST row (company 2, job "CHILD")
// to the database file MAIN.
void InsertRow(const std::string& main) {
  Opened opened = OpenTable(main, "TJLIST");
  opened.recordset->AddNew();
  opened.recordset->SetCollect("CONO", Variant::Integer(2));
  opened.recordset->SetCollect("JOBNO", Variant::String("CHILD"));
  opened.recordset->Update();
}

// Child task "increment OUT MAIN COUNT": takes COUNT values from the SYSTAGS
// counter of the database file MAIN, each in its own workspace and
// transaction, and writes them to a file of folder OUT named after the process.
void TakeCounterValues(const std::string& folder, const std::string& main, int count) {
  std::ofstream out(folder + "/taken-" + std::to_string(getpid()) + ".txt");
  for (int i = 0; i < count; ++i) {
    auto workspace = DBEngine::Instance()->CreateWorkspace("wksMAIN", "admin", "", 2);
    auto database = workspace->OpenDatabase(main);
    auto counter = database->OpenRecordset("SYSTAGS", 1, 512, 2);
    workspace->BeginTrans();
    counter->MoveFirst();
    int32_t value = counter->Fields("TJLTAG").Value().ToLong();
    counter->Edit();
    counter->SetCollect("TJLTAG", Variant::Long(value + 1));
    counter->Update();
    workspace->CommitTrans(1);
    out << value << "\n";
  }
}

// Runs the child task named in RECORDSTORE_CHILD, if any, and exits.
int RunChildTask() {
  const char* task = std::getenv("RECORDSTORE_CHILD");
  if (task == nullptr) return 0;
  std::istringstream words(task);
  std::string kind, folder, main;
  int count = 0;
  words >> kind >> folder >> main >> count;
  int status = 0;
  try {
    if (kind == "insert") InsertRow(main);
    if (kind == "increment") TakeCounterValues(folder, main, count);
  } catch (const base::RuntimeError& e) {
    std::fprintf(stderr, "child failed: %d %s\n", e.Number(), e.Description().c_str());
    status = 1;
  }
  std::fflush(nullptr);
  _exit(status);
}

const int kChildTask = RunChildTask();

// Starts this program again as a child doing `task`.
pid_t StartChild(const std::string& task) {
  std::vector<std::string> environment = {"RECORDSTORE_CHILD=" + task};
  for (char** entry = environ; *entry != nullptr; ++entry) environment.emplace_back(*entry);
  std::vector<char*> envp;
  envp.reserve(environment.size() + 1);
  for (std::string& entry : environment) envp.push_back(entry.data());
  envp.push_back(nullptr);
  char name[] = "test_recordstore";
  char* argv[] = {name, nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, "/proc/self/exe", nullptr, nullptr, argv, envp.data()) != 0) return -1;
  return pid;
}

// Waits for a child and returns its exit status (-1 if it did not exit).
int WaitForChild(pid_t pid) {
  int status = 0;
  if (pid <= 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

class ProcessTest : public EngineTest {
 protected:
  // A folder for the children's reports.
  testsupport::TempFolder out;
};

TEST_P(ProcessTest, RowAddedByAnotherProcessIsSeenAtTheNextMove) {
  ASSERT_EQ(kChildTask, 0);
  folder.CreateMain("INSERT INTO TJLIST (TJLTAG, CONO, JOBNO) VALUES (0, 1, 'A'), (0, 3, 'C');");
  Opened opened = OpenTable(folder.File("MAIN.MDB"), "TJLIST", "TJLIST");
  opened.recordset->MoveFirst();
  EXPECT_EQ(opened.recordset->RecordCount(), 2);
  ASSERT_EQ(WaitForChild(StartChild("insert " + out.Path() + " " + folder.File("MAIN.MDB"))), 0);
  opened.recordset->MoveNext();
  EXPECT_EQ(opened.recordset->Fields("JOBNO").Value().ToString(), "CHILD");
  EXPECT_EQ(opened.recordset->RecordCount(), 3);
}

TEST_P(ProcessTest, FourProcessesRaisingACounterAllSucceed) {
  const int kProcesses = 4, kEach = 200;
  folder.CreateMain("INSERT INTO SYSTAGS (TJLTAG) VALUES (1);");
  std::vector<pid_t> children;
  children.reserve(kProcesses);
  for (int i = 0; i < kProcesses; ++i) {
    children.push_back(StartChild("increment " + out.Path() + " " + folder.File("MAIN.MDB") + " " +
                                  std::to_string(kEach)));
  }
  for (pid_t child : children) EXPECT_EQ(WaitForChild(child), 0);

  std::set<int> taken;
  int lines = 0;
  for (pid_t child : children) {
    std::ifstream in(out.Path() + "/taken-" + std::to_string(child) + ".txt");
    for (int value; in >> value; ++lines) taken.insert(value);
  }
  EXPECT_EQ(lines, kProcesses * kEach);
  EXPECT_EQ(taken.size(), static_cast<size_t>(kProcesses * kEach));  // no value twice
  EXPECT_EQ(folder.Query("MAIN.MDB", "SELECT TJLTAG FROM SYSTAGS"),
            (std::vector<std::string>{std::to_string(kProcesses * kEach + 1)}));
}

RUN_ON_BOTH_ENGINES(ProcessTest);

}  // namespace
}  // namespace recordstore::testing
