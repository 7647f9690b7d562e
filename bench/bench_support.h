// Shared pieces of the benchmark programs: the data folders made by
// dorvane-data and kept under /tmp, a reporter that keeps each run's time by
// name, the table that prints the figures side by side, and the plain SQLite
// side of every comparison (the floor): a connection with its prepared
// statements and a cursor that walks one index with one statement per row
// move, keeping only the row it stands on, as the record store must.
//
// Header only: every bench/*.cpp is a program of its own.
#pragma once

#include <benchmark/benchmark.h>
#include <libpq-fe.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "services/recordstore/connection.h"

namespace bench {

namespace fs = std::filesystem;

// The program `name` (dorvane-data, dorvane-script) of this build or of a
// sibling build folder; empty when none.
inline fs::path BuildProgram(const std::string& name) {
  const fs::path own = fs::path(DORVANE_BIN_DIR) / name;
  if (fs::exists(own)) return own;
  std::error_code ec;
  const fs::path root = fs::path(DORVANE_BIN_DIR).parent_path().parent_path();
  for (const auto& entry : fs::directory_iterator(root, ec)) {
    const fs::path tool = entry.path() / "bin" / name;
    if (entry.path().filename().string().starts_with("build") && fs::exists(tool)) return tool;
  }
  return {};
}

inline fs::path DataTool() { return BuildProgram("dorvane-data"); }

// The folder /tmp/dorvane-bench-<name>, made by `dorvane-data init` with the
// options on first use and kept. Without the tool the program cannot run.
inline std::string DataFolder(const std::string& name, const std::string& options) {
  const fs::path folder = fs::temp_directory_path() / ("dorvane-bench-" + name);
  if (fs::exists(folder / "MAIN.MDB") && fs::exists(folder / "QRLSYS.mdb")) return folder.string();
  const fs::path tool = DataTool();
  if (tool.empty()) {
    std::fprintf(stderr, "dorvane-data is not built: build it first\n");
    std::exit(1);
  }
  const std::string command =
      tool.string() + " init " + folder.string() + " " + options + " --force > /dev/null";
  if (std::system(command.c_str()) != 0 || !fs::exists(folder / "MAIN.MDB")) {
    std::fprintf(stderr, "dorvane-data failed: %s\n", command.c_str());
    std::exit(1);
  }
  return folder.string();
}

// The dorvane-data options of the user-action benchmarks' reference data, and
// its folders: `jobs` jobs over 12 companies, a working list of `listRows`
// rows, 20 saved lists and today fixed at 6 March 2024 (so the period-ending
// dates do not move).
inline std::string ActionOptions(int64_t jobs, int64_t listRows) {
  return "--companies 12 --jobs " + std::to_string(jobs) + " --list " + std::to_string(listRows) +
         " --saved 20 --today 2024-03-06";
}
inline std::string ActionFolder(int64_t jobs, int64_t listRows) {
  return DataFolder("actions-" + std::to_string(jobs) + "-list-" + std::to_string(listRows),
                    ActionOptions(jobs, listRows));
}

// --- The server side ---

// The base URI of a PostgreSQL server for the server runs (DORVANE_BENCH_PG,
// else DORVANE_TEST_PG, e.g. postgresql://dorvane@127.0.0.1:5432/), or "" when
// none was given: the server runs are then left out.
inline std::string ServerBase() {
  for (const char* name : {"DORVANE_BENCH_PG", "DORVANE_TEST_PG"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return value;
  }
  return "";
}

// The URI of the database "dorvane_bench_<name>" on the server, laid out and
// filled by `dorvane-data init URI options` on first use and kept; `afresh`
// fills it again whatever it holds (for benchmarks that change the data).
inline std::string ServerDatabase(const std::string& name, const std::string& options,
                                  bool afresh = false) {
  const std::string database = "dorvane_bench_" + name;
  const std::string uri = ServerBase() + database;
  PGconn* admin = PQconnectdb((ServerBase() + "postgres").c_str());
  if (PQstatus(admin) != CONNECTION_OK) {
    std::fprintf(stderr, "cannot reach the benchmark server: %s", PQerrorMessage(admin));
    std::exit(1);
  }
  PGresult* found =
      PQexec(admin, ("SELECT 1 FROM pg_database WHERE datname = '" + database + "'").c_str());
  const bool exists = PQntuples(found) > 0;
  PQclear(found);
  if (!exists || afresh) {
    if (!exists) PQclear(PQexec(admin, ("CREATE DATABASE " + database).c_str()));
    const std::string command =
        DataTool().string() + " init " + uri + " " + options + " --force > /dev/null";
    if (std::system(command.c_str()) != 0) {
      if (!exists) PQclear(PQexec(admin, ("DROP DATABASE " + database).c_str()));
      PQfinish(admin);
      std::fprintf(stderr, "dorvane-data failed: %s\n", command.c_str());
      std::exit(1);
    }
  }
  PQfinish(admin);
  return uri;
}

// The server twin of ActionFolder: the same options, so the same rows.
inline std::string ActionDatabase(int64_t jobs, int64_t listRows) {
  return ServerDatabase("actions_" + std::to_string(jobs) + "_list_" + std::to_string(listRows),
                        ActionOptions(jobs, listRows));
}

// Console output as usual, and the CPU time per iteration (manual time where
// the benchmark sets it) of every run kept by name, in microseconds. A run
// repeated keeps the median of its repetitions.
class CollectingReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.iterations == 0 || run.error_occurred) continue;
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") continue;
      std::string name = run.benchmark_name();
      if (run.run_type == Run::RT_Aggregate) name.erase(name.size() - std::strlen("_median"));
      const bool manual = name.find("/manual_time") != std::string::npos ||
                          name.find("/real_time") != std::string::npos;
      for (const char* suffix : {"/iterations:", "/repeats:", "/manual_time", "/real_time"}) {
        const size_t at = name.find(suffix);
        if (at != std::string::npos) name.erase(at);
      }
      const double seconds = manual ? run.GetAdjustedRealTime() : run.GetAdjustedCPUTime();
      micros[name] = seconds * TimeUnitToMicros(run.time_unit);
      const auto trips = run.counters.find("round_trips");
      if (trips != run.counters.end()) roundTrips[name] = trips->second.value;
    }
  }
  // Microseconds of the run `name`, 0 when it did not run.
  double Micros(const std::string& name) const {
    const auto found = micros.find(name);
    return found == micros.end() ? 0.0 : found->second;
  }
  // Round trips to the server per action of the run `name`, -1 when none were counted.
  double RoundTrips(const std::string& name) const {
    const auto found = roundTrips.find(name);
    return found == roundTrips.end() ? -1.0 : found->second;
  }

 private:
  static double TimeUnitToMicros(benchmark::TimeUnit unit) {
    switch (unit) {
      case benchmark::kNanosecond:
        return 1e-3;
      case benchmark::kMillisecond:
        return 1e3;
      case benchmark::kSecond:
        return 1e6;
      default:
        return 1.0;
    }
  }
  std::map<std::string, double> micros;
  std::map<std::string, double> roundTrips;
};

// Actions that open database files vary most from run to run on a shared
// machine: they are run three times and the median kept.
inline void RepeatForMedian(benchmark::internal::Benchmark* run) {
  run->Repetitions(3)->ReportAggregatesOnly(true);
}

// Prints, for each action, the system's time and the floor's at each size with
// their ratio, and the growth from the first size to the last. Runs are named
// "<side><action>/<size>", side being `system` or "Sqlite".
inline void PrintSideBySide(const CollectingReporter& reporter, const std::string& title,
                            const std::string& system, const std::vector<std::string>& actions,
                            const std::vector<std::pair<std::string, std::string>>& sizes) {
  std::printf("\n%s\nmicroseconds per action: %s | SQLite floor | ratio, at each size\n",
              title.c_str(), system.c_str());
  std::printf("%-16s", "action");
  for (const auto& size : sizes) std::printf(" | %26s", size.second.c_str());
  std::printf(" | growth\n");
  for (const std::string& action : actions) {
    std::printf("%-16s", action.c_str());
    double first = 0, last = 0;
    for (const auto& size : sizes) {
      const double own = reporter.Micros(system + action + "/" + size.first);
      const double floor = reporter.Micros("Sqlite" + action + "/" + size.first);
      if (own == 0 || floor == 0) {
        std::printf(" | %26s", "-");
        continue;
      }
      if (first == 0) first = own;
      last = own;
      std::printf(" | %9.1f %9.1f %5.2fx", own, floor, own / floor);
    }
    std::printf(first > 0 ? " | %5.2f\n" : " |\n", last / first);
  }
}

// Prints, for each action, the time and round trips of the runs named
// "<server><action>/<size>" beside the SQLite runs "<system><action>/<size>".
inline void PrintServerBeside(const CollectingReporter& reporter, const std::string& title,
                              const std::string& system, const std::string& server,
                              const std::vector<std::string>& actions,
                              const std::vector<std::pair<std::string, std::string>>& sizes) {
  std::printf("\n%s\nmicroseconds per action on the server | round trips | SQLite, at each size\n",
              title.c_str());
  std::printf("%-16s", "action");
  for (const auto& size : sizes) std::printf(" | %26s", size.second.c_str());
  std::printf("\n");
  for (const std::string& action : actions) {
    std::printf("%-16s", action.c_str());
    for (const auto& size : sizes) {
      const std::string suffix = action + "/" + size.first;
      const double own = reporter.Micros(server + suffix);
      if (own == 0) {
        std::printf(" | %26s", "-");
        continue;
      }
      std::printf(" | %9.1f %6.1f %9.1f", own, reporter.RoundTrips(server + suffix),
                  reporter.Micros(system + suffix));
    }
    std::printf("\n");
  }
}

// Server requests made while the timing was paused (see Pause and Resume).
inline uint64_t& UntimedRoundTrips() {
  static uint64_t untimed = 0;
  return untimed;
}
inline uint64_t& PausedAt() {
  static uint64_t at = 0;
  return at;
}
// Server requests from the moment it is made until LeaveOut(), which leaves
// them out of the round-trip count (and starts again).
struct UntimedTrips {
  uint64_t from = recordstore::ServerRoundTrips();
  void LeaveOut() {
    UntimedRoundTrips() += recordstore::ServerRoundTrips() - from;
    from = recordstore::ServerRoundTrips();
  }
};
// Runs `body`, its requests left out of the round-trip count: the setup of a
// run that times only a few actions.
template <typename Body>
void Untimed(Body body) {
  UntimedTrips trips;
  body();
  trips.LeaveOut();
}
// PauseTiming and ResumeTiming that also leave the requests made in between
// out of the round-trip count.
inline void Pause(benchmark::State& state) {
  state.PauseTiming();
  PausedAt() = recordstore::ServerRoundTrips();
}
inline void Resume(benchmark::State& state) {
  UntimedRoundTrips() += recordstore::ServerRoundTrips() - PausedAt();
  state.ResumeTiming();
}

// Runs `body` (which runs the benchmark loop) and sets the counter round_trips
// to the server requests per timed iteration.
template <typename Body>
void CountRoundTrips(benchmark::State& state, Body body) {
  const uint64_t before = recordstore::ServerRoundTrips();
  const uint64_t untimedBefore = UntimedRoundTrips();
  body();
  const uint64_t trips =
      recordstore::ServerRoundTrips() - before - (UntimedRoundTrips() - untimedBefore);
  const double iterations = static_cast<double>(state.iterations());
  state.counters["round_trips"] = iterations > 0 ? static_cast<double>(trips) / iterations : 0.0;
}

// --- The floor: plain SQLite ---

// One connection with its statements prepared once and kept.
class PlainDb {
 public:
  // Opens the file as the record store does: shared, never created, commits
  // synced at checkpoints (WAL with synchronous=NORMAL).
  explicit PlainDb(const std::string& file) {
    sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_exec(db_, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
  }
  ~PlainDb() {
    for (auto& entry : statements_) sqlite3_finalize(entry.second);
    sqlite3_close(db_);
  }
  PlainDb(const PlainDb&) = delete;
  PlainDb& operator=(const PlainDb&) = delete;

  sqlite3* Handle() const { return db_; }
  // The prepared statement for `sql`, reset and unbound.
  sqlite3_stmt* Statement(const std::string& sql) {
    sqlite3_stmt*& stmt = statements_[sql];
    if (stmt == nullptr) {
      if (sqlite3_prepare_v3(db_, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) !=
          SQLITE_OK) {
        std::fprintf(stderr, "floor statement failed: %s: %s\n", sql.c_str(), sqlite3_errmsg(db_));
        std::exit(1);
      }
    }
    return stmt;
  }
  // Runs a statement that returns no rows.
  void Execute(const std::string& sql) {
    sqlite3_stmt* stmt = Statement(sql);
    sqlite3_step(stmt);
    sqlite3_reset(stmt);
  }

 private:
  sqlite3* db_ = nullptr;
  std::map<std::string, sqlite3_stmt*> statements_;
};

// A key column of an index: its name and collation.
struct KeyColumn {
  std::string name;
  std::string collation = "BINARY";
};

// A cursor over one table in the order of one index (ties by rowid): every
// call is one LIMIT 1 statement, prepared once, and copies the row it lands
// on, the rowid and every column. Values are sqlite3_value copies, so moves
// bind them back as keys.
class PlainCursor {
 public:
  PlainCursor(PlainDb& db, const std::string& table, const std::vector<std::string>& columns,
              const std::vector<KeyColumn>& keys, bool unique)
      : db_(db), keys_(keys) {
    select_ = "SELECT rowid";
    for (const std::string& column : columns) select_ += ", \"" + column + "\"";
    select_ += " FROM \"" + table + "\"";
    for (const KeyColumn& key : keys) {
      for (size_t i = 0; i < columns.size(); ++i) {
        if (columns[i] == key.name) keyPositions_.push_back(static_cast<int>(i));
      }
    }
    values_.resize(columns.size(), nullptr);
    withRowid_ = !unique || keys.empty();
    first_ = db.Statement(Select("", false));
    last_ = db.Statement(Select("", true));
    byRowid_ = db.Statement(select_ + " WHERE rowid = ?1");
    const std::string lhs = Columns(keys.size(), withRowid_);
    const std::string rhs = Params(keys.size(), withRowid_);
    next_ = db.Statement(Select(lhs + " > " + rhs, false));
    previous_ = db.Statement(Select(lhs + " < " + rhs, true));
  }
  ~PlainCursor() {
    for (sqlite3_value* value : values_) sqlite3_value_free(value);
  }
  PlainCursor(const PlainCursor&) = delete;
  PlainCursor& operator=(const PlainCursor&) = delete;

  bool First() { return Step(first_); }
  bool Last() { return Step(last_); }
  bool ByRowid(int64_t rowid) {
    sqlite3_bind_int64(byRowid_, 1, rowid);
    return Step(byRowid_);
  }
  // The row after (before) the current one in index order.
  bool Next() { return Move(next_); }
  bool Previous() { return Move(previous_); }
  // The first row whose leading keys equal (are at or after) the values.
  bool SeekEqual(const std::vector<sqlite3_value*>& keys) { return Seek(keys, " = "); }
  bool SeekAtOrAfter(const std::vector<sqlite3_value*>& keys) { return Seek(keys, " >= "); }

  int64_t Rowid() const { return rowid_; }
  // Column `i` of the current row (in the order given to the constructor).
  sqlite3_value* Value(size_t i) const { return values_[i]; }
  std::string Text(size_t i) const {
    const unsigned char* text = sqlite3_value_text(values_[i]);
    return text == nullptr ? std::string() : reinterpret_cast<const char*>(text);
  }

 private:
  // "(k0, k1[, rowid])" and "(?1 COLLATE c0, ?2 COLLATE c1[, ?3])" for the
  // first `count` keys.
  std::string Columns(size_t count, bool withRowid) const {
    std::string text;
    for (size_t j = 0; j < count; ++j) text += (j ? ", \"" : "\"") + keys_[j].name + "\"";
    if (withRowid) text += count ? ", rowid" : "rowid";
    return "(" + text + ")";
  }
  std::string Params(size_t count, bool withRowid) const {
    std::string text;
    for (size_t j = 0; j < count; ++j) {
      text += (j ? ", ?" : "?") + std::to_string(j + 1) + " COLLATE " + keys_[j].collation;
    }
    if (withRowid) text += (count ? ", ?" : "?") + std::to_string(count + 1);
    return "(" + text + ")";
  }
  std::string Select(const std::string& where, bool descending) const {
    const char* direction = descending ? " DESC" : "";
    std::string order = " ORDER BY ";
    for (const KeyColumn& key : keys_) {
      order += "\"" + key.name + "\" COLLATE " + key.collation + direction + ", ";
    }
    return select_ + (where.empty() ? "" : " WHERE " + where) + order + "rowid" + direction +
           " LIMIT 1";
  }
  // Binds the current row's keys (and its rowid) and steps.
  bool Move(sqlite3_stmt* stmt) {
    for (size_t j = 0; j < keys_.size(); ++j) {
      sqlite3_bind_value(stmt, static_cast<int>(j + 1), values_[keyPositions_[j]]);
    }
    if (withRowid_) sqlite3_bind_int64(stmt, static_cast<int>(keys_.size() + 1), rowid_);
    return Step(stmt);
  }
  bool Seek(const std::vector<sqlite3_value*>& keys, const char* op) {
    sqlite3_stmt*& stmt = seeks_[op + std::to_string(keys.size())];
    if (stmt == nullptr) {
      stmt = db_.Statement(
          Select(Columns(keys.size(), false) + op + Params(keys.size(), false), false));
    }
    for (size_t j = 0; j < keys.size(); ++j) {
      sqlite3_bind_value(stmt, static_cast<int>(j + 1), keys[j]);
    }
    return Step(stmt);
  }
  // Steps once; a row found becomes the current row.
  bool Step(sqlite3_stmt* stmt) {
    const bool found = sqlite3_step(stmt) == SQLITE_ROW;
    if (found) {
      rowid_ = sqlite3_column_int64(stmt, 0);
      for (size_t i = 0; i < values_.size(); ++i) {
        sqlite3_value_free(values_[i]);
        values_[i] = sqlite3_value_dup(sqlite3_column_value(stmt, static_cast<int>(i + 1)));
      }
    }
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    return found;
  }

  PlainDb& db_;
  std::vector<KeyColumn> keys_;
  bool withRowid_ = false;
  std::string select_;
  std::vector<int> keyPositions_;
  sqlite3_stmt* first_;
  sqlite3_stmt* last_;
  sqlite3_stmt* byRowid_;
  sqlite3_stmt* next_;
  sqlite3_stmt* previous_;
  std::map<std::string, sqlite3_stmt*> seeks_;
  int64_t rowid_ = 0;
  std::vector<sqlite3_value*> values_;
};

// A key value to seek with, owned by the caller's vector of KeyValues.
class KeyValues {
 public:
  KeyValues() = default;
  ~KeyValues() {
    for (sqlite3_value* value : values_) sqlite3_value_free(value);
  }
  KeyValues(const KeyValues&) = delete;
  KeyValues& operator=(const KeyValues&) = delete;
  // Adds an integer or a text key, made through a tiny statement once.
  KeyValues& Int(PlainDb& db, int64_t value) {
    sqlite3_stmt* stmt = db.Statement("SELECT ?1");
    sqlite3_bind_int64(stmt, 1, value);
    return Add(stmt);
  }
  KeyValues& Text(PlainDb& db, const std::string& value) {
    sqlite3_stmt* stmt = db.Statement("SELECT ?1");
    sqlite3_bind_text(stmt, 1, value.c_str(), -1, SQLITE_TRANSIENT);
    return Add(stmt);
  }
  const std::vector<sqlite3_value*>& Values() const { return values_; }

 private:
  KeyValues& Add(sqlite3_stmt* stmt) {
    sqlite3_step(stmt);
    values_.push_back(sqlite3_value_dup(sqlite3_column_value(stmt, 0)));
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    return *this;
  }
  std::vector<sqlite3_value*> values_;
};

}  // namespace bench
