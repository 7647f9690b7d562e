// Connection and Statement over libpq, the session pool, and the mapping of
// the server's SQLSTATE codes to the classic error numbers.
#include "services/recordstore/pg_connection.h"

#include <atomic>
#include <cassert>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <utility>

#include "services/base/c_numbers.h"
#include "services/base/user_action.h"
#include "services/recordstore/db_engine.h"
#include "services/recordstore/pg_hub.h"
#include "services/recordstore/store_errors.h"
#include "services/recordstore/table_layout.h"

namespace recordstore {

namespace {

// Requests answered by servers in this process, over all connections and threads.
std::atomic<uint64_t> totalRoundTrips{0};

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

std::string SearchPathStatement(PGconn* conn, const std::string& schema) {
  char* quoted = PQescapeIdentifier(conn, schema.c_str(), schema.size());
  std::string set = "SET search_path TO " + std::string(quoted != nullptr ? quoted : "\"\"");
  PQfreemem(quoted);
  return set;
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

bool PgStatement::Kept() const { return result_ == nullptr && connection_.Kept(*this); }

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
  connection->open_ = true;
  try {
    connection->Open();
  } catch (...) {
    connection->open_ = false;
    throw;
  }
  return connection;
}

PgSession* PgConnection::Current() { return Holder().get(); }

std::unique_ptr<PgSession>& PgConnection::Holder() {
  return inTransaction_ || own_ ? own_ : Shared();
}

std::unique_ptr<PgSession>& PgConnection::Shared() {
  return base::InUserAction() ? ActionSession(source_.uri) : request_;
}

bool PgConnection::SessionBroken() {
  PgSession* session = Current();
  return session == nullptr || !session->link.Ok();
}

void PgConnection::CountRoundTrip() {
  ++roundTrips_;
  ++totalRoundTrips;
}

void PgConnection::DropSession() {
  // The idle sessions of this source went with the server, most likely.
  SessionHub::Instance().Forget(source_.uri, std::move(Holder()));
}

void PgConnection::EndRequest() {
  if (request_ && !inTransaction_) SessionHub::Instance().Return(source_.uri, std::move(request_));
}

void PgConnection::Borrow() {
  std::unique_ptr<PgSession>& holder = Holder();
  if (holder) return;
  holder = SessionHub::Instance().Borrow(
      source_.uri, LockWaitMs(), [this](const std::string& reason) { return Unreachable(reason); },
      [this](const std::string& reason) {
        return base::RuntimeError(base::error::kLocked,
                                  "The database server " + source_.host +
                                      " is busy: no connection to it came free in time for '" +
                                      Path() + "'; try again in a moment (" + reason + ").");
      });
  if (!holder->lent) CountRoundTrip();  // a new session: its connection was made
  holder->lent = true;
}

std::vector<std::string> PgConnection::SetupStatements(PgSession& session) const {
  std::vector<std::string> setup;
  if (session.schema != source_.schema) {
    setup.push_back(SearchPathStatement(session.Conn(), source_.schema));
    session.schema = source_.schema;
  }
  if (session.lockWaitMs != LockWaitMs()) {
    // A lock wait that ends after the store's wait raises 3260, as on SQLite.
    setup.push_back("SET lock_timeout = " + std::to_string(LockWaitMs() > 0 ? LockWaitMs() : 1));
    session.lockWaitMs = LockWaitMs();
  }
  return setup;
}

// A server that could not be reached or refused us: the open's 3024, in
// words that say which.
base::RuntimeError PgConnection::Unreachable(const std::string& reason) const {
  return base::RuntimeError(base::error::kFileNotFound,
                            "Could not connect to the database server " + source_.host + " for '" +
                                Path() + "' (" + reason + ").");
}

void PgConnection::Open() {
  RequestEnd end(*this);
  Borrow();
  PgSession& session = *Current();
  if (session.usableSchemas.contains(source_.schema)) return;
  PgStatement check(*this,
                    "SELECT has_schema_privilege(oid, 'USAGE'), current_user FROM pg_namespace "
                    "WHERE nspname = ?1",
                    "");
  check.Bind(1, SqlValue::Text(source_.schema));
  // A schema this process has not read yet: its catalog comes with the check,
  // for the opens of tables that follow in the same action.
  const uint64_t stamp = base::ActionStamp();
  std::vector<const AskedRead*> ahead;
  std::optional<AskedRead> catalogRead;
  if (stamp != 0 && !ServerCatalogKnown(SchemaKey())) {
    const PgStatement catalog(*this, ServerCatalogSql(), "");
    catalogRead = AskedRead{ResultKey(source_.schema, catalog), source_.schema, catalog.Sql(), {}};
    ahead.push_back(&*catalogRead);
  }
  PipelineAnswer answer = SendPipeline(check, false, ahead, stamp);
  PGresult* result = answer.result;
  const bool ok = answer.complete && Succeeded(result);
  const bool schemaFound = ok && PQntuples(result) > 0;
  const bool usable = schemaFound && PQgetvalue(result, 0, 0)[0] == 't';
  const std::string role = schemaFound ? PQgetvalue(result, 0, 1) : "";
  const std::string message = ok ? "" : Detail(result);
  PQclear(result);
  if (!ok) {
    DropSession();
    throw Unreachable(message);
  }
  if (!schemaFound) {
    throw FileNotFound(Path(), ": database '" + source_.database + "' on server " + source_.host +
                                   " has no schema '" + source_.schema + "'");
  }
  if (!usable) {
    // Without USAGE the schema's tables look absent; say that a grant is missing.
    throw base::RuntimeError(base::error::kTableNotFound,
                             "The role '" + role + "' may not use schema '" + source_.schema +
                                 "' of database '" + source_.database + "' on server " +
                                 source_.host +
                                 ", so none of its tables can be read (GRANT "
                                 "USAGE ON SCHEMA " +
                                 source_.schema + " TO " + role + ").");
  }
  session.usableSchemas.insert(source_.schema);
}

void PgConnection::Close() {
  if (!open_) return;
  open_ = false;
  statements_.clear();
  if (own_ && own_->link.Ok() && PQtransactionStatus(own_->Conn()) != PQTRANS_IDLE) {
    PQclear(Exec("ROLLBACK"));
  }
  SessionHub::Instance().Return(source_.uri, std::move(own_));
  SessionHub::Instance().Return(source_.uri, std::move(request_));
  inTransaction_ = false;
  transactionLost_ = false;
}

Statement& PgConnection::Prepare(const std::string& sql, const std::string& table) {
  auto found = statements_.find(sql);
  if (found != statements_.end()) return *found->second;
  auto statement = std::make_unique<PgStatement>(*this, sql, table);
  Statement& result = *statement;
  statements_.emplace(sql, std::move(statement));
  return result;
}

// The server's snapshot changes whenever any transaction that writes begins
// or ends: while it stays the same, the table holds what it held. The test
// and the count are one statement, one round trip.
std::optional<int64_t> PgConnection::CountRows(const std::string& table, std::string& stamp) {
  Statement& statement = Prepare(
      "SELECT pg_current_snapshot()::text, CASE WHEN pg_current_snapshot()::text = ?1 THEN -1 "
      "ELSE (SELECT count(*) FROM " +
          QuoteName(table) + ") END",
      table);
  StatementScope scope(statement);
  statement.Bind(1, SqlValue::Text(stamp));
  statement.Step();
  const int64_t counted = statement.ColumnInt(1);
  if (counted < 0) return std::nullopt;
  SqlValue snapshot;
  statement.ReadColumn(0, snapshot);
  stamp = snapshot.bytes;
  return counted;
}

void PgConnection::ForgetRowCounts() {
  Connection::ForgetRowCounts();
  ++writeEpoch_;
}

}  // namespace recordstore
