// Benchmark of the search dialog on a million-job MAIN.MDB: the job search of
// one company whose range holds 1,000 jobs, and of one holding 200,000 jobs
// (each in a folder of its own with a million jobs in all). It times opening
// the search (load, range ends, first page, close), one typed character
// (seek, range ends, page), Down (a one-row scroll), Page Down and End, each
// beside the same data work done with prepared SQLite statements, and prints
// both sizes side by side: the dialog's cost must not grow with the range.
//
// The folders are made once by dorvane-data and kept under /tmp.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "search/frmztSearch.h"
#include "search/ztSearchMod.h"
#include "services/screen/screen.h"
#include "services/ztLOOKUP.h"

namespace {

namespace fs = std::filesystem;

constexpr int16_t kCompany = 7;
constexpr int kSizes[] = {1000, 200000};

// dorvane-data of this build or of a sibling build folder; empty when none.
fs::path DataTool() {
  fs::path own = fs::path(DORVANE_BIN_DIR) / "dorvane-data";
  if (fs::exists(own)) return own;
  std::error_code ec;
  const fs::path root = fs::path(DORVANE_BIN_DIR).parent_path().parent_path();
  for (const auto& entry : fs::directory_iterator(root, ec)) {
    const fs::path tool = entry.path() / "bin" / "dorvane-data";
    if (entry.path().filename().string().starts_with("build") && fs::exists(tool)) return tool;
  }
  return {};
}

// The folder whose company 7 holds rangeSize of a million jobs; "" when it
// cannot be made.
std::string DataFolder(int rangeSize) {
  const fs::path folder =
      fs::temp_directory_path() / ("dorvane-bench-search-" + std::to_string(rangeSize));
  if (fs::exists(folder / "MAIN.MDB")) return folder.string();
  const fs::path tool = DataTool();
  if (tool.empty()) return "";
  const std::string command = tool.string() + " init " + folder.string() +
                              " --companies 99 --jobs 1000000 --big-company " +
                              std::to_string(kCompany) + ":" + std::to_string(rangeSize) +
                              " --today 2024-03-06 --force > /dev/null";
  if (std::system(command.c_str()) != 0 || !fs::exists(folder / "MAIN.MDB")) return "";
  return folder.string();
}

// --- Plain SQLite: the same reads the dialog makes ---

const char* const kColumns = "SELECT rowid, CONO, JOBNO, JOBNAME FROM JOBLIST ";

struct PlainRow {
  int64_t rowid = 0;
  int cono = 0;
  std::string jobno, jobname;
};

// Prepared statements of one connection over the company's range, in the
// index order of JOBLIST.JOBLIST.
class PlainJobs {
 public:
  explicit PlainJobs(const std::string& folder) {
    sqlite3_open_v2((folder + "/MAIN.MDB").c_str(), &db_, SQLITE_OPEN_READONLY, nullptr);
    first_ = Prepare("WHERE CONO = ?1 ORDER BY JOBNO COLLATE NOCASE LIMIT ?3");
    last_ = Prepare("WHERE CONO = ?1 ORDER BY JOBNO COLLATE NOCASE DESC LIMIT ?3");
    from_ = Prepare(
        "WHERE CONO = ?1 AND JOBNO >= ?2 COLLATE NOCASE ORDER BY JOBNO COLLATE NOCASE LIMIT ?3");
    after_ = Prepare(
        "WHERE CONO = ?1 AND JOBNO > ?2 COLLATE NOCASE ORDER BY JOBNO COLLATE NOCASE LIMIT ?3");
    back_ = Prepare(
        "WHERE CONO = ?1 AND JOBNO <= ?2 COLLATE NOCASE ORDER BY JOBNO COLLATE NOCASE DESC "
        "LIMIT ?3");
  }
  ~PlainJobs() {
    for (sqlite3_stmt* s : {first_, last_, from_, after_, back_}) sqlite3_finalize(s);
    sqlite3_close(db_);
  }
  PlainJobs(const PlainJobs&) = delete;
  PlainJobs& operator=(const PlainJobs&) = delete;

  // Up to `limit` rows of the company from a statement, copied out; returns
  // the last row read.
  PlainRow Rows(sqlite3_stmt* stmt, const std::string& jobno, int limit) {
    sqlite3_bind_int(stmt, 1, kCompany);
    sqlite3_bind_text(stmt, 2, jobno.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int(stmt, 3, limit);
    PlainRow row;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      row.rowid = sqlite3_column_int64(stmt, 0);
      row.cono = sqlite3_column_int(stmt, 1);
      row.jobno.assign(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 2)));
      row.jobname.assign(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 3)));
    }
    sqlite3_reset(stmt);
    return row;
  }
  PlainRow First(int limit = 1) { return Rows(first_, "", limit); }
  PlainRow Last(int limit = 1) { return Rows(last_, "", limit); }
  PlainRow From(const std::string& jobno, int limit) { return Rows(from_, jobno, limit); }
  PlainRow After(const std::string& jobno, int limit) { return Rows(after_, jobno, limit); }
  PlainRow Back(const std::string& jobno, int limit) { return Rows(back_, jobno, limit); }

 private:
  sqlite3_stmt* Prepare(const std::string& where) {
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db_, (kColumns + where).c_str(), -1, &stmt, nullptr);
    return stmt;
  }
  sqlite3* db_ = nullptr;
  sqlite3_stmt* first_ = nullptr;
  sqlite3_stmt* last_ = nullptr;
  sqlite3_stmt* from_ = nullptr;
  sqlite3_stmt* after_ = nullptr;
  sqlite3_stmt* back_ = nullptr;
};

// The job number in the middle of the company's range.
std::string MiddleJob(const std::string& folder, int rangeSize) {
  PlainJobs jobs(folder);
  return jobs.First(rangeSize / 2 + 1).jobno;
}

// --- The dialog, driven through the toolkit as a user drives it ---

screen::HeadlessDesktop& Desktop() {
  static screen::HeadlessDesktop desktop;
  return desktop;
}

// Opens the job search of the company and runs `during` while it is open.
void WithDialog(const std::string& folder, const std::function<void()>& during) {
  Desktop().QueueModalAction(during);
  ztLOOKUP::SearchJobNumbers(folder, kCompany);
}

void Press(int16_t keyCode) { screen::PressKey(keyCode, 0); }

// Types text into the open dialog (its characters are capitals, digits and
// blanks, which type as themselves with Shift where needed).
void TypeText(const std::string& text) {
  for (char ch : text) {
    const auto key = screen::KeyOfCharacter(ch);
    if (key) screen::PressKey(key->keyCode, key->shift);
  }
}

// Puts the selection on the middle job, shown in grid row 0.
void GoToMiddle(const std::string& middle) { TypeText(middle); }

struct Setup {
  std::string folder;
  std::string middle;
};

Setup& SetupFor(int rangeSize) {
  static std::map<int, Setup> setups;
  Setup& setup = setups[rangeSize];
  if (setup.folder.empty()) {
    setup.folder = DataFolder(rangeSize);
    if (!setup.folder.empty()) setup.middle = MiddleJob(setup.folder, rangeSize);
  }
  return setup;
}

bool Ready(benchmark::State& state, const Setup& setup) {
  if (!setup.folder.empty()) return true;
  state.SkipWithError("dorvane-data is not built: no data folder");
  return false;
}

void DialogOpen(benchmark::State& state, int rangeSize) {
  const Setup& setup = SetupFor(rangeSize);
  if (!Ready(state, setup)) return;
  for (auto _ : state) benchmark::DoNotOptimize(ztLOOKUP::SearchJobNumbers(setup.folder, kCompany));
}

void SqliteOpen(benchmark::State& state, int rangeSize) {
  const Setup& setup = SetupFor(rangeSize);
  if (!Ready(state, setup)) return;
  for (auto _ : state) {
    PlainJobs jobs(setup.folder);
    const PlainRow first = jobs.First();
    jobs.Last();
    benchmark::DoNotOptimize(jobs.From(first.jobno, 13));
  }
}

// The row count that the record store makes once on each new connection (the
// dialog opens one per search): it grows with the table, not with the range.
void SqliteCount(benchmark::State& state, int rangeSize) {
  const Setup& setup = SetupFor(rangeSize);
  if (!Ready(state, setup)) return;
  for (auto _ : state) {
    sqlite3* db = nullptr;
    sqlite3_open_v2((setup.folder + "/MAIN.MDB").c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* count = nullptr;
    sqlite3_prepare_v2(db, "SELECT count(*) FROM JOBLIST", -1, &count, nullptr);
    sqlite3_step(count);
    benchmark::DoNotOptimize(sqlite3_column_int64(count, 0));
    sqlite3_finalize(count);
    sqlite3_close(db);
  }
}

// One character typed after seven: a seek, the range's ends and the page. The
// Backspace that restores the text is not timed.
void DialogType(benchmark::State& state, int rangeSize) {
  const Setup& setup = SetupFor(rangeSize);
  if (!Ready(state, setup)) return;
  WithDialog(setup.folder, [&] {
    GoToMiddle(setup.middle);
    Press(screen::kKeyBack);
    for (auto _ : state) {
      TypeText(setup.middle.substr(7));
      state.PauseTiming();
      Press(screen::kKeyBack);
      state.ResumeTiming();
    }
  });
}

void SqliteType(benchmark::State& state, int rangeSize) {
  const Setup& setup = SetupFor(rangeSize);
  if (!Ready(state, setup)) return;
  PlainJobs jobs(setup.folder);
  for (auto _ : state) {
    const PlainRow found = jobs.From(setup.middle, 1);
    jobs.First();
    jobs.Last();
    benchmark::DoNotOptimize(jobs.From(found.jobno, 13));
  }
}

// Down from the bottom grid row: the page scrolls by one row.
void DialogDown(benchmark::State& state, int rangeSize) {
  const Setup& setup = SetupFor(rangeSize);
  if (!Ready(state, setup)) return;
  WithDialog(setup.folder, [&] {
    GoToMiddle(setup.middle);
    for (int i = 0; i < 11; ++i) Press(screen::kKeyDown);
    for (auto _ : state) Press(screen::kKeyDown);
  });
}

void SqliteDown(benchmark::State& state, int rangeSize) {
  const Setup& setup = SetupFor(rangeSize);
  if (!Ready(state, setup)) return;
  PlainJobs jobs(setup.folder);
  std::string selected = setup.middle;
  std::string top = jobs.Back(setup.middle, 12).jobno;
  for (auto _ : state) {
    selected = jobs.After(selected, 1).jobno;
    top = jobs.After(top, 1).jobno;
  }
}

// Page Down from the middle; the Page Up that returns is not timed.
void DialogPageDown(benchmark::State& state, int rangeSize) {
  const Setup& setup = SetupFor(rangeSize);
  if (!Ready(state, setup)) return;
  WithDialog(setup.folder, [&] {
    GoToMiddle(setup.middle);
    for (int i = 0; i < 4; ++i) Press(screen::kKeyDown);
    for (auto _ : state) {
      Press(screen::kKeyPageDown);
      state.PauseTiming();
      Press(screen::kKeyPageUp);
      state.ResumeTiming();
    }
  });
}

void SqlitePageDown(benchmark::State& state, int rangeSize) {
  const Setup& setup = SetupFor(rangeSize);
  if (!Ready(state, setup)) return;
  PlainJobs jobs(setup.folder);
  const std::string top = setup.middle;
  const std::string selected = jobs.From(top, 5).jobno;
  for (auto _ : state) {
    const PlainRow newSelected = jobs.From(selected, 12);
    const PlainRow newTop = jobs.From(top, 12);
    jobs.From(newTop.jobno, 12);
    benchmark::DoNotOptimize(jobs.From(newTop.jobno, 13));
    benchmark::DoNotOptimize(newSelected);
  }
}

void DialogEnd(benchmark::State& state, int rangeSize) {
  const Setup& setup = SetupFor(rangeSize);
  if (!Ready(state, setup)) return;
  WithDialog(setup.folder, [&] {
    for (auto _ : state) Press(screen::kKeyEnd);
  });
}

void SqliteEnd(benchmark::State& state, int rangeSize) {
  const Setup& setup = SetupFor(rangeSize);
  if (!Ready(state, setup)) return;
  PlainJobs jobs(setup.folder);
  const std::string last = jobs.Last().jobno;
  for (auto _ : state) benchmark::DoNotOptimize(jobs.From(last, 13));
}

// Collects the CPU time per iteration of every run by name.
class CollectingReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      std::string name = run.benchmark_name();
      const size_t fixed = name.find("/iterations:");
      if (fixed != std::string::npos) name.erase(fixed);
      if (run.iterations > 0) microseconds[name] = run.GetAdjustedCPUTime();
    }
  }
  std::map<std::string, double> microseconds;
};

struct Operation {
  const char* name;
  void (*dialog)(benchmark::State&, int);
  void (*plain)(benchmark::State&, int);
  int64_t iterations;  // 0: let the library choose
};

const Operation kOperations[] = {
    {"Open", DialogOpen, SqliteOpen, 0},   {"Type", DialogType, SqliteType, 0},
    {"Down", DialogDown, SqliteDown, 300}, {"PageDown", DialogPageDown, SqlitePageDown, 0},
    {"End", DialogEnd, SqliteEnd, 0},
};

}  // namespace

int main(int argc, char** argv) {
  screen::SetDesktop(&Desktop());
  for (const Operation& op : kOperations) {
    for (int size : kSizes) {
      for (bool dialog : {true, false}) {
        const std::string name =
            std::string(dialog ? "Dialog" : "Sqlite") + op.name + "/" + std::to_string(size);
        auto* bm = benchmark::RegisterBenchmark(name.c_str(), dialog ? op.dialog : op.plain, size)
                       ->Unit(benchmark::kMicrosecond);
        if (op.iterations > 0) bm->Iterations(op.iterations);
      }
    }
  }
  for (int size : kSizes) {
    benchmark::RegisterBenchmark(("SqliteCount/" + std::to_string(size)).c_str(), SqliteCount, size)
        ->Unit(benchmark::kMicrosecond);
  }
  benchmark::Initialize(&argc, argv);
  CollectingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  std::printf(
      "\nCPU microseconds per operation on 1,000,000 jobs, by the size of the searched range\n"
      "(ratio = dialog / SQLite; growth = dialog at 200,000 / dialog at 1,000)\n");
  std::printf("%-9s %10s %10s %6s %12s %12s %6s %7s\n", "operation", "dialog 1k", "sqlite 1k",
              "ratio", "dialog 200k", "sqlite 200k", "ratio", "growth");
  auto time = [&](const std::string& name) {
    auto found = reporter.microseconds.find(name);
    return found == reporter.microseconds.end() ? 0.0 : found->second;
  };
  for (const Operation& op : kOperations) {
    const double dialog1 = time(std::string("Dialog") + op.name + "/1000");
    const double plain1 = time(std::string("Sqlite") + op.name + "/1000");
    const double dialogK = time(std::string("Dialog") + op.name + "/200000");
    const double plainK = time(std::string("Sqlite") + op.name + "/200000");
    if (dialog1 == 0 || plain1 == 0 || dialogK == 0 || plainK == 0) continue;
    std::printf("%-9s %10.1f %10.1f %6.1f %12.1f %12.1f %6.1f %7.2f\n", op.name, dialog1, plain1,
                dialog1 / plain1, dialogK, plainK, dialogK / plainK, dialogK / dialog1);
  }
  const double count = time("SqliteCount/200000");
  if (count > 0) {
    std::printf(
        "Open includes the record store's one row count on its new connection; a count of the\n"
        "million jobs on a fresh SQLite connection alone takes %.1f microseconds.\n",
        count);
  }
  benchmark::Shutdown();
  screen::SetDesktop(nullptr);
  return 0;
}
