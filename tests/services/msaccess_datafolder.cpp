// The temporary data folder of the shared-module tests (see the header).
#include "msaccess_datafolder.h"

#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <stdexcept>

namespace {

const char* const kMainSchema = R"(
PRAGMA journal_mode=WAL;
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
)";

const char* const kQrlsysSchema = R"(
PRAGMA journal_mode=WAL;
CREATE TABLE SYSSETTINGS (JOBNOSIZE SHORT, JOBNOTYPE TEXT(1));
)";

// Opens a database file (creating it when asked); throws on failure.
sqlite3* OpenFile(const std::string& path, bool create) {
  sqlite3* db = nullptr;
  const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
  if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    throw std::runtime_error("cannot open " + path);
  }
  sqlite3_busy_timeout(db, 10000);
  return db;
}

// Runs SQL text on a file; throws with SQLite's message on failure.
void ExecFile(const std::string& path, const std::string& sql, bool create) {
  sqlite3* db = OpenFile(path, create);
  char* message = nullptr;
  const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message);
  const std::string text = message ? message : "";
  sqlite3_free(message);
  sqlite3_close(db);
  if (rc != SQLITE_OK) throw std::runtime_error(path + ": " + text);
}

}  // namespace

DataFolder::DataFolder(bool withQrlsys) {
  char pattern[] = "/tmp/dorvane-services-XXXXXX";
  if (!mkdtemp(pattern)) throw std::runtime_error("cannot make a temporary folder");
  path_ = pattern;
  ExecFile(path_ + "/MAIN.MDB", kMainSchema, true);
  if (withQrlsys) ExecFile(path_ + "/QRLSYS.mdb", kQrlsysSchema, true);
}

DataFolder::~DataFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void DataFolder::Exec(const std::string& file, const std::string& sql) const {
  ExecFile(path_ + "/" + file, sql, false);
}

std::string DataFolder::Query(const std::string& file, const std::string& sql) const {
  sqlite3* db = OpenFile(path_ + "/" + file, false);
  sqlite3_stmt* stmt = nullptr;
  std::string result = "(none)";
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK &&
      sqlite3_step(stmt) == SQLITE_ROW) {
    const unsigned char* text = sqlite3_column_text(stmt, 0);
    result = text ? reinterpret_cast<const char*>(text) : "NULL";
  }
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  return result;
}
