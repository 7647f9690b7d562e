// Benchmark of the record store on JOBLIST tables of 1,000 and 1,000,000 rows:
// Seek, MoveNext, MovePrevious, setting a bookmark, reading a field and
// RecordCount, each beside the same work done with a prepared SQLite
// statement (a LIMIT 1 query the index serves, its row copied out). After the
// runs it prints each pair with the ratio store / SQLite.
//
// The data folders are those of the user-action benchmarks (bench_support.h),
// made once by dorvane-data and kept under /tmp.
#include "services/recordstore/recordstore.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_support.h"

namespace {

using recordstore::Variant;

std::string DataFolder(int rows) { return bench::ActionFolder(rows, 10); }

// One table opened both ways, with random existing keys and bookmarks.
struct Fixture {
  std::shared_ptr<recordstore::Workspace> workspace;
  std::shared_ptr<recordstore::Recordset> jobs;
  sqlite3* db = nullptr;
  std::vector<std::pair<int, std::string>> keys;
  std::vector<int64_t> rowids;
  std::vector<std::string> bookmarks;
};

// A row copied out of a statement, as the store copies its current row.
struct PlainRow {
  int64_t rowid = 0;
  int64_t cono = 0;
  std::string jobno, jobname;
};

void ReadRow(sqlite3_stmt* stmt, PlainRow& row) {
  row.rowid = sqlite3_column_int64(stmt, 0);
  row.cono = sqlite3_column_int64(stmt, 1);
  row.jobno.assign(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 2)),
                   sqlite3_column_bytes(stmt, 2));
  row.jobname.assign(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 3)),
                     sqlite3_column_bytes(stmt, 3));
}

Fixture& FixtureFor(int rows) {
  static std::map<int, std::unique_ptr<Fixture>> fixtures;
  std::unique_ptr<Fixture>& fixture = fixtures[rows];
  if (fixture) return *fixture;
  fixture = std::make_unique<Fixture>();
  std::string folder = DataFolder(rows);
  fixture->workspace = recordstore::DBEngine::Instance()->CreateWorkspace("wksBENCH");
  fixture->jobs = fixture->workspace->OpenDatabase(folder + "\\MAIN.MDB")->OpenRecordset("JOBLIST");
  fixture->jobs->SetIndex("JOBLIST");
  sqlite3_open_v2((folder + "/MAIN.MDB").c_str(), &fixture->db, SQLITE_OPEN_READWRITE, nullptr);
  int count = fixture->jobs->RecordCount();
  std::mt19937 random(11);
  sqlite3_stmt* byRowid = nullptr;
  sqlite3_prepare_v2(fixture->db, "SELECT CONO, JOBNO FROM JOBLIST WHERE rowid = ?1", -1, &byRowid,
                     nullptr);
  while (fixture->keys.size() < 4096) {
    int64_t rowid = random() % count + 1;
    sqlite3_bind_int64(byRowid, 1, rowid);
    if (sqlite3_step(byRowid) == SQLITE_ROW) {
      fixture->keys.emplace_back(sqlite3_column_int(byRowid, 0),
                                 reinterpret_cast<const char*>(sqlite3_column_text(byRowid, 1)));
      fixture->rowids.push_back(rowid);
      fixture->jobs->Seek("=", {Variant::Integer(static_cast<int16_t>(fixture->keys.back().first)),
                                Variant::String(fixture->keys.back().second)});
      fixture->bookmarks.push_back(fixture->jobs->Bookmark());
    }
    sqlite3_reset(byRowid);
  }
  sqlite3_finalize(byRowid);
  return *fixture;
}

sqlite3_stmt* Prepare(sqlite3* db, const char* sql) {
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
  return stmt;
}

const char* kSelect = "SELECT rowid, CONO, JOBNO, JOBNAME FROM JOBLIST ";
const char* kOrder = " ORDER BY CONO, JOBNO COLLATE NOCASE, rowid";

void StoreSeek(benchmark::State& state) {
  Fixture& f = FixtureFor(static_cast<int>(state.range(0)));
  size_t i = 0;
  for (auto _ : state) {
    const auto& key = f.keys[i++ % f.keys.size()];
    f.jobs->Seek("=",
                 {Variant::Integer(static_cast<int16_t>(key.first)), Variant::String(key.second)});
    benchmark::DoNotOptimize(f.jobs->NoMatch());
  }
}

void SqliteSeek(benchmark::State& state) {
  Fixture& f = FixtureFor(static_cast<int>(state.range(0)));
  std::string sql =
      std::string(kSelect) + "WHERE CONO = ?1 AND JOBNO = ?2 COLLATE NOCASE" + kOrder + " LIMIT 1";
  sqlite3_stmt* stmt = Prepare(f.db, sql.c_str());
  PlainRow row;
  size_t i = 0;
  for (auto _ : state) {
    const auto& key = f.keys[i++ % f.keys.size()];
    sqlite3_bind_int(stmt, 1, key.first);
    sqlite3_bind_text(stmt, 2, key.second.data(), static_cast<int>(key.second.size()),
                      SQLITE_TRANSIENT);
    if (sqlite3_step(stmt) == SQLITE_ROW) ReadRow(stmt, row);
    sqlite3_reset(stmt);
    benchmark::DoNotOptimize(row.rowid);
  }
  sqlite3_finalize(stmt);
}

// Moves one way from a random row; at the end of the table starts again.
void StoreMove(benchmark::State& state, bool forward) {
  Fixture& f = FixtureFor(static_cast<int>(state.range(0)));
  f.jobs->SetBookmark(f.bookmarks[0]);
  for (auto _ : state) {
    if (forward) {
      f.jobs->MoveNext();
      if (f.jobs->IsEOF()) f.jobs->MoveFirst();
    } else {
      f.jobs->MovePrevious();
      if (f.jobs->IsBOF()) f.jobs->MoveLast();
    }
  }
}

void SqliteMove(benchmark::State& state, bool forward) {
  Fixture& f = FixtureFor(static_cast<int>(state.range(0)));
  std::string next =
      std::string(kSelect) +
      (forward ? "WHERE (CONO, JOBNO) > (?1, ?2 COLLATE NOCASE)" + std::string(kOrder)
               : "WHERE (CONO, JOBNO) < (?1, ?2 COLLATE NOCASE) ORDER BY CONO DESC, "
                 "JOBNO COLLATE NOCASE DESC, rowid DESC") +
      " LIMIT 1";
  std::string wrap =
      std::string(kSelect) +
      (forward ? kOrder : " ORDER BY CONO DESC, JOBNO COLLATE NOCASE DESC, rowid DESC") +
      " LIMIT 1";
  sqlite3_stmt* move = Prepare(f.db, next.c_str());
  sqlite3_stmt* restart = Prepare(f.db, wrap.c_str());
  PlainRow row;
  row.cono = f.keys[0].first;
  row.jobno = f.keys[0].second;
  for (auto _ : state) {
    sqlite3_bind_int64(move, 1, row.cono);
    sqlite3_bind_text(move, 2, row.jobno.data(), static_cast<int>(row.jobno.size()),
                      SQLITE_TRANSIENT);
    if (sqlite3_step(move) == SQLITE_ROW) {
      ReadRow(move, row);
    } else if (sqlite3_step(restart) == SQLITE_ROW) {
      ReadRow(restart, row);
    }
    sqlite3_reset(move);
    sqlite3_reset(restart);
  }
  sqlite3_finalize(move);
  sqlite3_finalize(restart);
}

void StoreMoveNext(benchmark::State& state) { StoreMove(state, true); }
void SqliteMoveNext(benchmark::State& state) { SqliteMove(state, true); }
void StoreMovePrevious(benchmark::State& state) { StoreMove(state, false); }
void SqliteMovePrevious(benchmark::State& state) { SqliteMove(state, false); }

void StoreSetBookmark(benchmark::State& state) {
  Fixture& f = FixtureFor(static_cast<int>(state.range(0)));
  size_t i = 0;
  for (auto _ : state) f.jobs->SetBookmark(f.bookmarks[i++ % f.bookmarks.size()]);
}

void SqliteSetBookmark(benchmark::State& state) {
  Fixture& f = FixtureFor(static_cast<int>(state.range(0)));
  sqlite3_stmt* stmt = Prepare(f.db, (std::string(kSelect) + "WHERE rowid = ?1").c_str());
  PlainRow row;
  size_t i = 0;
  for (auto _ : state) {
    sqlite3_bind_int64(stmt, 1, f.rowids[i++ % f.rowids.size()]);
    if (sqlite3_step(stmt) == SQLITE_ROW) ReadRow(stmt, row);
    sqlite3_reset(stmt);
    benchmark::DoNotOptimize(row.rowid);
  }
  sqlite3_finalize(stmt);
}

void StoreReadField(benchmark::State& state) {
  Fixture& f = FixtureFor(static_cast<int>(state.range(0)));
  f.jobs->SetBookmark(f.bookmarks[0]);
  for (auto _ : state) {
    Variant name = f.jobs->Fields("JOBNAME").Value();
    benchmark::DoNotOptimize(name);
  }
}

void SqliteReadField(benchmark::State& state) {
  Fixture& f = FixtureFor(static_cast<int>(state.range(0)));
  sqlite3_stmt* stmt = Prepare(f.db, (std::string(kSelect) + "WHERE rowid = ?1").c_str());
  sqlite3_bind_int64(stmt, 1, f.rowids[0]);
  sqlite3_step(stmt);
  for (auto _ : state) {
    std::string name(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 3)),
                     sqlite3_column_bytes(stmt, 3));
    benchmark::DoNotOptimize(name);
  }
  sqlite3_finalize(stmt);
}

void StoreRecordCount(benchmark::State& state) {
  Fixture& f = FixtureFor(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(f.jobs->RecordCount());
}

void SqliteRecordCount(benchmark::State& state) {
  Fixture& f = FixtureFor(static_cast<int>(state.range(0)));
  sqlite3_stmt* stmt = Prepare(f.db, "SELECT count(*) FROM JOBLIST");
  for (auto _ : state) {
    sqlite3_step(stmt);
    benchmark::DoNotOptimize(sqlite3_column_int64(stmt, 0));
    sqlite3_reset(stmt);
  }
  sqlite3_finalize(stmt);
}

#define PAIR(name)                                 \
  BENCHMARK(Store##name)->Arg(1000)->Arg(1000000); \
  BENCHMARK(Sqlite##name)->Arg(1000)->Arg(1000000)

PAIR(Seek);
PAIR(MoveNext);
PAIR(MovePrevious);
PAIR(SetBookmark);
PAIR(ReadField);
PAIR(RecordCount);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  bench::CollectingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  // CPU time per operation: the machine is shared, so wall time is noisier.
  std::printf(
      "\nCPU ns per operation  (ratio = store / SQLite; growth = 1,000,000 rows / 1,000)\n");
  std::printf("%-13s %9s %9s %6s %10s %10s %6s %7s\n", "operation", "store 1k", "sqlite 1k",
              "ratio", "store 1M", "sqlite 1M", "ratio", "growth");
  auto time = [&](const std::string& name) { return reporter.Micros(name) * 1000.0; };
  for (const char* name :
       {"Seek", "MoveNext", "MovePrevious", "SetBookmark", "ReadField", "RecordCount"}) {
    double store1 = time("Store" + std::string(name) + "/1000");
    double plain1 = time("Sqlite" + std::string(name) + "/1000");
    double storeM = time("Store" + std::string(name) + "/1000000");
    double plainM = time("Sqlite" + std::string(name) + "/1000000");
    if (store1 == 0 || plain1 == 0 || storeM == 0 || plainM == 0) continue;
    std::printf("%-13s %9.0f %9.0f %6.2f %10.0f %10.0f %6.2f %7.2f\n", name, store1, plain1,
                store1 / plain1, storeM, plainM, storeM / plainM, storeM / store1);
  }
  benchmark::Shutdown();
  return 0;
}
