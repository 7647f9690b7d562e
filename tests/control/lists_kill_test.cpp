// Save, New List and Retrieve List are all or nothing, on either engine. A
// forked child acts and is killed (SIGKILL) at its N-th row write to MAIN.MDB
// (on the server: its N-th INSERT, UPDATE or DELETE statement), for N = 1, 2,
// ... until the action runs to its end; after each kill the data is read by
// another connection and a fresh control is placed on it: the lists are either
// as before or as after, never a mix. The child counts its writes through
// SQLite's update hook, or by standing in front of libpq's prepare, send and
// pipeline calls (this program's definitions take the place of the library's).
#include <dlfcn.h>
#include <libpq-fe.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <regex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "control_fixture.h"
#include "writing_actions.h"

namespace {

// Row writes this process has made so far, and the one it dies at (0: never).
int rowChanges = 0;
int killAtRowChange = 0;
// Set when the pipeline being sent holds the write the process dies at.
bool killAtPipelineEnd = false;
// The server's prepared statements of this process that write rows.
std::set<std::pair<const PGconn*, std::string>> writingStatements;

void CountRowChange() {
  if (++rowChanges == killAtRowChange) raise(SIGKILL);
}

void CountSqliteRowChange(void*, int, const char*, const char*, sqlite3_int64) { CountRowChange(); }

// Runs for every SQLite connection the process opens from now on.
int WatchRowChanges(sqlite3* db, const char**, const sqlite3_api_routines*) {
  sqlite3_update_hook(db, CountSqliteRowChange, nullptr);
  return SQLITE_OK;
}

bool WritesRows(const char* sql) {
  static const std::regex kWrite(R"(^\s*(insert|update|delete)\b)", std::regex::icase);
  return std::regex_search(sql, kWrite);
}

}  // namespace

// libpq's calls as this program sees them: the library's own, noting which
// prepared statements write rows and counting their runs. The store sends a
// write in a pipeline; the process dies once the pipeline that holds its
// N-th write has gone to the server.
extern "C" int PQsendPrepare(PGconn* conn, const char* name, const char* query, int nParams,
                             const Oid* paramTypes) {
  using Prepare = int (*)(PGconn*, const char*, const char*, int, const Oid*);
  static const auto real = reinterpret_cast<Prepare>(dlsym(RTLD_NEXT, "PQsendPrepare"));
  if (killAtRowChange > 0 && WritesRows(query)) writingStatements.emplace(conn, name);
  return real(conn, name, query, nParams, paramTypes);
}

extern "C" int PQsendQueryPrepared(PGconn* conn, const char* name, int nParams,
                                   const char* const* values, const int* lengths,
                                   const int* formats, int resultFormat) {
  using Send = int (*)(PGconn*, const char*, int, const char* const*, const int*, const int*, int);
  static const auto real = reinterpret_cast<Send>(dlsym(RTLD_NEXT, "PQsendQueryPrepared"));
  if (killAtRowChange > 0 && writingStatements.contains({conn, name}) &&
      ++rowChanges == killAtRowChange) {
    killAtPipelineEnd = true;
  }
  return real(conn, name, nParams, values, lengths, formats, resultFormat);
}

extern "C" int PQpipelineSync(PGconn* conn) {
  using Sync = int (*)(PGconn*);
  static const auto real = reinterpret_cast<Sync>(dlsym(RTLD_NEXT, "PQpipelineSync"));
  const int sent = real(conn);
  if (killAtPipelineEnd) raise(SIGKILL);
  return sent;
}

namespace {

class ListsKillTest : public EngineControlTest {
 protected:
  // A fresh copy of the data source `original`, as the control's PathText.
  std::string CopyOf(const std::string& original) {
    const std::string place = NewPlace();
    if (!OnServer()) {
      std::filesystem::copy(original, place, std::filesystem::copy_options::recursive);
      return place;
    }
    const testsupport::ProgramRun copy = testsupport::RunDataTool({"copy", original, place});
    EXPECT_EQ(copy.status, 0) << copy.err;
    return place;
  }

  // What a save decides about list `tag`: its name, its items, the working
  // list's tags.
  std::string ListState(const std::string& source, int tag) const {
    const std::string t = std::to_string(tag);
    std::string state;
    for (const std::string& sql :
         {"SELECT TJLNAME FROM TJLGROUPS WHERE TJLTAG = " + t,
          "SELECT CONO, JOBNO FROM TJLITEMS WHERE TJLTAG = " + t + " ORDER BY CONO, JOBNO",
          std::string("SELECT TJLTAG, CONO, JOBNO FROM TJLIST ORDER BY CONO, JOBNO")}) {
      for (const std::string& row : Rows(source, sql)) state += row + "\n";
      state += "--\n";
    }
    return state;
  }

  // What the child does on the control placed on the data; true when it ran to its end.
  using Action = std::function<bool(ListsKillTest&)>;

  // Saves the working list as `name`.
  static Action Save(const std::string& name) {
    return [name](ListsKillTest& test) {
      writingactions::SaveAs(*test.control, name.c_str());
      return !test.desktop.messageBoxes.empty() &&
             test.desktop.messageBoxes.back().prompt == "This List has Been Saved.";
    };
  }

  // Clicks a button whose action shows no message when it succeeds; Enter
  // chooses the first row of a search it opens.
  static Action Click(const std::string& button) {
    return [button](ListsKillTest& test) {
      test.desktop.QueueModalAction([] { screen::PressKey(screen::kKeyReturn, 0); });
      screen::ClickControl(test.Child<screen::CommandButton>(button));
      return test.desktop.messageBoxes.empty() && test.desktop.errors.empty();
    };
  }

  // A child acts on a copy of `original` and dies at row write `killAt`.
  // Returns the copy, and whether the child ran to the end instead.
  std::string ActInChild(const std::string& original, int killAt, const Action& action,
                         bool& finished) {
    const std::string source = CopyOf(original);
    const pid_t pid = fork();
    if (pid == 0) {
      killAtRowChange = killAt;
      sqlite3_auto_extension(reinterpret_cast<void (*)()>(WatchRowChanges));
      control->SetPathText(source);
      desktop.messageBoxes.clear();
      _exit(action(*this) ? 0 : 3);
    }
    int status = 0;
    EXPECT_EQ(waitpid(pid, &status, 0), pid);
    finished = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    EXPECT_TRUE(finished || (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL))
        << "the child failed at row write " << killAt;
    return source;
  }

  // Kills the action on the data of `original` at every row write in turn;
  // each time list `tag` and the working list must be as before or as after,
  // and a fresh control names the working list `oldLabel` or `newLabel`
  // accordingly. Returns the number of kills.
  int KillAtEveryRowWrite(const std::string& original, const Action& action, int tag,
                          const std::string& oldLabel, const std::string& newLabel) {
    const std::string first = CopyOf(original);
    const std::string before = ListState(first, tag);
    std::string after;
    std::vector<std::string> sources;
    bool finished = false;
    int killAt = 1;
    for (; !finished && killAt < 500; ++killAt) {
      const std::string source = ActInChild(original, killAt, action, finished);
      sources.push_back(source);
      const std::string state = ListState(source, tag);
      if (finished) after = state;
      NewControl();
      control->SetPathText(source);
      const std::string label = Caption("lblTJLNAME");
      if (state == before) {
        EXPECT_EQ(label, oldLabel) << "killed at row write " << killAt;
      } else {
        EXPECT_EQ(label, newLabel) << "killed at row write " << killAt;
        after = state;
      }
      NewControl();
    }
    EXPECT_TRUE(finished);
    EXPECT_NE(after, before);
    // Every kill left the old list or the list of the finished save.
    for (size_t n = 0; n < sources.size(); ++n) {
      const std::string state = ListState(sources[n], tag);
      EXPECT_TRUE(state == before || state == after)
          << "mixed list after a kill at " << n + 1 << ":\n"
          << state;
    }
    return killAt - 2;
  }
};

TEST_P(ListsKillTest, ASavedListKilledMidSaveIsTheOldOrTheNewList) {
  const std::string data = MakeFolder("data", {"--today", "2024-03-06"});
  // The working list of saved list 2 loses two rows and gains one of its own.
  Exec(data, "MAIN.MDB", "DELETE FROM TJLIST WHERE rowid IN (2, 4)");
  Exec(data, "MAIN.MDB", "INSERT INTO TJLIST (TJLTAG, CONO, JOBNO) VALUES (0, 1, '   AA000')");
  // Each kill point: a group row, six old items, five working rows and items
  // (fewer on the server, where one statement may change many rows).
  EXPECT_GE(
      KillAtEveryRowWrite(data, Save("Spring, revised"), 2, "Spring start-ups", "Spring, revised"),
      OnServer() ? 1 + 1 + 5 : 1 + 6 + 10);
}

TEST_P(ListsKillTest, ANewListKilledMidSaveIsNotSavedOrSavedWhole) {
  const std::string data = MakeFolder("data", {"--today", "2024-03-06"});
  Exec(data, "MAIN.MDB", "UPDATE TJLIST SET TJLTAG = 0");
  // The counter row's change, then the group row and six rows and items.
  EXPECT_GE(KillAtEveryRowWrite(data, Save("Night shift"), 3, "New List.", "Night shift"),
            OnServer() ? 1 + 1 + 6 : 1 + 1 + 12);
}

TEST_P(ListsKillTest, NewListAndRetrieveKilledMidWayKeepOrReplaceTheWholeWorkingList) {
  const std::string data = MakeFolder("data", {"--today", "2024-03-06"});
  // New List empties the six rows of the working list of saved list 2.
  EXPECT_GE(KillAtEveryRowWrite(data, Click("cmdNewList"), 2, "Spring start-ups", "New List."), 1);
  // Retrieve List puts the items of "Payroll check" (list 1) in their place.
  EXPECT_GE(
      KillAtEveryRowWrite(data, Click("cmdRetreiveList"), 1, "Spring start-ups", "Payroll check"),
      1);
}

RUN_ON_BOTH_ENGINES(ListsKillTest);

}  // namespace
