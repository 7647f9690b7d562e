// Connection: one open SQLite database file of a workspace, shared by the
// Database object and its recordsets, with a cache of prepared statements and
// the cached row counts. Statement: a prepared statement that is bound,
// stepped and reset at once, so that no read transaction outlives a call.
// Relies on SQLite 3 and the record store's errors.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

#include "services/recordstore/sql_value.h"

namespace recordstore {

class Connection;

class Statement {
 public:
  Statement(Connection& connection, sqlite3_stmt* stmt, std::string table);
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  // Binds a value to parameter `index` (1-based); the value is copied.
  void Bind(int index, const SqlValue& value);
  void BindInt(int index, int64_t value);
  // Steps once: true when a row is ready, false when done; other outcomes
  // raise the mapped run-time error.
  bool Step();
  // Steps once and returns SQLite's result code, for callers that map some
  // outcomes themselves (constraint failures).
  int StepCode();
  // Reads column `index` (0-based) of the current row into `out`.
  void ReadColumn(int index, SqlValue& out) const;
  int64_t ColumnInt(int index) const;
  // Resets the statement and clears its bindings.
  void Reset();
  const std::string& Table() const { return table_; }

 private:
  Connection& connection_;
  sqlite3_stmt* stmt_;
  std::string table_;
};

// Resets a statement when the scope ends, whatever happens inside it.
class StatementScope {
 public:
  explicit StatementScope(Statement& statement) : statement_(statement) {}
  ~StatementScope() { statement_.Reset(); }
  StatementScope(const StatementScope&) = delete;
  StatementScope& operator=(const StatementScope&) = delete;

 private:
  Statement& statement_;
};

class Connection {
 public:
  // Opens an existing database file shared and writable (WAL journal), never
  // creating it; `lockWaitMs` bounds every wait for a lock. A file that SQLite
  // cannot read in place because its folder may not be written is read from a
  // private copy, when no other program has it open; writes then raise 3027
  // with the cause.
  static std::shared_ptr<Connection> Open(const std::string& path, int lockWaitMs);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  bool IsOpen() const { return db_ != nullptr; }
  sqlite3* Handle() const { return db_; }
  const std::string& Path() const { return path_; }
  int LockWaitMs() const { return lockWaitMs_; }
  // Finalizes the statements and closes the file (an open transaction is
  // rolled back by SQLite).
  void Close();

  // The prepared statement for `sql`, made once and kept; `table` names what
  // the statement works on, for error messages.
  Statement& Prepare(const std::string& sql, const std::string& table);
  // Runs a statement that returns no rows (transaction control, pragmas).
  void Execute(const std::string& sql);
  // True while an explicit transaction is open on this connection.
  bool InTransaction() const;

  // Row count of `table`, counted again only after another connection has
  // committed or the count was forgotten.
  int64_t RowCount(const std::string& table);
  // Adjusts a cached count after this connection added or removed rows.
  void AdjustRowCount(const std::string& table, int64_t delta);
  // Forgets all counts (after a rollback).
  void ForgetRowCounts();
  // A number that changes whenever this connection has written or rolled back:
  // rows read while it stays the same are unchanged by this connection.
  uint64_t WriteEpoch() const;

  // Raises the run-time error for SQLite result `rc`, naming `table` (may be
  // empty) and this connection's file.
  [[noreturn]] void Fail(int rc, const std::string& table) const;

 private:
  Connection(sqlite3* db, std::string path, int lockWaitMs);
  // Opens `copy`, a private copy of `path`, for reading only; `cause` says why
  // `path` itself could not be opened, for the errors of later writes.
  static std::shared_ptr<Connection> OpenCopy(const std::string& path, const std::string& copy,
                                              const std::string& cause, int lockWaitMs);
  struct CountCache {
    int64_t count = 0;
    int64_t dataVersion = -1;
  };
  // SQLite's data version: it changes when another connection commits.
  int64_t DataVersion();

  sqlite3* db_;
  std::string path_;
  int lockWaitMs_;
  std::unordered_map<std::string, std::unique_ptr<Statement>> statements_;
  std::unordered_map<std::string, CountCache> counts_;
  uint64_t rollbacks_ = 0;
  std::string copyFolder_;     // the folder of the private copy read instead, removed at Close
  std::string readOnlyCause_;  // why the file was opened for reading only, or ""
  int folderFd_ = -1;          // the folder held open for a path beyond SQLite's limit
};

// An identifier in double quotes, inner quotes doubled.
std::string QuoteName(const std::string& name);

}  // namespace recordstore
