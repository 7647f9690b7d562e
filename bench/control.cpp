// Benchmark of the control's user actions, each driven through the toolkit as
// a user does it: the PathText Let (open the files, show the first page), the
// list keys Down (a one-row scroll), Page Down and End, an add-update cycle
// typed into the entry boxes, the company and job checks (the Tab that leaves
// the box; the company check also right after a search, when it opens the
// connection again), opening each search (company, job, period-ending date,
// saved list; closed with Esc) and Select in the job search (Enter, until the
// job is in its box). Folders of 1,000, 100,000 and 1,000,000 jobs with a working
// list of 10 rows, and 1,000,000 jobs with a list of 100,000 rows.
//
// Beside each runs the floor: the same rows read with plain SQLite, one
// prepared LIMIT 1 statement per row move or seek (every move must see the
// table as it is now), the same files opened. The summary prints the sizes
// side by side: no figure may grow with the table or the list.
//
// The data folders are made once by dorvane-data and kept under /tmp. The
// actions themselves are in bench/control_actions.h.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "bench/control_actions.h"

namespace {

struct Size {
  int64_t jobs;
  int64_t listRows;
  const char* label;
};
const Size kSizes[] = {{1000, 10, "1k jobs, list 10"},
                       {100000, 10, "100k jobs, list 10"},
                       {1000000, 10, "1M jobs, list 10"},
                       {1000000, 100000, "1M jobs, list 100k"}};

// The data folder of the run's size.
std::string FolderOf(const benchmark::State& state) {
  const Size& size = kSizes[state.range(0)];
  return bench::ActionFolder(size.jobs, size.listRows);
}

// Where the control runs: the folder of the run's size, or the same rows on
// the benchmark server.
bench::Place PlaceOf(const benchmark::State& state, bool onServer) {
  const Size& size = kSizes[state.range(0)];
  const std::string folder = FolderOf(state);
  return bench::PlaceOf(onServer ? bench::ActionDatabase(size.jobs, size.listRows) : folder, folder,
                        false);
}

// --- The floor: the same data work with plain SQLite ---

// MAIN.MDB over one connection with a cursor on each table the control reads.
struct PlainMain {
  bench::PlainDb db;
  bench::PlainCursor list, jobs, companies, groups;

  explicit PlainMain(const std::string& folder)
      : db(folder + "/MAIN.MDB"),
        list(db, "TJLIST", {"TJLTAG", "CONO", "JOBNO"}, {{"CONO"}, {"JOBNO", "NOCASE"}}, false),
        jobs(db, "JOBLIST", {"CONO", "JOBNO", "JOBNAME"}, {{"CONO"}, {"JOBNO", "NOCASE"}}, true),
        companies(db, "COLIST", {"CONO", "CONAME"}, {{"CONO"}}, true),
        groups(db, "TJLGROUPS", {"TJLTAG", "TJLNAME"}, {{"TJLTAG"}}, true) {}

  // The job name of the list row the list cursor stands on.
  void JobName() {
    jobs.SeekEqual({list.Value(1), list.Value(2)});
    benchmark::DoNotOptimize(jobs.Text(2));
  }
  // Up to four rows from `top` on, each with its job name.
  void DrawPage(int64_t top) {
    bool on = list.ByRowid(top);
    for (int row = 0; row < 4 && on; ++row) {
      JobName();
      on = list.Next();
    }
  }
  // The rowid `steps` rows after (before) `from`, stopping at the list's end.
  int64_t Step(int64_t from, int steps, bool forward) {
    list.ByRowid(from);
    int64_t reached = from;
    for (int i = 0; i < steps && (forward ? list.Next() : list.Previous()); ++i) {
      reached = list.Rowid();
    }
    return reached;
  }
};

int64_t FirstRow(PlainMain& plain) { return plain.list.First() ? plain.list.Rowid() : 0; }

// The settings row, the list's first and last rows, its tag's name and the
// first page; the connection stays open until the next Let, as the control's.
void SqlitePathText(benchmark::State& state) {
  const std::string folder = FolderOf(state);
  std::unique_ptr<PlainMain> plain;
  for (auto _ : state) {
    {
      bench::PlainDb settings(folder + "/QRLSYS.mdb");
      sqlite3_stmt* stmt = settings.Statement("SELECT JOBNOSIZE, JOBNOTYPE FROM SYSSETTINGS");
      sqlite3_step(stmt);
      benchmark::DoNotOptimize(sqlite3_column_int(stmt, 0));
      sqlite3_reset(stmt);
    }
    plain.reset();
    plain = std::make_unique<PlainMain>(folder);
    const int64_t first = FirstRow(*plain);
    plain->list.Last();
    plain->groups.SeekEqual({plain->list.Value(0)});
    plain->DrawPage(first);
  }
}

void SqliteDown(benchmark::State& state) {
  PlainMain plain(FolderOf(state));
  int64_t top = FirstRow(plain);
  int64_t current = plain.Step(top, 3, true);
  for (auto _ : state) {
    plain.list.ByRowid(current);
    if (!plain.list.Next()) {
      state.PauseTiming();
      top = FirstRow(plain);
      current = plain.Step(top, 3, true);
      state.ResumeTiming();
      continue;
    }
    current = plain.list.Rowid();
    plain.JobName();
    top = plain.Step(top, 1, true);
  }
}

void SqlitePageDown(benchmark::State& state) {
  PlainMain plain(FolderOf(state));
  int64_t top = FirstRow(plain);
  int64_t current = top;
  for (auto _ : state) {
    current = plain.Step(current, 3, true);
    top = plain.Step(top, 3, true);
    plain.DrawPage(top);
    if (!plain.list.Next()) {
      state.PauseTiming();
      top = current = FirstRow(plain);
      state.ResumeTiming();
    }
  }
}

void SqliteEnd(benchmark::State& state) {
  PlainMain plain(FolderOf(state));
  const int64_t last = plain.list.Last() ? plain.list.Rowid() : 0;
  for (auto _ : state) plain.DrawPage(last);
}

// The page's rows below the top (where the entry goes), the two checks, the
// new row, the list's ends, three rows above the new one and the page.
void SqliteAddUpdate(benchmark::State& state) {
  const std::string folder = FolderOf(state);
  const std::string jobNo = bench::FirstJobOfCompanyOne(folder);
  PlainMain plain(folder);
  bench::KeyValues job;
  job.Int(plain.db, 1).Text(plain.db, jobNo);
  const int64_t top = FirstRow(plain);
  sqlite3_stmt* insert =
      plain.db.Statement("INSERT INTO TJLIST (TJLTAG, CONO, JOBNO) VALUES (0, ?1, ?2)");
  sqlite3_stmt* remove = plain.db.Statement("DELETE FROM TJLIST WHERE rowid = ?1");
  for (auto _ : state) {
    plain.Step(top, 4, true);
    plain.companies.SeekEqual({job.Values()[0]});
    plain.jobs.SeekEqual(job.Values());
    sqlite3_bind_value(insert, 1, job.Values()[0]);
    sqlite3_bind_value(insert, 2, job.Values()[1]);
    sqlite3_step(insert);
    sqlite3_reset(insert);
    const int64_t added = sqlite3_last_insert_rowid(plain.db.Handle());
    FirstRow(plain);
    plain.list.Last();
    plain.DrawPage(plain.Step(added, 3, false));
    state.PauseTiming();
    sqlite3_bind_int64(remove, 1, added);
    sqlite3_step(remove);
    sqlite3_reset(remove);
    state.ResumeTiming();
  }
}

void SqliteCompanyCheck(benchmark::State& state) {
  PlainMain plain(FolderOf(state));
  bench::KeyValues company;
  company.Int(plain.db, 1);
  for (auto _ : state) benchmark::DoNotOptimize(plain.companies.SeekEqual(company.Values()));
}

void SqliteJobCheck(benchmark::State& state) {
  const std::string folder = FolderOf(state);
  PlainMain plain(folder);
  bench::KeyValues job;
  job.Int(plain.db, 1).Text(plain.db, bench::FirstJobOfCompanyOne(folder));
  for (auto _ : state) {
    plain.jobs.SeekEqual(job.Values());
    benchmark::DoNotOptimize(plain.jobs.Text(2));
  }
}

// The control's connection opened again after a focus loss: MAIN.MDB and the
// first row of each of its six tables. It stays open until the next reopen.
std::unique_ptr<bench::PlainDb> Reopen(const std::string& folder) {
  auto db = std::make_unique<bench::PlainDb>(folder + "/MAIN.MDB");
  for (const char* table : {"COLIST", "JOBLIST", "TJLIST", "TJLGROUPS", "TJLITEMS", "PELIST"}) {
    sqlite3_stmt* first =
        db->Statement(std::string("SELECT rowid, * FROM \"") + table + "\" ORDER BY rowid LIMIT 1");
    sqlite3_step(first);
    sqlite3_reset(first);
  }
  return db;
}

// The reopen, then the seek of the company.
void SqliteCheckAfterSearch(benchmark::State& state) {
  const std::string folder = FolderOf(state);
  std::unique_ptr<bench::PlainDb> control;
  for (auto _ : state) {
    control.reset();
    control = Reopen(folder);
    bench::PlainCursor companies(*control, "COLIST", {"CONO", "CONAME"}, {{"CONO"}}, true);
    bench::KeyValues company;
    company.Int(*control, 1);
    benchmark::DoNotOptimize(companies.SeekEqual(company.Values()));
  }
}

// A search's data work: open the file, find the range's first and last rows
// (a seek, or the table's ends), read the first page of twelve rows and the
// one after it, close. `start` moves the page's top before it is drawn. With
// `reopen`, the control's connection is opened again too: the dialog took the
// focus from the control the last time, and the check of the box left by the
// click (or the search routine itself) makes the reopen.
struct SearchFloor {
  const char* table;
  std::vector<std::string> columns;
  std::vector<bench::KeyColumn> keys;
  bool unique;
  int64_t company;  // the range's leading key, 0 for a search of the whole table
  void (*start)(bench::PlainDb&, bench::PlainCursor&);
  bool reopen;
};

void RunSearchFloor(benchmark::State& state, const SearchFloor& search) {
  const std::string folder = FolderOf(state);
  std::unique_ptr<bench::PlainDb> control;
  for (auto _ : state) {
    if (search.reopen) {
      control.reset();
      control = Reopen(folder);
    }
    bench::PlainDb db(folder + "/MAIN.MDB");
    bench::PlainCursor rows(db, search.table, search.columns, search.keys, search.unique);
    bench::KeyValues range, after;
    if (search.company != 0) {
      range.Int(db, search.company);
      after.Int(db, search.company + 1);
      rows.SeekEqual(range.Values());
      if (rows.SeekAtOrAfter(after.Values())) rows.Previous();
      rows.SeekEqual(range.Values());
    } else {
      rows.Last();
      rows.First();
    }
    if (search.start) search.start(db, rows);
    for (int row = 0; row <= 12 && rows.Next(); ++row) benchmark::DoNotOptimize(rows.Text(1));
  }
}

// The period-ending search starts before the first date within a week of
// today: 6 March 2024 finds none, 7 March none, 8 March (a Friday) its row.
void PeriodEndingStart(bench::PlainDb& db, bench::PlainCursor& rows) {
  for (const char* key : {"20240306", "20240307", "20240308"}) {
    bench::KeyValues date;
    date.Text(db, key);
    if (rows.SeekEqual(date.Values())) break;
  }
  rows.Previous();
}

void SqliteCompanySearch(benchmark::State& state) {
  RunSearchFloor(state, {"COLIST", {"CONO", "CONAME"}, {{"CONO"}}, true, 0, nullptr, true});
}
void SqliteJobSearch(benchmark::State& state) {
  RunSearchFloor(state, {"JOBLIST",
                         {"CONO", "JOBNO", "JOBNAME"},
                         {{"CONO"}, {"JOBNO", "NOCASE"}},
                         true,
                         1,
                         nullptr,
                         true});
}
void SqlitePESearch(benchmark::State& state) {
  RunSearchFloor(state,
                 {"PELIST", {"LDATE", "TDATE"}, {{"LDATE"}}, true, 0, PeriodEndingStart, true});
}
void SqliteListSearch(benchmark::State& state) {
  RunSearchFloor(
      state,
      {"TJLGROUPS", {"TJLTAG", "TJLNAME"}, {{"TJLNAME", "NOCASE"}}, false, 0, nullptr, false});
}

// The job search's own connection with the statements its walk prepares: the
// table's ends, a row by bookmark, the two moves and the range seeks.
struct DialogConnection {
  bench::PlainDb db;
  bench::PlainCursor jobs;
  explicit DialogConnection(const std::string& folder)
      : db(folder + "/MAIN.MDB"),
        jobs(db, "JOBLIST", {"CONO", "JOBNO", "JOBNAME"}, {{"CONO"}, {"JOBNO", "NOCASE"}}, true) {
    bench::KeyValues company;
    company.Int(db, 1);
    jobs.SeekAtOrAfter(company.Values());
    jobs.SeekEqual(company.Values());
  }
};

// The dialog's connection closed and the chosen job read by its bookmark,
// its job number and name taken.
void SqliteSelect(benchmark::State& state) {
  const std::string folder = FolderOf(state);
  PlainMain plain(folder);
  const int64_t job = plain.jobs.First() ? plain.jobs.Rowid() : 0;
  for (auto _ : state) {
    auto dialog = std::make_unique<DialogConnection>(folder);
    const double start = bench::ThreadSeconds();
    dialog.reset();
    plain.jobs.ByRowid(job);
    benchmark::DoNotOptimize(plain.jobs.Text(1) + plain.jobs.Text(2));
    state.SetIterationTime(bench::ThreadSeconds() - start);
  }
}

struct Action {
  const char* name;
  void (*control)(benchmark::State&, const bench::Place&);
  void (*plain)(benchmark::State&);
  bool manualTime;
  bool opensFiles;  // opens or closes database files: run three times, the median kept
};
const Action kActions[] = {
    {"PathText", bench::ControlPathText, SqlitePathText, false, true},
    {"Down", bench::ControlDown, SqliteDown, false, false},
    {"PageDown", bench::ControlPageDown, SqlitePageDown, false, false},
    {"End", bench::ControlEnd, SqliteEnd, false, false},
    {"AddUpdate", bench::ControlAddUpdate, SqliteAddUpdate, false, false},
    {"CompanyCheck", bench::ControlCompanyCheck, SqliteCompanyCheck, false, false},
    {"JobCheck", bench::ControlJobCheck, SqliteJobCheck, false, false},
    {"CheckAfterSearch", bench::ControlCheckAfterSearch, SqliteCheckAfterSearch, false, true},
    {"CompanySearch", bench::ControlCompanySearch, SqliteCompanySearch, false, true},
    {"JobSearch", bench::ControlJobSearch, SqliteJobSearch, false, true},
    {"PESearch", bench::ControlPESearch, SqlitePESearch, false, true},
    {"ListSearch", bench::ControlListSearch, SqliteListSearch, false, true},
    {"Select", bench::ControlSelect, SqliteSelect, true, true},
};

}  // namespace

int main(int argc, char** argv) {
  for (const Action& action : kActions) {
    for (int64_t size = 0; size < static_cast<int64_t>(std::size(kSizes)); ++size) {
      for (bool control : {true, false}) {
        const std::string name = std::string(control ? "Control" : "Sqlite") + action.name;
        auto* run = control ? benchmark::RegisterBenchmark(
                                  name.c_str(),
                                  [function = action.control](benchmark::State& state) {
                                    function(state, PlaceOf(state, false));
                                  })
                            : benchmark::RegisterBenchmark(name.c_str(), action.plain);
        run->Arg(size)->Unit(benchmark::kMicrosecond);
        if (action.manualTime) run->UseManualTime();
        if (action.opensFiles) bench::RepeatForMedian(run);
      }
      // The control on the server, in wall time (the server's work is not
      // this process's CPU time), with its round trips.
      if (bench::ServerBase().empty()) continue;
      auto* run = benchmark::RegisterBenchmark(
          ("Server" + std::string(action.name)).c_str(),
          [function = action.control](benchmark::State& state) {
            const bench::Place place = PlaceOf(state, true);
            bench::CountRoundTrips(state, [&] { function(state, place); });
          });
      run->Arg(size)->Unit(benchmark::kMicrosecond);
      if (action.manualTime) {
        run->UseManualTime();
      } else {
        run->UseRealTime();
      }
      if (action.opensFiles) bench::RepeatForMedian(run);
    }
  }
  benchmark::Initialize(&argc, argv);
  bench::CollectingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::vector<std::string> names;
  for (const Action& action : kActions) names.push_back(action.name);
  std::vector<std::pair<std::string, std::string>> sizes;
  for (size_t i = 0; i < std::size(kSizes); ++i)
    sizes.push_back({std::to_string(i), kSizes[i].label});
  bench::PrintSideBySide(reporter, "The control, through the toolkit", "Control", names, sizes);
  if (!bench::ServerBase().empty()) {
    bench::PrintServerBeside(reporter, "The same on PostgreSQL (" + bench::ServerBase() + ")",
                             "Control", "Server", names, sizes);
  }
  benchmark::Shutdown();
  return 0;
}
