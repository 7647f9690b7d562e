// Benchmark of the target job list page on working lists (TJLIST) of 10 and
// 100,000 rows, with the same 120,000 jobs in JOBLIST: showing the list afresh
// (the PathText Let), the End, Down and Page Down keys, and an add-update
// cycle typed into the entry boxes. Each is driven through the toolkit as a
// user would, and beside it runs the same data work done with plain SQLite
// statements (the rows read, the job names looked up, the row written). After
// the runs it prints the figures at both sizes side by side: a key must cost
// the same on both lists.
//
// The data folders are made once with dorvane-data and kept under /tmp.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "control/ztDorvane.h"
#include "services/screen/screen.h"

namespace {

namespace fs = std::filesystem;

// dorvane-data from this build or a sibling build folder; empty when none.
fs::path DataTool() {
  fs::path own = fs::path(DORVANE_BIN_DIR) / "dorvane-data";
  if (fs::exists(own)) return own;
  std::error_code ec;
  fs::path root = fs::path(DORVANE_BIN_DIR).parent_path().parent_path();
  for (const auto& entry : fs::directory_iterator(root, ec)) {
    fs::path tool = entry.path() / "bin" / "dorvane-data";
    if (entry.path().filename().string().starts_with("build") && fs::exists(tool)) return tool;
  }
  return {};
}

// The folder whose working list has `rows` rows, made on first use.
std::string DataFolder(int rows) {
  fs::path folder = fs::temp_directory_path() / ("dorvane-bench-list-" + std::to_string(rows));
  if (fs::exists(folder / "MAIN.MDB") && fs::exists(folder / "QRLSYS.mdb")) return folder.string();
  fs::path tool = DataTool();
  if (tool.empty()) {
    std::fprintf(stderr, "dorvane-data is not built: build it first\n");
    std::exit(1);
  }
  std::string command = tool.string() + " init " + folder.string() + " --jobs 120000 --list " +
                        std::to_string(rows) + " --force > /dev/null";
  if (std::system(command.c_str()) != 0) {
    std::fprintf(stderr, "dorvane-data failed: %s\n", command.c_str());
    std::exit(1);
  }
  return folder.string();
}

// --- The control side ---

// One control placed on a headless screen with the focus, showing a list.
struct ControlBench {
  screen::HeadlessDesktop desktop;
  std::unique_ptr<ztDorvane> control;
  std::string folder;

  explicit ControlBench(int rows) : folder(DataFolder(rows)) {
    screen::ResetScreen();
    screen::SetDesktop(&desktop);
    control = std::make_unique<ztDorvane>();
    screen::PlaceUserControl(control.get());
    screen::FocusUserControl();
    control->SetPathText(folder);
  }
  ~ControlBench() {
    screen::PlaceUserControl(nullptr);
    control.reset();
    screen::ResetScreen();
    screen::SetDesktop(nullptr);
  }

  std::string JobName(int row) {
    return static_cast<screen::Label*>(control->Find("lblJOBNAME", row))->Caption();
  }
  int CurrentRow() { return control->StateField("CurrentRow")->ToInteger(); }
  // True when the row below the highlighted one (or the highlighted one
  // itself) shows the end marker.
  bool NearEnd() {
    int row = CurrentRow();
    return JobName(row) == "End of List" || (row < 3 && JobName(row + 1) == "End of List");
  }
  // The user types text: each character as the key that gives it.
  static void Type(const std::string& text) {
    for (char ch : text) {
      auto key = screen::KeyOfCharacter(ch);
      if (key) screen::PressKey(key->keyCode, key->shift);
    }
  }
};

void ControlPathText(benchmark::State& state) {
  ControlBench bench(static_cast<int>(state.range(0)));
  for (auto _ : state) bench.control->SetPathText(bench.folder);
  if (!bench.desktop.messageBoxes.empty()) state.SkipWithError("the control reported an error");
}

void ControlEnd(benchmark::State& state) {
  ControlBench bench(static_cast<int>(state.range(0)));
  for (auto _ : state) screen::PressKey(screen::kKeyEnd, 0);
}

void ControlDown(benchmark::State& state) {
  ControlBench bench(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    screen::PressKey(screen::kKeyDown, 0);
    if (bench.JobName(bench.CurrentRow()) == "End of List") {
      state.PauseTiming();
      screen::PressKey(screen::kKeyHome, 0);
      state.ResumeTiming();
    }
  }
}

void ControlPageDown(benchmark::State& state) {
  ControlBench bench(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    screen::PressKey(screen::kKeyPageDown, 0);
    if (bench.NearEnd()) {
      state.PauseTiming();
      screen::PressKey(screen::kKeyHome, 0);
      state.ResumeTiming();
    }
  }
}

// The first job of company 1, as stored, for the add cycles.
std::string FirstJobOfCompanyOne(const std::string& folder) {
  sqlite3* db = nullptr;
  sqlite3_open_v2((folder + "/MAIN.MDB").c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db, "SELECT JOBNO FROM JOBLIST WHERE CONO = 1 ORDER BY JOBNO LIMIT 1", -1,
                     &stmt, nullptr);
  std::string jobNo;
  if (sqlite3_step(stmt) == SQLITE_ROW) {
    jobNo = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
  }
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  return jobNo;
}

// "A", company 1, Enter, a job, Enter, Enter on cmdUpdate: the row is written
// and the page rebuilt around it. Outside the timing the row is deleted again
// (the "D" key), so the list keeps its size.
void ControlAddUpdate(benchmark::State& state) {
  ControlBench bench(static_cast<int>(state.range(0)));
  const std::string jobNo = FirstJobOfCompanyOne(bench.folder);
  const std::string typed = jobNo.substr(jobNo.find_first_not_of(' '));
  for (auto _ : state) {
    screen::PressKey('A', 0);
    ControlBench::Type("1\r" + typed + "\r\r");
    state.PauseTiming();
    if (bench.control->StateField("EntryMode")->ToString() != " ") {
      state.SkipWithError("the entry was refused");
      break;
    }
    screen::PressKey('D', 0);
    state.ResumeTiming();
  }
}

// --- The plain SQLite side: the same data work ---

const char* kOrder = " ORDER BY CONO, JOBNO COLLATE NOCASE, rowid";
const char* kOrderDesc = " ORDER BY CONO DESC, JOBNO COLLATE NOCASE DESC, rowid DESC";

// One list row as the page keeps it: its key and rowid.
struct ListRow {
  int64_t rowid = 0;
  int cono = 0;
  std::string jobno;
};

// A connection to MAIN.MDB with the statements of the page.
struct Plain {
  sqlite3* db = nullptr;
  std::map<std::string, sqlite3_stmt*> statements;

  explicit Plain(const std::string& folder) {
    sqlite3_open_v2((folder + "/MAIN.MDB").c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  }
  ~Plain() {
    for (auto& [sql, stmt] : statements) sqlite3_finalize(stmt);
    sqlite3_close(db);
  }
  sqlite3_stmt* Statement(const std::string& sql) {
    sqlite3_stmt*& stmt = statements[sql];
    if (stmt == nullptr)
      sqlite3_prepare_v3(db, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
    return stmt;
  }
  // Up to `limit` TJLIST rows after (or before) the row, or from the first
  // (last) row when `from` is null: the rows of the same key past its rowid
  // first, then those of the keys beyond it, each query served by the index.
  std::vector<ListRow> Rows(const ListRow* from, bool forward, int limit) {
    std::vector<ListRow> rows;
    if (from == nullptr) {
      Collect(Statement(std::string("SELECT rowid, CONO, JOBNO FROM TJLIST") +
                        (forward ? kOrder : kOrderDesc) + " LIMIT ?1"),
              nullptr, 0, limit, rows);
      return rows;
    }
    std::string ties = std::string("SELECT rowid, CONO, JOBNO FROM TJLIST WHERE CONO = ?1 AND ") +
                       "JOBNO = ?2 COLLATE NOCASE AND rowid " + (forward ? ">" : "<") +
                       " ?3 ORDER BY rowid" + (forward ? "" : " DESC") + " LIMIT ?4";
    std::string beyond = std::string("SELECT rowid, CONO, JOBNO FROM TJLIST WHERE (CONO, JOBNO) ") +
                         (forward ? ">" : "<") + " (?1, ?2 COLLATE NOCASE)" +
                         (forward ? kOrder : kOrderDesc) + " LIMIT ?4";
    Collect(Statement(ties), from, 3, limit, rows);
    if (static_cast<int>(rows.size()) < limit) {
      Collect(Statement(beyond), from, 2, limit - static_cast<int>(rows.size()), rows);
    }
    return rows;
  }
  // Runs a row query bound to the first `keys` parts of `from` (company, job,
  // rowid) and the limit, appending its rows.
  static void Collect(sqlite3_stmt* stmt, const ListRow* from, int keys, int limit,
                      std::vector<ListRow>& rows) {
    if (keys >= 2) {
      sqlite3_bind_int(stmt, 1, from->cono);
      sqlite3_bind_text(stmt, 2, from->jobno.c_str(), -1, SQLITE_TRANSIENT);
    }
    if (keys >= 3) sqlite3_bind_int64(stmt, 3, from->rowid);
    sqlite3_bind_int(stmt, keys == 0 ? 1 : 4, limit);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      rows.push_back({sqlite3_column_int64(stmt, 0), sqlite3_column_int(stmt, 1),
                      reinterpret_cast<const char*>(sqlite3_column_text(stmt, 2))});
    }
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
  }
  // The job's name, as each drawn row looks it up.
  std::string JobName(const ListRow& row) {
    sqlite3_stmt* stmt =
        Statement("SELECT JOBNAME FROM JOBLIST WHERE CONO = ?1 AND JOBNO = ?2 COLLATE NOCASE");
    sqlite3_bind_int(stmt, 1, row.cono);
    sqlite3_bind_text(stmt, 2, row.jobno.c_str(), -1, SQLITE_TRANSIENT);
    std::string name;
    if (sqlite3_step(stmt) == SQLITE_ROW) {
      name = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
    }
    sqlite3_reset(stmt);
    return name;
  }
  // Draws a page: up to four rows from `top` on, each with its job name.
  void DrawPage(const ListRow& top) {
    std::vector<ListRow> rows = Rows(&top, true, 3);
    benchmark::DoNotOptimize(JobName(top));
    for (const ListRow& row : rows) benchmark::DoNotOptimize(JobName(row));
  }
};

// Opens the files, reads the settings, finds the first and last rows, draws
// the first page and looks up the list's name.
void SqlitePathText(benchmark::State& state) {
  const std::string folder = DataFolder(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    sqlite3* settings = nullptr;
    sqlite3_open_v2((folder + "/QRLSYS.mdb").c_str(), &settings, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(settings, "SELECT JOBNOSIZE, JOBNOTYPE FROM SYSSETTINGS LIMIT 1", -1, &stmt,
                       nullptr);
    sqlite3_step(stmt);
    benchmark::DoNotOptimize(sqlite3_column_int(stmt, 0));
    sqlite3_finalize(stmt);
    sqlite3_close(settings);
    Plain plain(folder);
    std::vector<ListRow> first = plain.Rows(nullptr, true, 1);
    std::vector<ListRow> last = plain.Rows(nullptr, false, 1);
    if (first.empty() || last.empty()) continue;
    plain.DrawPage(first[0]);
    sqlite3_stmt* group = plain.Statement(
        "SELECT TJLNAME FROM TJLGROUPS WHERE TJLTAG = (SELECT TJLTAG FROM TJLIST "
        "WHERE rowid = ?1)");
    sqlite3_bind_int64(group, 1, last[0].rowid);
    sqlite3_step(group);
    sqlite3_reset(group);
  }
}

void SqliteEnd(benchmark::State& state) {
  Plain plain(DataFolder(static_cast<int>(state.range(0))));
  for (auto _ : state) {
    std::vector<ListRow> last = plain.Rows(nullptr, false, 1);
    plain.DrawPage(last[0]);
  }
}

void SqliteDown(benchmark::State& state) {
  Plain plain(DataFolder(static_cast<int>(state.range(0))));
  ListRow current = plain.Rows(nullptr, true, 1)[0];
  for (auto _ : state) {
    std::vector<ListRow> next = plain.Rows(&current, true, 1);
    if (next.empty()) {
      current = plain.Rows(nullptr, true, 1)[0];
      continue;
    }
    current = next[0];
    benchmark::DoNotOptimize(plain.JobName(current));
  }
}

void SqlitePageDown(benchmark::State& state) {
  Plain plain(DataFolder(static_cast<int>(state.range(0))));
  ListRow top = plain.Rows(nullptr, true, 1)[0];
  ListRow current = top;
  for (auto _ : state) {
    std::vector<ListRow> ahead = plain.Rows(&current, true, 3);
    std::vector<ListRow> topAhead = plain.Rows(&top, true, 3);
    if (ahead.size() < 3) {
      top = current = plain.Rows(nullptr, true, 1)[0];
      continue;
    }
    current = ahead.back();
    top = topAhead.back();
    plain.DrawPage(top);
  }
}

// Checks the company and the job, writes the row, finds the first and last
// rows and the top of the page three rows above the new one, draws the page;
// the row is deleted again outside the timing.
void SqliteAddUpdate(benchmark::State& state) {
  const std::string folder = DataFolder(static_cast<int>(state.range(0)));
  const std::string jobNo = FirstJobOfCompanyOne(folder);
  Plain plain(folder);
  for (auto _ : state) {
    sqlite3_stmt* company = plain.Statement("SELECT CONAME FROM COLIST WHERE CONO = ?1");
    sqlite3_bind_int(company, 1, 1);
    sqlite3_step(company);
    sqlite3_reset(company);
    ListRow added{0, 1, jobNo};
    benchmark::DoNotOptimize(plain.JobName(added));
    sqlite3_stmt* insert =
        plain.Statement("INSERT INTO TJLIST (TJLTAG, CONO, JOBNO) VALUES (0, ?1, ?2)");
    sqlite3_bind_int(insert, 1, 1);
    sqlite3_bind_text(insert, 2, jobNo.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_step(insert);
    sqlite3_reset(insert);
    added.rowid = sqlite3_last_insert_rowid(plain.db);
    benchmark::DoNotOptimize(plain.Rows(nullptr, true, 1));
    benchmark::DoNotOptimize(plain.Rows(nullptr, false, 1));
    std::vector<ListRow> above = plain.Rows(&added, false, 3);
    plain.DrawPage(above.empty() ? added : above.back());
    state.PauseTiming();
    sqlite3_stmt* remove = plain.Statement("DELETE FROM TJLIST WHERE rowid = ?1");
    sqlite3_bind_int64(remove, 1, added.rowid);
    sqlite3_step(remove);
    sqlite3_reset(remove);
    state.ResumeTiming();
  }
}

#define PAIR(name)                                \
  BENCHMARK(Control##name)->Arg(10)->Arg(100000); \
  BENCHMARK(Sqlite##name)->Arg(10)->Arg(100000)

PAIR(PathText);
PAIR(End);
PAIR(Down);
PAIR(PageDown);
PAIR(AddUpdate);

// Console output as usual, and each run's time per iteration kept by name.
class CollectingReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) nanoseconds[run.benchmark_name()] = run.GetAdjustedCPUTime();
  }
  std::map<std::string, double> nanoseconds;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  CollectingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  // CPU time per operation: the machine is shared, so wall time is noisier.
  std::printf(
      "\nCPU us per operation  (ratio = control / SQLite; growth = 100,000-row list / 10-row "
      "list)\n");
  std::printf("%-10s %10s %10s %6s %11s %11s %6s %7s\n", "operation", "control 10", "sqlite 10",
              "ratio", "control 100k", "sqlite 100k", "ratio", "growth");
  auto time = [&](const std::string& name) {
    auto found = reporter.nanoseconds.find(name);
    return found == reporter.nanoseconds.end() ? 0.0 : found->second / 1000.0;
  };
  for (const char* name : {"PathText", "End", "Down", "PageDown", "AddUpdate"}) {
    double control10 = time("Control" + std::string(name) + "/10");
    double plain10 = time("Sqlite" + std::string(name) + "/10");
    double controlK = time("Control" + std::string(name) + "/100000");
    double plainK = time("Sqlite" + std::string(name) + "/100000");
    if (control10 == 0 || plain10 == 0 || controlK == 0 || plainK == 0) continue;
    std::printf("%-10s %10.1f %10.1f %6.1f %11.1f %11.1f %6.1f %7.2f\n", name, control10, plain10,
                control10 / plain10, controlK, plainK, controlK / plainK, controlK / control10);
  }
  benchmark::Shutdown();
  return 0;
}
