// Saved lists when things go wrong. Saving a list is all or nothing. A forked child saves the
// working list and is killed (SIGKILL) at its N-th row change of MAIN.MDB, for N = 1, 2, ... until
// a save runs to its end; after each kill the files are read with plain SQLite and a fresh control
// is placed on them: the saved list is either the old one or the new one, never a mix. Also: a
// database locked by another program refuses the save, the new list and the retrieve without losing
// anything and leaves the screen usable.
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "control_fixture.h"

namespace {

// Row changes this process has made so far, and the one it dies at.
int rowChanges = 0;
int killAtRowChange = 0;

void CountRowChange(void*, int, const char*, const char*, sqlite3_int64) {
  if (++rowChanges == killAtRowChange) raise(SIGKILL);
}

// Runs for every connection the process opens from now on.
int WatchRowChanges(sqlite3* db, const char**, const sqlite3_api_routines*) {
  sqlite3_update_hook(db, CountRowChange, nullptr);
  return SQLITE_OK;
}

class ListsCrashTest : public ControlTest {
 protected:
  // Every row of a query on MAIN.MDB, read through a connection of its own.
  static std::string Query(const std::string& folder, const std::string& sql) {
    return testsupport::SqlFile(folder + "/MAIN.MDB").Dump(sql);
  }

  // What a save decides about list `tag`: its name, its items, the working
  // list's tags.
  static std::string ListState(const std::string& folder, int tag) {
    const std::string t = std::to_string(tag);
    return Query(folder, "SELECT TJLNAME FROM TJLGROUPS WHERE TJLTAG = " + t) +
           Query(folder,
                 "SELECT CONO, JOBNO FROM TJLITEMS WHERE TJLTAG = " + t + " ORDER BY CONO, JOBNO") +
           Query(folder, "SELECT TJLTAG, CONO, JOBNO FROM TJLIST ORDER BY CONO, JOBNO");
  }

  // Places the control on the folder and saves the working list as `name`.
  void SaveWorkingList(const std::string& folder, const std::string& name) {
    control->SetPathText(folder);
    screen::ClickControl(Child<screen::CommandButton>("cmdSaveList"));
    Child<screen::TextBox>("txtTJLNAME").SetText(name);
    screen::ClickControl(Child<screen::CommandButton>("cmdUpdate"));
  }

  // A child saves in a copy of `original` and dies at row change `killAt`.
  // Returns the copy's folder, and whether the child ran to the end instead.
  std::string SaveInChild(const std::string& original, int killAt, const std::string& name,
                          bool& finished) {
    const std::string folder = root.File("run" + std::to_string(killAt));
    std::filesystem::copy(original, folder, std::filesystem::copy_options::recursive);
    const pid_t pid = fork();
    if (pid == 0) {
      killAtRowChange = killAt;
      sqlite3_auto_extension(reinterpret_cast<void (*)()>(WatchRowChanges));
      SaveWorkingList(folder, name);
      const bool saved = !desktop.messageBoxes.empty() &&
                         desktop.messageBoxes.back().prompt == "This List has Been Saved.";
      _exit(saved ? 0 : 3);
    }
    int status = 0;
    EXPECT_EQ(waitpid(pid, &status, 0), pid);
    finished = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    EXPECT_TRUE(finished || (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL))
        << "the child failed at row change " << killAt;
    return folder;
  }

  // Kills a save of the working list of `original` as `name` at every row
  // change in turn; each time list `tag` must be its old or its new self, and
  // a fresh control names it accordingly. Returns the number of kills.
  int KillAtEveryRowChange(const std::string& original, int tag, const std::string& name,
                           const std::string& oldLabel) {
    const std::string before = ListState(original, tag);
    std::string after;
    bool finished = false;
    int killAt = 1;
    for (; !finished && killAt < 500; ++killAt) {
      const std::string folder = SaveInChild(original, killAt, name, finished);
      const std::string state = ListState(folder, tag);
      if (finished) after = state;
      NewControl();
      control->SetPathText(folder);
      const std::string label = Caption("lblTJLNAME");
      if (state == before) {
        EXPECT_EQ(label, oldLabel) << "killed at row change " << killAt;
      } else {
        EXPECT_EQ(label, name) << "killed at row change " << killAt;
        after = state;
      }
      NewControl();
    }
    EXPECT_TRUE(finished);
    EXPECT_NE(after, before);
    EXPECT_NE(after.find(name), std::string::npos);
    // Every kill left the old list or the list of the finished save.
    for (int n = 1; n < killAt; ++n) {
      const std::string state = ListState(root.File("run" + std::to_string(n)), tag);
      EXPECT_TRUE(state == before || state == after) << "mixed list after a kill at " << n << ":\n"
                                                     << state;
    }
    return killAt - 2;
  }
};

TEST_F(ListsCrashTest, ASavedListKilledMidSaveIsTheOldOrTheNewList) {
  const std::string data = MakeFolder("data", {"--today", "2024-03-06"});
  // The working list of saved list 2 loses two rows and gains one of its own.
  Exec(data, "MAIN.MDB", "DELETE FROM TJLIST WHERE rowid IN (2, 4)");
  Exec(data, "MAIN.MDB", "INSERT INTO TJLIST (TJLTAG, CONO, JOBNO) VALUES (0, 1, '   AA000')");
  // Each kill point: a group row, six old items, five working rows and items.
  EXPECT_GE(KillAtEveryRowChange(data, 2, "Spring, revised", "Spring start-ups"), 1 + 6 + 10);
}

TEST_F(ListsCrashTest, ANewListKilledMidSaveIsNotSavedOrSavedWhole) {
  const std::string data = MakeFolder("data", {"--today", "2024-03-06"});
  Exec(data, "MAIN.MDB", "UPDATE TJLIST SET TJLTAG = 0");
  // The counter row's change, then the group row and six rows and items.
  EXPECT_GE(KillAtEveryRowChange(data, 3, "Night shift", "New List."), 1 + 1 + 12);
}

// Another program holds the write lock of MAIN.MDB while the user acts.
class ListsLockTest : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    recordstore::DBEngine::Instance()->SetLockWaitMilliseconds(100);
    data = MakeFolder("data", {"--today", "2024-03-06"});
    control->SetPathText(data);
    other = std::make_unique<testsupport::SqlFile>(data + "/MAIN.MDB");
    before = Tables();
  }

  void TearDown() override {
    other.reset();
    recordstore::DBEngine::Instance()->SetLockWaitMilliseconds(5000);
    ControlTest::TearDown();
  }

  void Lock() {
    ASSERT_EQ(sqlite3_exec(other->Handle(), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), 0);
  }
  void Unlock() {
    ASSERT_EQ(sqlite3_exec(other->Handle(), "COMMIT", nullptr, nullptr, nullptr), 0);
  }

  // The four tables that the list buttons write.
  std::string Tables() {
    std::string all;
    for (const char* table : {"TJLIST", "TJLGROUPS", "TJLITEMS", "SYSTAGS"}) {
      all += other->Dump(std::string("SELECT * FROM ") + table + " ORDER BY rowid");
    }
    return all;
  }

  // The one run-time error the host was told of, which must be the lock.
  void ExpectLockReported() {
    ASSERT_EQ(desktop.errors.size(), 1u);
    EXPECT_EQ(desktop.errors[0].Number(), 3260);
    EXPECT_EQ(FocusName(), "hsbMAIN");
    EXPECT_EQ(State("KeyPreview"), "True");
    EXPECT_EQ(State("IsSavingList"), "False");
  }

  std::string data;
  std::unique_ptr<testsupport::SqlFile> other;
  std::string before;
};

TEST_F(ListsLockTest, ASaveOverALockedFileWritesNothingAndKeepsTheList) {
  screen::ClickControl(Child<screen::CommandButton>("cmdSaveList"));
  Child<screen::TextBox>("txtTJLNAME").SetText("Spring, revised");
  Lock();
  screen::ClickControl(Child<screen::CommandButton>("cmdUpdate"));
  EXPECT_EQ(Tables(), before);
  Unlock();
  ExpectLockReported();
  EXPECT_EQ(State("CurrentTJLTAG"), "2");
  EXPECT_EQ(Caption("lblTJLNAME"), "Spring start-ups");
  EXPECT_TRUE(Child("CmdAdd").Visible());
  EXPECT_FALSE(Child("txtTJLNAME").Visible());
  EXPECT_TRUE(desktop.messageBoxes.empty());
  // Once the file is free the same save goes through.
  screen::ClickControl(Child<screen::CommandButton>("cmdSaveList"));
  Child<screen::TextBox>("txtTJLNAME").SetText("Spring, revised");
  screen::ClickControl(Child<screen::CommandButton>("cmdUpdate"));
  EXPECT_EQ(Caption("lblTJLNAME"), "Spring, revised");
  EXPECT_NE(Tables(), before);
}

TEST_F(ListsLockTest, NewListAndRetrieveOverALockedFileKeepTheWorkingList) {
  Lock();
  screen::ClickControl(Child<screen::CommandButton>("cmdNewList"));
  EXPECT_EQ(Tables(), before);
  ExpectLockReported();
  EXPECT_EQ(State("CurrentTJLTAG"), "2");
  EXPECT_EQ(Caption("lblJOBNAME", 0), "Oak Avenue sewer lining");

  desktop.errors.clear();
  desktop.QueueModalAction([] {
    screen::PressKey(screen::kKeyReturn, 0);  // chooses "Payroll check", the first row
  });
  screen::ClickControl(Child<screen::CommandButton>("cmdRetreiveList"));
  EXPECT_EQ(Tables(), before);
  Unlock();
  ExpectLockReported();
  EXPECT_EQ(State("CurrentTJLTAG"), "2");
}

}  // namespace
