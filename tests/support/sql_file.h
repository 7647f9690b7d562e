// One SQLite connection to a data file, opened the way another program on the
// same files would open it: plain SQL, rows read back as text. Relies on the
// SQLite C interface; every failure throws std::runtime_error with SQLite's
// message, which GoogleTest reports against the test that ran it.
#pragma once

#include <sqlite3.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace testsupport {

class SqlFile {
 public:
  // Opens `path` (never creates it unless `flags` say so); waits up to ten
  // seconds for a lock another connection holds.
  explicit SqlFile(const std::string& path, int flags = SQLITE_OPEN_READWRITE);
  ~SqlFile();
  SqlFile(const SqlFile&) = delete;
  SqlFile& operator=(const SqlFile&) = delete;

  // Runs one or more statements.
  void Exec(const std::string& sql);
  // Every row of a query, each as its column texts ("NULL" for a Null value).
  std::vector<std::vector<std::string>> Rows(const std::string& sql);
  // The first column of the first row, "(none)" when there is no row.
  std::string Value(const std::string& sql);
  // Every row with each field followed by "|" and each row by a line break.
  std::string Dump(const std::string& sql);
  // Every row of each table in rowid order, as Dump gives them.
  std::string DumpTables(std::initializer_list<const char*> tables);
  // Every row with its fields joined by "|".
  std::vector<std::string> Lines(const std::string& sql);

  sqlite3* Handle() { return db_; }

 private:
  // Throws the connection's last error, saying what was being done.
  [[noreturn]] void Fail(const std::string& doing) const;

  std::string path_;
  sqlite3* db_ = nullptr;
};

}  // namespace testsupport
