// The soak's second process (see soak_writer.h). It writes only through plain
// SQL on connections of its own, as another program on the same files would.
#include "soak/soak_writer.h"

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <thread>

#include "support/sql_file.h"

namespace soak {
namespace {

using testsupport::SqlFile;

// Changes another program might make, on MAIN.MDB unless named: valid ones
// that keep every value of its declared type, and writes of a value of
// another type, which the layout's CHECKs refuse (the store's tests pin each
// rule), so that refused writes race the control's own.
const std::pair<const char*, const char*> kChanges[] = {
    {"MAIN.MDB",
     "INSERT INTO TJLIST (TJLTAG, CONO, JOBNO) SELECT coalesce((SELECT TJLTAG FROM TJLIST "
     "LIMIT 1), 0), CONO, JOBNO FROM JOBLIST ORDER BY random() LIMIT 1"},
    {"MAIN.MDB",
     "DELETE FROM TJLIST WHERE rowid = (SELECT rowid FROM TJLIST ORDER BY random() LIMIT 1)"},
    {"MAIN.MDB",
     "UPDATE COLIST SET CONAME = 'Renamed ' || abs(random() % 1000) WHERE rowid = "
     "(SELECT rowid FROM COLIST ORDER BY random() LIMIT 1)"},
    // A list saved as the control saves one: items, group and counter together.
    {"MAIN.MDB",
     "BEGIN IMMEDIATE; INSERT INTO TJLITEMS (TJLTAG, CONO, JOBNO) SELECT (SELECT TJLTAG FROM "
     "SYSTAGS), CONO, JOBNO FROM JOBLIST WHERE EXISTS (SELECT 1 FROM SYSTAGS) ORDER BY random() "
     "LIMIT 3; INSERT INTO TJLGROUPS (TJLTAG, TJLNAME) SELECT TJLTAG, 'Other program ' || TJLTAG "
     "FROM SYSTAGS; UPDATE SYSTAGS SET TJLTAG = TJLTAG + 1; COMMIT"},
    // A saved list deleted with its items.
    {"MAIN.MDB",
     "BEGIN IMMEDIATE; CREATE TEMP TABLE IF NOT EXISTS gone (TJLTAG); DELETE FROM gone; INSERT "
     "INTO gone SELECT TJLTAG FROM TJLGROUPS ORDER BY random() LIMIT 1; DELETE FROM TJLITEMS "
     "WHERE TJLTAG IN gone; DELETE FROM TJLGROUPS WHERE TJLTAG IN gone; COMMIT"},
    {"MAIN.MDB", "UPDATE TJLIST SET TJLTAG = 'x' WHERE rowid = (SELECT max(rowid) FROM TJLIST)"},
    {"MAIN.MDB", "UPDATE PELIST SET PETAG = 70000 WHERE rowid = (SELECT max(rowid) FROM PELIST)"},
    {"QRLSYS.mdb", "UPDATE SYSSETTINGS SET JOBNOSIZE = 'abc'"},
};

// True for the failures another program must expect: a lock held by the
// control, or a value the files refuse to store.
bool Expected(const std::string& message) {
  for (const char* text :
       {"locked", "busy", "constraint", "CHECK", "datatype mismatch", "cannot store"}) {
    if (message.find(text) != std::string::npos) return true;
  }
  return false;
}

// Changes made and changes refused by a lock or the files' types.
int applied = 0, refused = 0;

// Runs one change on a file of the folder; returns an unexpected failure.
std::string Apply(const std::string& folder, const std::string& file, const std::string& sql) {
  try {
    SqlFile db(folder + "/" + file);
    try {
      db.Exec(sql);
      ++applied;
    } catch (const std::runtime_error&) {
      if (!sqlite3_get_autocommit(db.Handle())) db.Exec("ROLLBACK");
      throw;
    }
  } catch (const std::runtime_error& e) {
    if (!Expected(e.what())) return e.what();
    ++refused;
  }
  return {};
}

// The writer's loop: changes every few milliseconds until the stop file is
// made (or the soak is gone). Returns its exit status.
int WriterLoop(const std::string& folder, uint64_t seed, pid_t soak) {
  std::mt19937_64 random(seed);
  while (!std::filesystem::exists(folder + ".stop") && getppid() == soak) {
    const auto& [file, sql] = kChanges[random() % std::size(kChanges)];
    if (std::string failure = Apply(folder, file, sql); !failure.empty()) {
      std::fprintf(stderr, "writer: %s\n", failure.c_str());
      return 1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5 + random() % 40));
  }
  std::printf("soak writer: %d changes made, %d refused\n", applied, refused);
  std::fflush(stdout);
  return 0;
}

}  // namespace

pid_t StartWriter(const std::string& folder, uint64_t seed) {
  const pid_t soak = getpid(), pid = fork();
  if (pid < 0) throw std::runtime_error("soak: cannot start the writer");
  if (pid == 0) _exit(WriterLoop(folder, seed, soak));
  return pid;
}

std::string StopWriter(const std::string& folder, pid_t writer) {
  std::ofstream(folder + ".stop").put('\n');
  int status = 0;
  waitpid(writer, &status, 0);
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return {};
  return "the writer failed (status " + std::to_string(status) + "; its message is above)";
}

}  // namespace soak
