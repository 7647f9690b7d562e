// Connection: one open database of a workspace (a SQLite file, or a schema of
// a PostgreSQL database), shared by the Database object and its recordsets,
// with a cache of prepared statements and of row counts. Statement: a prepared
// statement that is bound, stepped and reset at once, so that no read
// transaction outlives a call. Both are small interfaces with one
// implementation per engine (sqlite_connection.cpp, pg_connection.cpp); the
// recordset, walk and transaction logic above them is one body: it asks Kind()
// where the engines' SQL differs and leaves to the engine the outcome of a
// write, transaction control and error mapping. Relies on SqlValue and the
// record store's errors.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "services/recordstore/sql_value.h"

namespace recordstore {

// The engines a data source can be on.
enum class Engine { kSqlite, kPostgres };

// What a statement that writes did. Failures other than these (locks, a
// read-only database, a lost connection) are raised by Write itself.
struct WriteOutcome {
  enum class Kind { Done, Duplicate, NotNull, Rule };
  Kind kind = Kind::Done;
  int64_t changes = 0;              // rows written (Done)
  int64_t insertedId = 0;           // the new row's identity (an INSERT, Done)
  std::string index;                // Duplicate: the index's engine name when known
  std::vector<std::string> fields;  // Duplicate: the key fields when known
  std::string message;              // the engine's own words
};

class Statement {
 public:
  explicit Statement(std::string table) : table_(std::move(table)) {}
  virtual ~Statement() = default;
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  // Binds a value to parameter `index` (1-based); the value is copied.
  virtual void Bind(int index, const SqlValue& value) = 0;
  void BindInt(int index, int64_t value) { Bind(index, SqlValue::Int(value)); }
  // Steps once: true when a row is ready, false when done; other outcomes
  // raise the mapped run-time error.
  virtual bool Step() = 0;
  // Runs a statement that writes (INSERT, UPDATE, DELETE) and resets it.
  virtual WriteOutcome Write() = 0;
  // Reads column `index` (0-based) of the current row into `out`.
  virtual void ReadColumn(int index, SqlValue& out) const = 0;
  virtual int64_t ColumnInt(int index) const = 0;
  // Resets the statement and clears its bindings.
  virtual void Reset() = 0;
  // True when running it now, as bound, would cost no request: a server read
  // answered earlier in this user action, or sent ahead with its first request.
  virtual bool Kept() const { return false; }
  const std::string& Table() const { return table_; }

 private:
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
  // Opens an existing database shared and writable, never creating it: a
  // SQLite file path, or a server data source ("postgresql://...\MAIN.MDB");
  // `lockWaitMs` bounds every wait for a lock.
  static std::shared_ptr<Connection> Open(const std::string& path, int lockWaitMs);
  virtual ~Connection() = default;
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  virtual Engine Kind() const = 0;
  virtual bool IsOpen() const = 0;
  // The file, or the server data source without its password: the identity
  // of the database and the name messages give it.
  const std::string& Path() const { return path_; }
  int LockWaitMs() const { return lockWaitMs_; }
  // A number no other connection of this process has had: two sources may
  // show the same path (a server reached through a service name), and a
  // connection may take a closed one's place in memory.
  uint64_t Serial() const { return serial_; }
  // Finalizes the statements and closes the database (an open transaction is
  // rolled back).
  virtual void Close() = 0;

  // The prepared statement for `sql`, made once and kept; `table` names what
  // the statement works on, for error messages. Parameters are written ?1, ?2.
  virtual Statement& Prepare(const std::string& sql, const std::string& table) = 0;
  // Runs statements that return no rows (transaction control, pragmas).
  virtual void Execute(const std::string& sql) = 0;
  // Runs statements whose failure changes nothing worth reporting (a rollback
  // after another failure).
  virtual void ExecuteQuietly(const std::string& sql) = 0;
  // Starts a write transaction (SQLite takes the file's write lock at once).
  virtual void BeginWrite() = 0;
  // Commits the transaction; `force` writes it through to the disk.
  virtual void Commit(bool force) = 0;
  // True while an explicit transaction is open on this connection.
  virtual bool InTransaction() const = 0;

  // Row count of `table` (the engine's name), counted again only after
  // another connection may have committed or the count was forgotten. The
  // counts are kept here; the engine counts (CountRows).
  int64_t RowCount(const std::string& table);
  // Adjusts a cached count after this connection added or removed rows.
  void AdjustRowCount(const std::string& table, int64_t delta);
  // Forgets all counts (after a rollback); an engine also notes the rollback.
  virtual void ForgetRowCounts();
  // A number that changes whenever this connection has written or rolled back:
  // rows read while it stays the same are unchanged by this connection.
  virtual uint64_t WriteEpoch() const = 0;
  // Requests sent to a database server and answered (0 on SQLite).
  virtual uint64_t RoundTrips() const { return 0; }

 protected:
  Connection(std::string path, int lockWaitMs);

  // The rows of `table` counted now, or std::nullopt when the table cannot
  // have changed since the count kept with `stamp`. `stamp` is what tells
  // (SQLite's data version, the server's snapshot); "" before the first
  // count. A count updates it.
  virtual std::optional<int64_t> CountRows(const std::string& table, std::string& stamp) = 0;

 private:
  // A kept row count and the stamp it was counted under.
  struct CountCache {
    int64_t count = 0;
    std::string stamp;
  };

  std::unordered_map<std::string, CountCache> counts_;
  std::string path_;
  int lockWaitMs_;
  uint64_t serial_;
};

// An identifier in double quotes, inner quotes doubled.
std::string QuoteName(const std::string& name);

// Requests sent to database servers and answered, over every connection of
// this process (benchmarks read it around an action).
uint64_t ServerRoundTrips();

}  // namespace recordstore
