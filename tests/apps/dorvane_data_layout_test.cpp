// Tests that dorvane-data makes files laid out exactly as its schema.sql says,
// and that `dorvane-data schema` prints that text. The reference layout is
// built here from the schema text by SQLite itself.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "support/programs.h"
#include "support/sql_file.h"
#include "support/temp_folder.h"

namespace datatool {
namespace {

namespace fs = std::filesystem;
using testsupport::ProgramRun;
using testsupport::SqlFile;
using testsupport::TempFolder;

const fs::path kSchemaFile = fs::path(DORVANE_SOURCE_DIR) / "apps/dorvane-data/schema.sql";

// Returns the schema objects of a database: type, name, table and SQL text.
std::set<std::vector<std::string>> Objects(SqlFile& db) {
  auto rows = db.Rows("SELECT type, name, tbl_name, sql FROM sqlite_master");
  return {rows.begin(), rows.end()};
}

// Makes a reference database in `file` from SQL text.
void MakeReference(const fs::path& file, const std::string& sql) {
  SqlFile db(file, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
  char* error = nullptr;
  ASSERT_EQ(sqlite3_exec(db.Handle(), sql.c_str(), nullptr, nullptr, &error), SQLITE_OK) << error;
}

// The folder's files hold exactly the schema's tables, columns and indexes,
// in WAL mode, and `schema` prints the schema text.
TEST(Layout, FilesHaveExactlyTheSchemaTextsTablesAndIndexes) {
  TempFolder folder;
  const ProgramRun run = testsupport::RunDataTool({"init", folder.File("data"), "--seed", "3"});
  ASSERT_EQ(run.status, 0) << run.err;
  // The schema text runs as it is for MAIN.MDB (the QRLSYS table is a
  // comment there); the commented statement alone makes QRLSYS.mdb.
  const std::string schema = testsupport::ReadText(kSchemaFile);
  MakeReference(folder.File("main.ref"), schema);
  const auto at = schema.find("-- CREATE TABLE SYSSETTINGS");
  ASSERT_NE(at, std::string::npos);
  MakeReference(folder.File("qrlsys.ref"), schema.substr(at + 3, schema.find(';', at) - at - 2));
  // The same CREATE texts give the same columns, types and defaults.
  for (const auto& [file, reference] : {std::pair<const char*, const char*>{"MAIN.MDB", "main.ref"},
                                        {"QRLSYS.mdb", "qrlsys.ref"}}) {
    SqlFile made(folder.File(std::string("data/") + file));
    SqlFile ref(folder.File(reference));
    EXPECT_EQ(Objects(made), Objects(ref)) << file;
    EXPECT_EQ(made.Value("PRAGMA journal_mode"), "wal") << file;
  }
  const ProgramRun printed = testsupport::RunDataTool({"schema"});
  EXPECT_EQ(printed.status, 0);
  EXPECT_EQ(printed.out, schema);
}

}  // namespace
}  // namespace datatool
