// The PostgreSQL engine of the record store: a Connection over one schema of a
// server database, through libpq. Statements are prepared on the server once
// per session (parameters ?N become $N) and run with their values sent as text
// (binary for Long Binary). A connection holds no session of its own: it
// borrows one from the process's SessionHub for a user action (shared by every
// connection of the thread on the same URI, whatever the schema: each request
// sets the search path when the session last served another), for a
// transaction (its own until the end), or for one request, so a workstation
// needs one session however many workspaces and tables it has open, and the
// prepared statements stay with the session. Every server failure becomes
// a RuntimeError with the number SQLite's engine gives for the same cause.
// A connection lost outside a transaction is made again at the next request
// (a read is asked again once); one lost inside a transaction is never made
// again behind the caller's back: every statement of that transaction raises
// 3043 until it is rolled back. A request whose answer did not come whole is
// a failure, and a commit whose answer was lost is settled by asking the
// server what became of the transaction (pg_requests.cpp).
// Relies on libpq, ServerLink, SessionHub, ServerSource and the record store's errors.
#pragma once

#include <libpq-fe.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "services/base/runtime_error.h"
#include "services/recordstore/connection.h"
#include "services/recordstore/data_source.h"
#include "services/recordstore/pg_session.h"

namespace recordstore {

class PgConnection;

class PgStatement : public Statement {
 public:
  PgStatement(PgConnection& connection, const std::string& sql, std::string table);
  ~PgStatement() override;

  void Bind(int index, const SqlValue& value) override;
  bool Step() override;
  WriteOutcome Write() override;
  void ReadColumn(int index, SqlValue& out) const override;
  int64_t ColumnInt(int index) const override;
  void Reset() override;
  bool Kept() const override;

  const std::string& Sql() const { return sql_; }
  const std::vector<SqlValue>& Params() const { return params_; }

 private:
  PgConnection& connection_;
  std::string sql_;  // with $N parameters
  std::vector<SqlValue> params_;
  PGresult* result_ = nullptr;
  int row_ = -1;
};

class PgConnection : public Connection {
 public:
  // Connects to the server data source `path` (see data_source.h): 3024 when
  // the server, the database or the schema is not there.
  static std::shared_ptr<Connection> OpenSource(const std::string& path, int lockWaitMs);
  ~PgConnection() override;

  Engine Kind() const override { return Engine::kPostgres; }
  bool IsOpen() const override { return open_; }
  void Close() override;
  Statement& Prepare(const std::string& sql, const std::string& table) override;
  void Execute(const std::string& sql) override;
  void ExecuteQuietly(const std::string& sql) override;
  void BeginWrite() override;
  void Commit(bool force) override;
  bool InTransaction() const override { return inTransaction_; }
  void ForgetRowCounts() override;
  uint64_t WriteEpoch() const override { return writeEpoch_; }
  uint64_t RoundTrips() const override { return roundTrips_; }
  const std::string& Schema() const { return source_.schema; }
  // What names this connection's schema on its server, whatever file name
  // the path gave it: the key of what the process keeps of the schema.
  std::string SchemaKey() const { return source_.uri + '\n' + source_.schema; }

  // Used by PgStatement: runs it (preparing it first in this session) and
  // returns its result, or raises the mapped error. A write inside a
  // transaction runs under a savepoint, so that a refused write leaves the
  // transaction usable, as on SQLite.
  PGresult* Run(const PgStatement& statement, bool write);
  // True when `statement` would be answered from what the session kept.
  bool Kept(const PgStatement& statement);
  // Raises the run-time error of a failed result, naming `table`.
  [[noreturn]] void Fail(PGresult* result, const std::string& table);

 private:
  PgConnection(ServerSource source, std::string path, int lockWaitMs);
  // What was under way when a connection was lost, for the message.
  enum class LostDuring { kRequest, kUnconfirmedWrite, kCommit };
  // The answers of one pipelined request.
  struct PipelineAnswer {
    PGresult* result = nullptr;  // the statement's
    bool complete = false;       // every answer and the closing sync came
  };

  // Ends a request made outside any transaction and user action: the
  // session lent for it goes back to the hub, whatever happened.
  struct RequestEnd {
    explicit RequestEnd(PgConnection& connection) : connection(connection) {}
    ~RequestEnd() { connection.EndRequest(); }
    PgConnection& connection;
  };

  // Borrows a session and checks that the schema is there and usable.
  void Open();
  // The open's 3024 for a server that could not be reached or refused us.
  base::RuntimeError Unreachable(const std::string& reason) const;
  // The session this connection works on now: its transaction's, else the one
  // its thread holds for the user action under way, else the one lent for
  // this request (null when it has none); and where that one is kept.
  PgSession* Current();
  std::unique_ptr<PgSession>& Holder();
  // Where a session outside a transaction is kept: the thread's for the user
  // action under way, else this request's.
  std::unique_ptr<PgSession>& Shared();
  // Borrows a session from the hub into Holder() unless it holds one.
  void Borrow();
  // The SET statements that fit `session` to this connection (its schema on
  // the search path, its lock wait), noted as done.
  std::vector<std::string> SetupStatements(PgSession& session) const;
  // Before a request: a session, a lost one replaced, unless a transaction
  // was under way on it (3043, and the transaction counts as lost).
  void EnsureSession();
  // Forgets the session (lost), with the idle ones of this source.
  void DropSession();
  // Gives back the session of a request outside transactions and actions.
  void EndRequest();
  // Gives back the session of a transaction that ended.
  void EndTransaction();
  void CountRoundTrip();
  // A simple query on the current session, fitted to this connection first,
  // with the wait bounded; its result, which the caller clears, or nullptr
  // when no answer came.
  PGresult* Exec(const std::string& sql);
  // Sends the statement (with its savepoint and prepare when needed) as one
  // pipelined request and reads every answer. The reads `ahead` (statements
  // prepared already) follow it in the same request, and their answers are
  // kept for the action `stamp`.
  PipelineAnswer SendPipeline(const PgStatement& statement, bool savepoint,
                              const std::vector<const AskedRead*>& ahead = {}, uint64_t stamp = 0);
  // The reads likely to follow `statement` (what followed it last time, else
  // what the action before read), in this schema, that go out with the first
  // request of the action `stamp`; notes the read `key` (null for a write) as
  // asked in it.
  std::vector<const AskedRead*> LikelyReads(uint64_t stamp, const std::string* key,
                                            const PgStatement& statement);
  // The best words for why a request failed: the server's notice of a lost
  // session (FATAL: terminating connection ...), else the result's or libpq's.
  std::string Detail(const PGresult* result);
  // Marks the session lost (and a transaction under way with it) and raises 3043.
  [[noreturn]] void Lost(const std::string& detail, LostDuring during = LostDuring::kRequest);
  // Run's ends of a failed request: a lost session dropped (returns only to
  // ask a read again), a failed write in a transaction undone.
  void DropLostSession(PGresult* result, bool write, int attempt);
  void UndoFailedWrite(PGresult* result);
  // After a COMMIT whose answer was lost: asks a new session whether the
  // transaction `txid_` committed; returns when it did, raises 3043 otherwise.
  void SettleCommit(const std::string& detail, int formerPid);
  bool SessionBroken();
  std::optional<int64_t> CountRows(const std::string& table, std::string& stamp) override;

  ServerSource source_;
  std::unique_ptr<PgSession> own_;      // a transaction's session, its own until it ends
  std::unique_ptr<PgSession> request_;  // lent for one request outside actions
  bool open_ = false;
  bool inTransaction_ = false;
  bool transactionLost_ = false;
  std::string txid_;  // the server's id of the transaction under way
  uint64_t writeEpoch_ = 0;
  uint64_t roundTrips_ = 0;
  std::unordered_map<std::string, std::unique_ptr<PgStatement>> statements_;
};

// What identifies a read's answer within one action: the schema it ran in,
// its text and its values.
std::string ResultKey(const std::string& schema, const PgStatement& statement);

// The statement that puts `schema` on a session's search path.
std::string SearchPathStatement(PGconn* conn, const std::string& schema);

// "?N" parameters outside quotes rewritten as "$N".
std::string DollarParameters(const std::string& sql);

}  // namespace recordstore
