// A test with a real child process on the same files: a row another process
// adds is seen by an open recordset at its next move. The child is this test
// program started again with RECORDSTORE_CHILD set to the database path; it
// adds the row before the test framework starts and exits. (Processes
// raising one counter at once are tested with wqGetNewTag in
// tests/services/msaccess_tags.cpp, and on a server by the many-workstations
// test.)
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "services/recordstore/recordstore.h"
#include "store_helpers.h"

extern char** environ;

namespace recordstore::testing {
namespace {

// The child's task: adds one TJLIST row (company 2, job "CHILD") to the
// database file `main`.
void InsertRow(const std::string& main) {
  Opened opened = OpenTable(main, "TJLIST");
  opened.recordset->AddNew();
  opened.recordset->SetCollect("CONO", Variant::Integer(2));
  opened.recordset->SetCollect("JOBNO", Variant::String("CHILD"));
  opened.recordset->Update();
}

// Runs the child's task when RECORDSTORE_CHILD names a database, and exits.
int RunChildTask() {
  const char* main = std::getenv("RECORDSTORE_CHILD");
  if (main == nullptr) return 0;
  int status = 0;
  try {
    InsertRow(main);
  } catch (const base::RuntimeError& e) {
    std::fprintf(stderr, "child failed: %d %s\n", e.Number(), e.Description().c_str());
    status = 1;
  }
  std::fflush(nullptr);
  _exit(status);
}

const int kChildTask = RunChildTask();

// Starts this program again as a child adding a row to `main`.
pid_t StartChild(const std::string& main) {
  std::vector<std::string> environment = {"RECORDSTORE_CHILD=" + main};
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

using ProcessTest = EngineTest;

TEST_P(ProcessTest, RowAddedByAnotherProcessIsSeenAtTheNextMove) {
  ASSERT_EQ(kChildTask, 0);
  folder.CreateMain("INSERT INTO TJLIST (TJLTAG, CONO, JOBNO) VALUES (0, 1, 'A'), (0, 3, 'C');");
  Opened opened = OpenTable(folder.File("MAIN.MDB"), "TJLIST", "TJLIST");
  opened.recordset->MoveFirst();
  EXPECT_EQ(opened.recordset->RecordCount(), 2);
  ASSERT_EQ(WaitForChild(StartChild(folder.File("MAIN.MDB"))), 0);
  opened.recordset->MoveNext();
  EXPECT_EQ(opened.recordset->Fields("JOBNO").Value().ToString(), "CHILD");
  EXPECT_EQ(opened.recordset->RecordCount(), 3);
}

RUN_ON_BOTH_ENGINES(ProcessTest);

}  // namespace
}  // namespace recordstore::testing
