// A data source for tests that hold on either engine of the record store: a
// temporary data folder of SQLite files, or a fresh database on the test
// server laid out as `dorvane-data schema --postgres` prints. Tests write their
// rows with plain SQL that names its columns, which both engines read alike,
// so one test body checks both. Relies on DataFolder, TestDatabase and the
// data tool.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "data_folder.h"
#include "test_server.h"

namespace testsupport {

enum class StoreEngine { kSqlite, kServer };

// "SQLite" or "PostgreSQL", for the names of parametrized tests.
std::string EngineName(StoreEngine engine);

// Runs the tests of `fixture` (parametrized by StoreEngine) on both engines.
#define RUN_ON_BOTH_ENGINES(fixture)                                                               \
  INSTANTIATE_TEST_SUITE_P(                                                                        \
      Engines, fixture,                                                                            \
      ::testing::Values(::testsupport::StoreEngine::kSqlite, ::testsupport::StoreEngine::kServer), \
      [](const auto& info) { return ::testsupport::EngineName(info.param); })

class StoreSource {
 public:
  // A server source without a test server (see Available) holds nothing: a
  // test skips before it uses it.
  explicit StoreSource(StoreEngine engine);

  // True unless the engine is the server and no test server was given.
  static bool Available(StoreEngine engine);

  // The path text of a database file ("MAIN.MDB") as a host gives it.
  std::string File(const std::string& name) const;
  // Lays out both database files (the server: both schemas) and runs `rows`
  // on MAIN.MDB.
  void CreateMain(const std::string& rows = "");
  // Runs SQL on a database file through a connection of its own.
  void Exec(const std::string& name, const std::string& sql) const;
  // Every row of a query, its fields joined by "|" ("NULL" for Null).
  std::vector<std::string> Query(const std::string& name, const std::string& sql) const;
  // The first column of the first row, "(none)" when there is no row.
  std::string Value(const std::string& name, const std::string& sql) const;
  // The server database's URI (server only).
  std::string Uri() const;

 private:
  // "SET search_path TO schema; " for a database file on the server.
  static std::string OnSchema(const std::string& name);

  std::unique_ptr<DataFolder> folder_;
  std::unique_ptr<TestDatabase> database_;
};

}  // namespace testsupport
