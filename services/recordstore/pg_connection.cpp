// Connection and Statement over libpq, the session pool, and the mapping of
// the server's SQLSTATE codes to the classic error numbers.
#include "services/recordstore/pg_connection.h"

#include <cassert>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <utility>

#include "services/base/c_numbers.h"
#include "services/base/user_action.h"
#include "services/recordstore/db_engine.h"
#include "services/recordstore/store_errors.h"

namespace recordstore {

// A server connection with the statements prepared on it (by $N SQL text).
struct PgSession {
  PGconn* conn = nullptr;
  std::unordered_map<std::string, std::string> prepared;
  int nextName = 0;
  int lockWaitMs = -1;
  ~PgSession() {
    if (conn != nullptr) PQfinish(conn);
  }
};

namespace {

// Requests answered by servers in this process, over all connections.
uint64_t totalRoundTrips = 0;

// Sessions kept for reuse, by URI and schema. A few per data source are
// enough: a program holds a handful of workspaces at once.
std::map<std::string, std::vector<std::unique_ptr<PgSession>>>& SessionPool() {
  static std::map<std::string, std::vector<std::unique_ptr<PgSession>>> pool;
  return pool;
}
constexpr size_t kKeptSessionsPerSource = 4;

std::string PoolKey(const ServerSource& source) { return source.uri + '\n' + source.schema; }

// A libpq message on one line, without its trailing line break.
std::string OneLine(const char* text) {
  std::string line;
  for (const char* c = text != nullptr ? text : ""; *c != '\0'; ++c) {
    if (*c == '\n' || *c == '\t') {
      if (!line.empty() && line.back() != ' ') line += ' ';
    } else {
      line += *c;
    }
  }
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line;
}

// The SQLSTATE of a failed result ("" when the server sent none).
std::string StateOf(const PGresult* result) {
  const char* state = result != nullptr ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
  return state != nullptr ? state : "";
}

// The server's own words for a failed result.
std::string MessageOf(const PGresult* result, PGconn* conn) {
  const char* primary =
      result != nullptr ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
  return OneLine(primary != nullptr ? primary : PQerrorMessage(conn));
}

bool Succeeded(const PGresult* result) {
  ExecStatusType status = PQresultStatus(result);
  return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
}

// Classes of SQLSTATE that mean the connection itself is gone.
bool ConnectionState(const std::string& state) {
  return state.rfind("08", 0) == 0 || state == "57P01" || state == "57P02" || state == "57P03";
}

// Type OIDs of the server's built-in types that the store reads as numbers.
constexpr Oid kBoolOid = 16, kByteaOid = 17, kInt8Oid = 20, kInt2Oid = 21, kInt4Oid = 23,
              kFloat4Oid = 700, kFloat8Oid = 701, kNumericOid = 1700;

}  // namespace

uint64_t ServerRoundTrips() { return totalRoundTrips; }

bool ServerDatabaseExists(const std::string& path) {
  try {
    PgConnection::OpenSource(path, DBEngine::Instance()->LockWaitMilliseconds())->Close();
    return true;
  } catch (const base::RuntimeError&) {
    return false;
  }
}

std::string DollarParameters(const std::string& sql) {
  std::string out;
  char quote = 0;
  for (size_t i = 0; i < sql.size(); ++i) {
    char c = sql[i];
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '\'' || c == '"') {
      quote = c;
    } else if (c == '?' && i + 1 < sql.size() && sql[i + 1] >= '0' && sql[i + 1] <= '9') {
      c = '$';
    }
    out += c;
  }
  return out;
}

// --- PgStatement ---

PgStatement::PgStatement(PgConnection& connection, const std::string& sql, std::string table)
    : Statement(std::move(table)), connection_(connection), sql_(DollarParameters(sql)) {}

PgStatement::~PgStatement() { Reset(); }

void PgStatement::Bind(int index, const SqlValue& value) {
  assert(index >= 1);
  if (params_.size() < static_cast<size_t>(index)) params_.resize(index);
  params_[index - 1] = value;
}

bool PgStatement::Step() {
  if (result_ == nullptr) {
    PGresult* result = connection_.Run(*this, false);
    // A key that cannot be a value of its field (a text for a number) matches
    // no row, as on SQLite.
    if (StateOf(result) == "22P02" && !connection_.InTransaction()) {
      PQclear(result);
      return false;
    }
    if (!Succeeded(result)) connection_.Fail(result, Table());
    result_ = result;
    row_ = -1;
  }
  return ++row_ < PQntuples(result_);
}

WriteOutcome PgStatement::Write() {
  PGresult* result = connection_.Run(*this, true);
  WriteOutcome outcome;
  if (Succeeded(result)) {
    outcome.changes = std::atoll(PQcmdTuples(result));
    if (PQresultStatus(result) == PGRES_TUPLES_OK && PQntuples(result) > 0) {
      outcome.insertedId = std::atoll(PQgetvalue(result, 0, 0));
    }
    PQclear(result);
    params_.clear();
    return outcome;
  }
  const std::string state = StateOf(result);
  outcome.message = MessageOf(result, nullptr);
  if (state == "23505") {
    outcome.kind = WriteOutcome::Kind::Duplicate;
    const char* constraint = PQresultErrorField(result, PG_DIAG_CONSTRAINT_NAME);
    outcome.index = constraint != nullptr ? constraint : "";
  } else if (state == "23502") {
    outcome.kind = WriteOutcome::Kind::NotNull;
  } else if (state.rfind("23", 0) == 0) {
    outcome.kind = WriteOutcome::Kind::Rule;
    // A CHECK named after its field (or "table_field_check") names the field.
    const char* constraint = PQresultErrorField(result, PG_DIAG_CONSTRAINT_NAME);
    const char* column = PQresultErrorField(result, PG_DIAG_COLUMN_NAME);
    if (column != nullptr) {
      outcome.fields.push_back(column);
    } else if (constraint != nullptr) {
      outcome.fields.push_back(constraint);
    }
  } else {
    params_.clear();
    connection_.Fail(result, Table());
  }
  PQclear(result);
  params_.clear();
  return outcome;
}

void PgStatement::ReadColumn(int index, SqlValue& out) const {
  assert(result_ != nullptr && row_ >= 0 && row_ < PQntuples(result_));
  if (PQgetisnull(result_, row_, index)) {
    out.kind = SqlValue::Kind::Null;
    return;
  }
  const char* text = PQgetvalue(result_, row_, index);
  switch (PQftype(result_, index)) {
    case kBoolOid:
      out.kind = SqlValue::Kind::Integer;
      out.integer = text[0] == 't' ? 1 : 0;
      break;
    case kInt2Oid:
    case kInt4Oid:
    case kInt8Oid:
      out.kind = SqlValue::Kind::Integer;
      out.integer = std::strtoll(text, nullptr, 10);
      break;
    case kFloat4Oid:
    case kFloat8Oid:
    case kNumericOid: {
      out.kind = SqlValue::Kind::Real;
      base::NumbersInC c;
      out.real = std::strtod(text, nullptr);
      break;
    }
    case kByteaOid: {
      size_t length = 0;
      unsigned char* bytes = PQunescapeBytea(reinterpret_cast<const unsigned char*>(text), &length);
      out.kind = SqlValue::Kind::Blob;
      out.bytes.assign(reinterpret_cast<const char*>(bytes), bytes != nullptr ? length : 0);
      PQfreemem(bytes);
      break;
    }
    default:
      out.kind = SqlValue::Kind::Text;
      out.bytes.assign(text, PQgetlength(result_, row_, index));
      break;
  }
}

int64_t PgStatement::ColumnInt(int index) const {
  assert(result_ != nullptr && row_ >= 0 && row_ < PQntuples(result_));
  return std::strtoll(PQgetvalue(result_, row_, index), nullptr, 10);
}

void PgStatement::Reset() {
  if (result_ != nullptr) PQclear(result_);
  result_ = nullptr;
  row_ = -1;
  params_.clear();
}

// --- PgConnection ---

PgConnection::PgConnection(ServerSource source, std::string path, int lockWaitMs)
    : Connection(std::move(path), lockWaitMs), source_(std::move(source)) {}

PgConnection::~PgConnection() { Close(); }

std::shared_ptr<Connection> PgConnection::OpenSource(const std::string& path, int lockWaitMs) {
  ServerSource source = ParseServerPath(path);
  std::string shown = source.display;
  std::shared_ptr<PgConnection> connection(
      new PgConnection(std::move(source), std::move(shown), lockWaitMs));
  connection->Connect();
  connection->open_ = true;
  return connection;
}

bool PgConnection::SessionBroken() const {
  return session_ == nullptr || PQstatus(session_->conn) != CONNECTION_OK;
}

void PgConnection::Connect() {
  session_.reset();
  auto& kept = SessionPool()[PoolKey(source_)];
  while (!kept.empty() && session_ == nullptr) {
    std::unique_ptr<PgSession> candidate = std::move(kept.back());
    kept.pop_back();
    if (PQstatus(candidate->conn) == CONNECTION_OK &&
        PQtransactionStatus(candidate->conn) == PQTRANS_IDLE) {
      session_ = std::move(candidate);
    }
  }
  std::string setup;
  if (session_ == nullptr) {
    auto session = std::make_unique<PgSession>();
    session->conn = PQconnectdb(source_.uri.c_str());
    ++roundTrips_;
    ++totalRoundTrips;
    if (session->conn == nullptr || PQstatus(session->conn) != CONNECTION_OK) {
      std::string reason =
          session->conn != nullptr ? OneLine(PQerrorMessage(session->conn)) : "out of memory";
      throw FileNotFound(Path(), ": cannot connect to database '" + source_.database +
                                     "' on server " + source_.host + " (" + reason + ")");
    }
    session_ = std::move(session);
    char* schema =
        PQescapeIdentifier(session_->conn, source_.schema.c_str(), source_.schema.size());
    // No parallel plans: a window's statement relies on the parts of a UNION
    // ALL coming back in order, and its index seeks gain nothing from workers.
    // Generic plans from the first run: a plan made for the values bound judges
    // a row comparison by its first key alone and may sort a whole company.
    setup =
        "SET client_encoding TO 'UTF8'; SET max_parallel_workers_per_gather = 0; "
        "SET plan_cache_mode = force_generic_plan; "
        "SET search_path TO " +
        std::string(schema) + "; ";
    PQfreemem(schema);
  }
  if (session_->lockWaitMs != LockWaitMs()) {
    // A lock wait that ends after the store's wait raises 3260, as on SQLite.
    setup += "SET lock_timeout = " + std::to_string(LockWaitMs() > 0 ? LockWaitMs() : 1) + "; ";
    session_->lockWaitMs = LockWaitMs();
  }
  if (setup.empty()) return;
  char* literal = PQescapeLiteral(session_->conn, source_.schema.c_str(), source_.schema.size());
  setup += "SELECT 1 FROM pg_namespace WHERE nspname = " + std::string(literal);
  PQfreemem(literal);
  PGresult* result = Exec(setup);
  bool ok = Succeeded(result);
  bool schemaFound = ok && PQntuples(result) > 0;
  std::string message = ok ? "" : MessageOf(result, session_->conn);
  PQclear(result);
  if (!ok) {
    session_.reset();
    throw FileNotFound(Path(), ": database '" + source_.database + "' on server " + source_.host +
                                   " refused the connection (" + message + ")");
  }
  if (!schemaFound) {
    session_.reset();
    throw FileNotFound(Path(), ": database '" + source_.database + "' on server " + source_.host +
                                   " has no schema '" + source_.schema + "'");
  }
}

void PgConnection::Close() {
  if (!open_) return;
  open_ = false;
  statements_.clear();
  if (session_ != nullptr && !SessionBroken()) {
    if (PQtransactionStatus(session_->conn) != PQTRANS_IDLE) {
      PQclear(Exec("ROLLBACK"));
    }
    auto& kept = SessionPool()[PoolKey(source_)];
    if (PQtransactionStatus(session_->conn) == PQTRANS_IDLE &&
        kept.size() < kKeptSessionsPerSource) {
      kept.push_back(std::move(session_));
    }
  }
  session_.reset();
  inTransaction_ = false;
  transactionLost_ = false;
}

PGresult* PgConnection::Exec(const std::string& sql) {
  ++roundTrips_;
  ++totalRoundTrips;
  return PQexec(session_->conn, sql.c_str());
}

void PgConnection::Lost(const std::string& detail) {
  if (inTransaction_) transactionLost_ = true;
  std::string what = "The connection to server " + source_.host + " (database '" +
                     source_.database + "') was lost";
  if (inTransaction_) what += " during a transaction, whose changes were not made";
  throw base::RuntimeError(base::error::kDiskError, what + " (" + detail + ").");
}

void PgConnection::EnsureSession() {
  if (!open_) throw ObjectClosed("database '" + Path() + "'");
  if (transactionLost_) {
    throw base::RuntimeError(base::error::kDiskError,
                             "The connection to server " + source_.host + " (database '" +
                                 source_.database +
                                 "') was lost during a transaction, whose changes were not made; "
                                 "roll the transaction back to go on.");
  }
  if (!SessionBroken()) return;
  try {
    Connect();
  } catch (const base::RuntimeError& e) {
    throw base::RuntimeError(base::error::kDiskError,
                             "The connection to server " + source_.host + " (database '" +
                                 source_.database +
                                 "') was lost and could not be made again: " + e.Description());
  }
}

PGresult* PgConnection::Run(const PgStatement& statement, bool write) {
  // The parameter values as text (Long Binary as bytes), kept alive here.
  const std::vector<SqlValue>& params = statement.Params();
  std::vector<std::string> texts(params.size());
  std::vector<const char*> values(params.size());
  std::vector<int> lengths(params.size()), formats(params.size());
  for (size_t i = 0; i < params.size(); ++i) {
    const SqlValue& value = params[i];
    switch (value.kind) {
      case SqlValue::Kind::Null:
        values[i] = nullptr;
        continue;
      case SqlValue::Kind::Integer:
        texts[i] = std::to_string(value.integer);
        break;
      case SqlValue::Kind::Real: {
        char buffer[32];
        base::NumbersInC c;
        std::snprintf(buffer, sizeof buffer, "%.17g", value.real);
        texts[i] = buffer;
        break;
      }
      case SqlValue::Kind::Blob:
        formats[i] = 1;
        [[fallthrough]];
      case SqlValue::Kind::Text:
        texts[i] = value.bytes;
        break;
    }
    values[i] = texts[i].data();
    lengths[i] = static_cast<int>(texts[i].size());
  }
  for (int attempt = 0;; ++attempt) {
    EnsureSession();
    PGconn* conn = session_->conn;
    auto found = session_->prepared.find(statement.Sql());
    const bool prepare = found == session_->prepared.end();
    const std::string name = prepare ? "s" + std::to_string(session_->nextName++) : found->second;
    const bool savepoint = write && inTransaction_;
    // One request: the savepoint, the prepare, the statement and the release
    // go out together in a pipeline and cost one round trip.
    PGresult* result = nullptr;
    PGresult* firstError = nullptr;
    bool prepared = !prepare;
    if (PQenterPipelineMode(conn) == 1) {
      std::vector<int> kinds;  // 0 savepoint or release, 1 prepare, 2 the statement
      if (savepoint) {
        PQsendQueryParams(conn, "SAVEPOINT dorvane_write", 0, nullptr, nullptr, nullptr, nullptr,
                          0);
        kinds.push_back(0);
      }
      if (prepare) {
        PQsendPrepare(conn, name.c_str(), statement.Sql().c_str(), 0, nullptr);
        kinds.push_back(1);
      }
      PQsendQueryPrepared(conn, name.c_str(), static_cast<int>(params.size()), values.data(),
                          lengths.data(), formats.data(), 0);
      kinds.push_back(2);
      if (savepoint) {
        PQsendQueryParams(conn, "RELEASE SAVEPOINT dorvane_write", 0, nullptr, nullptr, nullptr,
                          nullptr, 0);
        kinds.push_back(0);
      }
      PQpipelineSync(conn);
      ++roundTrips_;
      ++totalRoundTrips;
      for (int kind : kinds) {
        PGresult* answer = PQgetResult(conn);
        if (answer == nullptr) break;  // the connection went
        while (PGresult* extra = PQgetResult(conn)) PQclear(extra);
        if (kind == 1) prepared = Succeeded(answer);
        if (kind == 2) {
          result = answer;
        } else if (!Succeeded(answer) && PQresultStatus(answer) != PGRES_PIPELINE_ABORTED &&
                   firstError == nullptr) {
          firstError = answer;
        } else {
          PQclear(answer);
        }
      }
      if (PGresult* sync = PQgetResult(conn)) PQclear(sync);
      PQexitPipelineMode(conn);
    }
    if (prepare && prepared) session_->prepared.emplace(statement.Sql(), name);
    // A failed savepoint or prepare is the request's error.
    if (firstError != nullptr && !Succeeded(result)) {
      PQclear(result);
      result = firstError;
      firstError = nullptr;
    }
    PQclear(firstError);
    if (write) base::ActionWrote();
    if (Succeeded(result)) {
      if (write) ++writeEpoch_;
      return result;
    }
    if (SessionBroken() || ConnectionState(StateOf(result))) {
      std::string detail = MessageOf(result, conn);
      PQclear(result);
      // The kept sessions of this source went with the server, most likely.
      SessionPool().erase(PoolKey(source_));
      session_.reset();
      // A read outside a transaction is asked again once on a new session.
      if (!write && !inTransaction_ && attempt == 0) continue;
      Lost(detail);
    }
    if (savepoint) {
      PQclear(Exec("ROLLBACK TO SAVEPOINT dorvane_write; RELEASE SAVEPOINT dorvane_write"));
    }
    return result;
  }
}

void PgConnection::Fail(PGresult* result, const std::string& table) {
  const std::string state = StateOf(result);
  const std::string message = MessageOf(result, session_ ? session_->conn : nullptr);
  PQclear(result);
  if (SessionBroken() || ConnectionState(state)) {
    session_.reset();
    Lost(message);
  }
  const std::string subject = table.empty() ? "The database" : "Table '" + table + "'";
  if (state == "55P03" || state == "40P01" || state == "40001") {
    throw Locked(subject, Path(), LockWaitMs());
  }
  if (state == "42501" || state == "25006") {
    throw base::RuntimeError(base::error::kReadOnly,
                             "Cannot write: '" + Path() + "' is read-only (" + message + ").");
  }
  if (state == "42P01" && !table.empty()) throw TableNotFound(table, Path());
  throw base::RuntimeError(base::error::kEngineFailure,
                           subject + " in '" + Path() + "': " + message + ".");
}

Statement& PgConnection::Prepare(const std::string& sql, const std::string& table) {
  auto found = statements_.find(sql);
  if (found != statements_.end()) return *found->second;
  auto statement = std::make_unique<PgStatement>(*this, sql, table);
  Statement& result = *statement;
  statements_.emplace(sql, std::move(statement));
  return result;
}

void PgConnection::Execute(const std::string& sql) {
  base::ActionWrote();
  for (int attempt = 0;; ++attempt) {
    EnsureSession();
    PGresult* result = Exec(sql);
    if (Succeeded(result)) {
      PQclear(result);
      return;
    }
    if (!SessionBroken() && !ConnectionState(StateOf(result))) Fail(result, "");
    std::string detail = MessageOf(result, session_->conn);
    PQclear(result);
    session_.reset();
    SessionPool().erase(PoolKey(source_));
    // Outside a transaction nothing was under way: ask again on a new session.
    if (inTransaction_ || attempt > 0) Lost(detail);
  }
}

void PgConnection::ExecuteQuietly(const std::string& sql) {
  base::ActionWrote();
  if (sql == "ROLLBACK") {
    // Ends the transaction here whatever the server says: a lost session
    // rolled it back already.
    if (session_ != nullptr && !SessionBroken()) PQclear(Exec(sql));
    inTransaction_ = false;
    transactionLost_ = false;
    ++writeEpoch_;
    return;
  }
  if (session_ != nullptr && !SessionBroken() && !transactionLost_) PQclear(Exec(sql));
}

void PgConnection::BeginWrite() {
  Execute("BEGIN");
  inTransaction_ = true;
}

void PgConnection::Commit(bool /*force*/) {
  // A commit on the server is durable once answered (synchronous_commit), so
  // a forced commit needs nothing more.
  if (transactionLost_) EnsureSession();
  Execute("COMMIT");
  inTransaction_ = false;
}

int64_t PgConnection::RowCount(const std::string& table) {
  // The server's snapshot changes whenever any transaction that writes begins
  // or ends: while it stays the same, the table holds what it held.
  CountCache& cache = counts_[table];
  Statement& statement = Prepare(
      "SELECT pg_current_snapshot()::text, CASE WHEN pg_current_snapshot()::text = ?1 THEN -1 "
      "ELSE (SELECT count(*) FROM " +
          QuoteName(table) + ") END",
      table);
  StatementScope scope(statement);
  statement.Bind(1, SqlValue::Text(cache.snapshot));
  statement.Step();
  int64_t counted = statement.ColumnInt(1);
  if (counted >= 0) {
    SqlValue snapshot;
    statement.ReadColumn(0, snapshot);
    cache.snapshot = snapshot.bytes;
    cache.count = counted;
  }
  return cache.count;
}

void PgConnection::AdjustRowCount(const std::string& table, int64_t delta) {
  auto found = counts_.find(table);
  if (found != counts_.end()) found->second.count += delta;
}

void PgConnection::ForgetRowCounts() {
  counts_.clear();
  ++writeEpoch_;
}

}  // namespace recordstore
