// Test helper implementation over the SQLite C interface and <filesystem>.
#include "test_folder.h"

#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>

namespace recordstore::testing {

const char* const kMainSchema = R"sql(
CREATE TABLE COLIST (CONO SHORT, CONAME TEXT(30));
CREATE UNIQUE INDEX "COLIST.CONO" ON COLIST (CONO);
CREATE INDEX "COLIST.CONAME" ON COLIST (CONAME COLLATE NOCASE);
CREATE TABLE JOBLIST (CONO SHORT, JOBNO TEXT(8), JOBNAME TEXT(50));
CREATE UNIQUE INDEX "JOBLIST.JOBLIST" ON JOBLIST (CONO, JOBNO COLLATE NOCASE);
CREATE INDEX "JOBLIST.JOBNAME" ON JOBLIST (CONO, JOBNAME COLLATE NOCASE);
CREATE TABLE PELIST (PETAG SHORT, FEDATE TEXT(10), TDATE TEXT(30), LDATE TEXT(8));
CREATE UNIQUE INDEX "PELIST.PELIST" ON PELIST (LDATE);
CREATE UNIQUE INDEX "PELIST.PETAG" ON PELIST (PETAG);
CREATE TABLE TJLIST (TJLTAG LONG DEFAULT 0, CONO SHORT, JOBNO TEXT(8));
CREATE INDEX "TJLIST.TJLIST" ON TJLIST (CONO, JOBNO COLLATE NOCASE);
CREATE TABLE TJLGROUPS (TJLTAG LONG DEFAULT 0, TJLNAME TEXT(50));
CREATE UNIQUE INDEX "TJLGROUPS.TJLGTJLTAG" ON TJLGROUPS (TJLTAG);
CREATE INDEX "TJLGROUPS.TJLGROUPS" ON TJLGROUPS (TJLNAME COLLATE NOCASE);
CREATE TABLE TJLITEMS (TJLTAG LONG DEFAULT 0, CONO SHORT, JOBNO TEXT(8));
CREATE INDEX "TJLITEMS.TJLITEMS" ON TJLITEMS (TJLTAG, CONO, JOBNO COLLATE NOCASE);
CREATE TABLE SYSTAGS (TJLTAG LONG DEFAULT 0);
)sql";

const char* const kSettingsSchema =
    "CREATE TABLE SYSSETTINGS (JOBNOSIZE SHORT, JOBNOTYPE TEXT(1));";

TestFolder::TestFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "recordstore-XXXXXX").string();
  char* made = mkdtemp(pattern.data());
  if (made == nullptr) throw std::runtime_error("cannot make a temporary folder");
  path_ = made;
}

TestFolder::~TestFolder() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

void TestFolder::Create(const std::string& name, const std::string& sql) const {
  sqlite3* db = nullptr;
  sqlite3_open_v2(File(name).c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  char* message = nullptr;
  std::string batch = "PRAGMA synchronous=OFF; BEGIN;" + sql + ";COMMIT;";
  if (sqlite3_exec(db, batch.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
    std::string text = message != nullptr ? message : "?";
    sqlite3_free(message);
    sqlite3_close(db);
    throw std::runtime_error("test schema failed: " + text);
  }
  sqlite3_close(db);
}

void TestFolder::CreateMain(const std::string& rows) const {
  Create("MAIN.MDB", std::string(kMainSchema) + rows);
}

void TestFolder::Exec(const std::string& name, const std::string& sql) const {
  sqlite3* db = nullptr;
  sqlite3_open_v2(File(name).c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  sqlite3_busy_timeout(db, 5000);
  char* message = nullptr;
  int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message);
  std::string text = message != nullptr ? message : "";
  sqlite3_free(message);
  sqlite3_close(db);
  if (rc != SQLITE_OK) throw std::runtime_error("test SQL failed: " + text);
}

std::vector<std::string> TestFolder::Query(const std::string& name, const std::string& sql) const {
  sqlite3* db = nullptr;
  sqlite3_open_v2(File(name).c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* stmt = nullptr;
  std::vector<std::string> rows;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK) {
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      std::string row;
      for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
        const unsigned char* text = sqlite3_column_text(stmt, i);
        row += (i ? "|" : "") + std::string(text ? reinterpret_cast<const char*>(text) : "NULL");
      }
      rows.push_back(row);
    }
  }
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  return rows;
}

Opened OpenTable(const std::string& file, const std::string& table, const std::string& index,
                 int lockEdit) {
  Opened opened;
  opened.workspace = DBEngine::Instance()->CreateWorkspace("wksTEST", "admin", "", 2);
  opened.database = opened.workspace->OpenDatabase(file);
  opened.recordset = opened.database->OpenRecordset(table, 1, 0, lockEdit);
  if (!index.empty()) opened.recordset->SetIndex(index);
  return opened;
}

std::vector<std::string> WalkForward(Recordset& recordset, const std::string& field) {
  std::vector<std::string> values;
  if (recordset.RecordCount() == 0) return values;
  for (recordset.MoveFirst(); !recordset.IsEOF(); recordset.MoveNext()) {
    Variant value = recordset.Fields(field).Value();
    values.push_back(value.IsNull() ? "NULL" : value.ToString());
  }
  return values;
}

std::vector<std::string> WalkBackward(Recordset& recordset, const std::string& field) {
  std::vector<std::string> values;
  if (recordset.RecordCount() == 0) return values;
  for (recordset.MoveLast(); !recordset.IsBOF(); recordset.MovePrevious()) {
    Variant value = recordset.Fields(field).Value();
    values.push_back(value.IsNull() ? "NULL" : value.ToString());
  }
  return values;
}

}  // namespace recordstore::testing
