// The SQLite engine of the record store: a Connection over one database file
// and its prepared statements. Files are opened without the create flag,
// switched to the WAL journal so that readers and one writer share them, and
// given a bounded busy wait. Relies on SQLite 3 and the record store's errors.
#pragma once

#include <sqlite3.h>

#include <memory>
#include <string>
#include <unordered_map>

#include "services/recordstore/connection.h"

namespace recordstore {

class SqliteConnection;

class SqliteStatement : public Statement {
 public:
  SqliteStatement(SqliteConnection& connection, sqlite3_stmt* stmt, std::string table);
  ~SqliteStatement() override;

  void Bind(int index, const SqlValue& value) override;
  bool Step() override;
  WriteOutcome Write() override;
  void ReadColumn(int index, SqlValue& out) const override;
  int64_t ColumnInt(int index) const override;
  void Reset() override;

 private:
  SqliteConnection& connection_;
  sqlite3_stmt* stmt_;
};

class SqliteConnection : public Connection {
 public:
  // Opens an existing database file (see Connection::Open). A file that SQLite
  // cannot read in place because its folder may not be written is read from a
  // private copy, when no other program has it open; writes then raise 3027
  // with the cause.
  static std::shared_ptr<Connection> OpenFile(const std::string& path, int lockWaitMs);
  ~SqliteConnection() override;

  Engine Kind() const override { return Engine::kSqlite; }
  bool IsOpen() const override { return db_ != nullptr; }
  sqlite3* Handle() const { return db_; }
  void Close() override;
  Statement& Prepare(const std::string& sql, const std::string& table) override;
  void Execute(const std::string& sql) override;
  void ExecuteQuietly(const std::string& sql) override;
  void BeginWrite() override;
  void Commit(bool force) override;
  bool InTransaction() const override;
  void ForgetRowCounts() override;
  uint64_t WriteEpoch() const override;

  // Raises the run-time error for SQLite result `rc`, naming `table` (may be
  // empty) and this connection's file.
  [[noreturn]] void Fail(int rc, const std::string& table) const;
  // Raises 3043 when the file this connection has open is no longer the one
  // its path names (deleted, renamed away or replaced since it was opened):
  // a write would go where no program opening the path will find it.
  void CheckFileInPlace() const;

 private:
  SqliteConnection(sqlite3* db, std::string path, int lockWaitMs);
  // Opens `copy`, a private copy of `path`, for reading only; `cause` says why
  // `path` itself could not be opened, for the errors of later writes.
  static std::shared_ptr<Connection> OpenCopy(const std::string& path, const std::string& copy,
                                              const std::string& cause, int lockWaitMs);
  std::optional<int64_t> CountRows(const std::string& table, std::string& stamp) override;
  // SQLite's data version: it changes when another connection commits.
  int64_t DataVersion();
  // Writes the file and its WAL through to the disk after a commit made with
  // synchronous=NORMAL, so that the commit survives a power failure.
  void SyncToDisk();

  sqlite3* db_;
  std::unordered_map<std::string, std::unique_ptr<Statement>> statements_;
  uint64_t rollbacks_ = 0;
  std::string copyFolder_;     // the folder of the private copy read instead, removed at Close
  std::string readOnlyCause_;  // why the file was opened for reading only, or ""
  int folderFd_ = -1;          // the folder held open for a path beyond SQLite's limit
};

}  // namespace recordstore
