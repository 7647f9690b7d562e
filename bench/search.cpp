// Benchmark of the search dialog, driven through the toolkit as a user drives
// it: the job search of company 1 in folders of 1,000, 100,000 and 1,000,000
// jobs (its range holds about a ninth of them). It times opening the search
// (load, the range's ends, the first page, close), one typed character (seek,
// range ends, page), Down at the bottom row (a one-row scroll), Page Down and
// End. Beside each runs the floor: the same rows read with plain SQLite, one
// prepared LIMIT 1 statement per row move or seek, because every move of the
// dialog must see the table as it is now. The summary prints the three sizes
// side by side: no figure may grow with the table or the range.
//
// The data folders are made once by dorvane-data and kept under /tmp.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "search/frmztSearch_impl.h"
#include "search/ztLOOKUP_search.h"
#include "search/ztSearchMod.h"
#include "services/screen/screen.h"
#include "services/ztBasicSet.h"

namespace {

constexpr int16_t kCompany = 1;
constexpr int64_t kSizes[] = {1000, 100000, 1000000};
constexpr int kPageRows = 12;

struct Setup {
  std::string folder;
  std::string server;  // the same data on the benchmark server ("" without one)
  std::string middle;  // the job number in the middle of the range
};

Setup& SetupFor(int64_t jobs) {
  static std::map<int64_t, Setup> setups;
  Setup& setup = setups[jobs];
  if (setup.folder.empty()) {
    setup.folder = bench::ActionFolder(jobs, 10);
    if (!bench::ServerBase().empty()) setup.server = bench::ActionDatabase(jobs, 10);
    bench::PlainDb db(setup.folder + "/MAIN.MDB");
    sqlite3_stmt* count = db.Statement("SELECT count(*) FROM JOBLIST WHERE CONO = ?1");
    sqlite3_bind_int(count, 1, kCompany);
    sqlite3_step(count);
    const int64_t size = sqlite3_column_int64(count, 0);
    sqlite3_stmt* middle = db.Statement(
        "SELECT JOBNO FROM JOBLIST WHERE CONO = ?1 ORDER BY JOBNO COLLATE NOCASE LIMIT 1 "
        "OFFSET ?2");
    sqlite3_bind_int(middle, 1, kCompany);
    sqlite3_bind_int64(middle, 2, size / 2);
    if (sqlite3_step(middle) == SQLITE_ROW) {
      setup.middle = reinterpret_cast<const char*>(sqlite3_column_text(middle, 0));
    }
  }
  return setup;
}

// --- The dialog ---

screen::HeadlessDesktop& Desktop() {
  static screen::HeadlessDesktop desktop;
  return desktop;
}

frmztSearch::Impl& Dialog() { return frmztSearch::Impl::Of(ztSearchMod::SearchDialog()); }

// Opens the job search of the company and runs `during` while it is open.
void WithDialog(const std::string& folder, const std::function<void()>& during) {
  Desktop().QueueModalAction(during);
  ztLOOKUP::SearchJobNumbers(folder, kCompany);
}

void Press(int16_t keyCode) { screen::PressKey(keyCode, 0); }

// Types text (capitals, digits and blanks) into the open dialog.
void TypeText(const std::string& text) {
  for (char ch : text) {
    const auto key = screen::KeyOfCharacter(ch);
    if (key) screen::PressKey(key->keyCode, key->shift);
  }
}

// Puts the selection on the middle job, shown in grid row 0.
void GoToMiddle(const Setup& setup) { TypeText(setup.middle); }

void DialogOpen(benchmark::State& state, const std::string& source) {
  for (auto _ : state) benchmark::DoNotOptimize(ztLOOKUP::SearchJobNumbers(source, kCompany));
}

// One character typed after seven; the Backspace that restores the text is
// not timed.
void DialogType(benchmark::State& state, const std::string& source) {
  const Setup& setup = SetupFor(state.range(0));
  WithDialog(source, [&] {
    GoToMiddle(setup);
    Press(screen::kKeyBack);
    for (auto _ : state) {
      TypeText(setup.middle.substr(7));
      bench::Pause(state);
      Press(screen::kKeyBack);
      bench::Resume(state);
    }
  });
}

// Down from the bottom grid row: the page scrolls by one row. At the end of
// the range the selection goes back to the middle, untimed.
void DialogDown(benchmark::State& state, const std::string& source) {
  const Setup& setup = SetupFor(state.range(0));
  auto toBottomRow = [&] {
    GoToMiddle(setup);
    for (int i = 1; i < kPageRows; ++i) Press(screen::kKeyDown);
  };
  WithDialog(source, [&] {
    toBottomRow();
    for (auto _ : state) {
      Press(screen::kKeyDown);
      if (ztBasicSet::IsBlank(Dialog().State().CurrentBookmark)) {
        bench::Pause(state);
        for (size_t i = 0; i < setup.middle.size(); ++i) Press(screen::kKeyBack);
        toBottomRow();
        bench::Resume(state);
      }
    }
  });
}

// Page Down from the middle; the Page Up that returns is not timed.
void DialogPageDown(benchmark::State& state, const std::string& source) {
  const Setup& setup = SetupFor(state.range(0));
  WithDialog(source, [&] {
    GoToMiddle(setup);
    for (int i = 0; i < 4; ++i) Press(screen::kKeyDown);
    for (auto _ : state) {
      Press(screen::kKeyPageDown);
      bench::Pause(state);
      Press(screen::kKeyPageUp);
      bench::Resume(state);
    }
  });
}

void DialogEnd(benchmark::State& state, const std::string& source) {
  WithDialog(source, [&] {
    for (auto _ : state) Press(screen::kKeyEnd);
  });
}

// --- The floor: the same reads with plain SQLite ---

// The job search's table and range over one connection: JOBLIST in the order
// of its unique index (CONO, JOBNO), the range being company kCompany.
struct PlainSearch {
  bench::PlainDb db;
  bench::PlainCursor jobs;
  bench::KeyValues company, afterCompany;

  explicit PlainSearch(const std::string& folder)
      : db(folder + "/MAIN.MDB"),
        jobs(db, "JOBLIST", {"CONO", "JOBNO", "JOBNAME"}, {{"CONO"}, {"JOBNO", "NOCASE"}}, true) {
    company.Int(db, kCompany);
    afterCompany.Int(db, kCompany + 1);
  }
  bool InRange() const { return sqlite3_value_int(jobs.Value(0)) == kCompany; }
  // The range's first row (a seek) and last row (a seek past it, one step back).
  int64_t First() { return jobs.SeekEqual(company.Values()) ? jobs.Rowid() : 0; }
  int64_t Last() {
    if (jobs.SeekAtOrAfter(afterCompany.Values())) {
      jobs.Previous();
    } else {
      jobs.Last();
    }
    return jobs.Rowid();
  }
  // Steps over up to `rows` rows of the range from the row of `rowid`, reading
  // each; returns the rowid of the last row of the range reached.
  int64_t Walk(int64_t rowid, int rows, bool forward) {
    int64_t reached = rowid;
    if (!jobs.ByRowid(rowid)) return reached;
    for (int i = 0; i < rows && InRange(); ++i) {
      reached = jobs.Rowid();
      benchmark::DoNotOptimize(jobs.Text(2));
      if (!(forward ? jobs.Next() : jobs.Previous())) break;
    }
    return reached;
  }
  // The page: twelve rows from the top, and the row after them.
  void Page(int64_t top) { Walk(top, kPageRows, true); }
};

void SqliteOpen(benchmark::State& state) {
  const Setup& setup = SetupFor(state.range(0));
  for (auto _ : state) {
    PlainSearch plain(setup.folder);
    const int64_t first = plain.First();
    plain.Last();
    plain.Page(first);
  }
}

void SqliteType(benchmark::State& state) {
  const Setup& setup = SetupFor(state.range(0));
  PlainSearch plain(setup.folder);
  bench::KeyValues typed;
  typed.Int(plain.db, kCompany).Text(plain.db, setup.middle);
  for (auto _ : state) {
    plain.jobs.SeekAtOrAfter(typed.Values());
    const int64_t selected = plain.jobs.Rowid();
    plain.First();
    plain.Last();
    plain.Walk(selected, 1, false);  // the selection's row, one step back
    plain.Page(selected);
  }
}

void SqliteDown(benchmark::State& state) {
  const Setup& setup = SetupFor(state.range(0));
  PlainSearch plain(setup.folder);
  bench::KeyValues middle;
  middle.Int(plain.db, kCompany).Text(plain.db, setup.middle);
  plain.jobs.SeekEqual(middle.Values());
  int64_t top = plain.jobs.Rowid();
  int64_t selected = plain.Walk(top, kPageRows, true);
  for (auto _ : state) {
    plain.jobs.ByRowid(selected);
    if (!plain.jobs.Next() || !plain.InRange()) {
      state.PauseTiming();  // back to the middle, untimed as in the dialog's run
      plain.jobs.SeekEqual(middle.Values());
      top = plain.jobs.Rowid();
      selected = plain.Walk(top, kPageRows, true);
      state.ResumeTiming();
      continue;
    }
    selected = plain.jobs.Rowid();
    plain.jobs.ByRowid(top);
    plain.jobs.Next();
    top = plain.jobs.Rowid();
  }
}

void SqlitePageDown(benchmark::State& state) {
  const Setup& setup = SetupFor(state.range(0));
  PlainSearch plain(setup.folder);
  bench::KeyValues middle;
  middle.Int(plain.db, kCompany).Text(plain.db, setup.middle);
  plain.jobs.SeekEqual(middle.Values());
  const int64_t top = plain.jobs.Rowid();
  const int64_t selected = plain.Walk(top, 5, true);
  for (auto _ : state) {
    plain.Walk(selected, kPageRows, true);
    const int64_t newTop = plain.Walk(top, kPageRows, true);
    plain.Page(newTop);
  }
}

void SqliteEnd(benchmark::State& state) {
  const Setup& setup = SetupFor(state.range(0));
  PlainSearch plain(setup.folder);
  const int64_t last = plain.Last();
  for (auto _ : state) plain.Page(last);
}

const char* const kActions[] = {"Open", "Type", "Down", "PageDown", "End"};

}  // namespace

int main(int argc, char** argv) {
  screen::SetDesktop(&Desktop());
  using Dialog = void (*)(benchmark::State&, const std::string&);
  const std::map<std::string, std::pair<Dialog, void (*)(benchmark::State&)>> actions = {
      {"Open", {DialogOpen, SqliteOpen}},
      {"Type", {DialogType, SqliteType}},
      {"Down", {DialogDown, SqliteDown}},
      {"PageDown", {DialogPageDown, SqlitePageDown}},
      {"End", {DialogEnd, SqliteEnd}}};
  for (const char* action : kActions) {
    const auto& pair = actions.at(action);
    const Dialog dialog = pair.first;
    for (int64_t size : kSizes) {
      std::vector<benchmark::internal::Benchmark*> runs = {
          benchmark::RegisterBenchmark(("Dialog" + std::string(action)).c_str(),
                                       [dialog](benchmark::State& state) {
                                         dialog(state, SetupFor(state.range(0)).folder);
                                       }),
          benchmark::RegisterBenchmark(("Sqlite" + std::string(action)).c_str(), pair.second)};
      // On the server the time is the wall time: the server's work is not
      // this process's CPU time.
      if (!bench::ServerBase().empty()) {
        runs.push_back(benchmark::RegisterBenchmark(
            ("Server" + std::string(action)).c_str(), [dialog](benchmark::State& state) {
              bench::CountRoundTrips(state,
                                     [&] { dialog(state, SetupFor(state.range(0)).server); });
            }));
        runs.back()->UseRealTime();
      }
      for (auto* run : runs) {
        run->Arg(size)->Unit(benchmark::kMicrosecond);
        if (std::string(action) == "Open") bench::RepeatForMedian(run);
      }
    }
  }
  benchmark::Initialize(&argc, argv);
  bench::CollectingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::vector<std::pair<std::string, std::string>> sizes;
  for (int64_t size : kSizes) {
    sizes.push_back({std::to_string(size), std::to_string(size) + " jobs"});
  }
  bench::PrintSideBySide(
      reporter, "Search dialog, job search of company 1 (about a ninth of the jobs)", "Dialog",
      std::vector<std::string>(std::begin(kActions), std::end(kActions)), sizes);
  if (!bench::ServerBase().empty()) {
    bench::PrintServerBeside(
        reporter, "The same on PostgreSQL (" + bench::ServerBase() + ")", "Dialog", "Server",
        std::vector<std::string>(std::begin(kActions), std::end(kActions)), sizes);
  }
  // A message box means an action did not do what it was timed for.
  for (const auto& box : Desktop().messageBoxes) {
    std::fprintf(stderr, "message box during the runs: %s\n", box.prompt.c_str());
  }
  benchmark::Shutdown();
  screen::SetDesktop(nullptr);
  return 0;
}
