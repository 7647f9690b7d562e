// The requests of a server connection and what a lost connection means for
// them. A statement goes out as one pipelined request (savepoint, prepare,
// statement, release, sync) and counts as done only when every answer came
// back, sync included. A session lost inside a transaction is never replaced
// before the caller rolls back, since the server has already thrown the
// transaction away; a session lost outside one is replaced at the next
// request, and a read is asked again once. A COMMIT whose answer was lost is
// settled by asking a new session for the status of the transaction's id,
// read when it began, so that "done" is said exactly when the server holds
// the changes.
#include <cassert>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "services/base/c_numbers.h"
#include "services/base/user_action.h"
#include "services/recordstore/pg_connection.h"
#include "services/recordstore/pg_hub.h"
#include "services/recordstore/store_errors.h"
#include "services/recordstore/table_layout.h"

namespace recordstore {
namespace {

// The parameter values of a statement as libpq takes them: text, except Long
// Binary as bytes, kept alive as long as this object.
struct ParamTexts {
  explicit ParamTexts(const std::vector<SqlValue>& params)
      : texts(params.size()),
        values(params.size()),
        lengths(params.size()),
        formats(params.size()) {
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
  }
  int Count() const { return static_cast<int>(values.size()); }
  std::vector<std::string> texts;
  std::vector<const char*> values;
  std::vector<int> lengths, formats;
};

// How long a commit's outcome is asked for before it counts as unknown.
constexpr auto kSettleWait = std::chrono::seconds(5);

// What each answer of a pipeline is: a setting, the statement or its
// prepare, a read sent ahead, its prepare or its search path.
enum class Answer { kControl, kPrepare, kStatement, kAhead, kAheadPrepare, kAheadControl };

// What a pipeline sent, in the order its answers come.
struct Sent {
  std::vector<Answer> kinds;
  std::vector<std::pair<std::string, std::string>> aheadPrepared;  // (sql, name) sent now
  std::string path;  // the search path the last setting sent leaves
  bool pathMoved = false;
};

// What the answers said.
struct Answers {
  PGresult* result = nullptr;      // the statement's answer
  PGresult* firstError = nullptr;  // the first failed setting, savepoint or prepare
  std::vector<PGresult*> aheadResults;
  std::vector<bool> aheadPreparedOk;
  bool pathKnown = true;  // every search path sent ahead was set
  bool prepared = false;  // the statement's prepare, if sent, succeeded
  size_t answered = 0;
};

// Sends a statement without parameters, whose answer is of kind `kind`.
void SendPlain(PGconn* conn, const std::string& sql, Answer kind, Sent& sent) {
  PQsendQueryParams(conn, sql.c_str(), 0, nullptr, nullptr, nullptr, nullptr, 0);
  sent.kinds.push_back(kind);
}

// Sends the reads likely to follow, each prepared when the session has not
// prepared it, and a read of another schema of the same database with its
// search path.
void SendAhead(PGconn* conn, PgSession& session, const std::vector<const AskedRead*>& ahead,
               Sent& sent) {
  sent.path = session.schema;
  for (const AskedRead* read : ahead) {
    if (read->schema != sent.path) {
      SendPlain(conn, SearchPathStatement(conn, read->schema), Answer::kAheadControl, sent);
      sent.path = read->schema;
      sent.pathMoved = true;
    }
    auto known = session.prepared.find(read->sql);
    std::string aheadName;
    if (known != session.prepared.end()) {
      aheadName = known->second;
    } else {
      aheadName = "s" + std::to_string(session.nextName++);
      PQsendPrepare(conn, aheadName.c_str(), read->sql.c_str(), 0, nullptr);
      sent.kinds.push_back(Answer::kAheadPrepare);
      sent.aheadPrepared.emplace_back(read->sql, aheadName);
    }
    const ParamTexts values(read->params);
    PQsendQueryPrepared(conn, aheadName.c_str(), values.Count(), values.values.data(),
                        values.lengths.data(), values.formats.data(), 0);
    sent.kinds.push_back(Answer::kAhead);
  }
}

// Reads the answers in the order sent until one does not come by the
// deadline, each with the null that closes it.
void ReadAnswers(PGconn* conn, ServerLink& link, Deadline deadline, const Sent& sent,
                 Answers& got) {
  for (Answer kind : sent.kinds) {
    if (!link.Await(deadline)) break;
    PGresult* result = PQgetResult(conn);
    if (result == nullptr) break;
    while (link.Await(deadline)) {  // the null that closes each answer
      PGresult* extra = PQgetResult(conn);
      if (extra == nullptr) break;
      PQclear(extra);
    }
    ++got.answered;
    if (kind == Answer::kPrepare) got.prepared = Succeeded(result);
    if (kind == Answer::kStatement) {
      got.result = result;
    } else if (kind == Answer::kAheadPrepare) {
      got.aheadPreparedOk.push_back(Succeeded(result));
      PQclear(result);
    } else if (kind == Answer::kAheadControl) {
      got.pathKnown = got.pathKnown && Succeeded(result);
      PQclear(result);
    } else if (kind == Answer::kAhead) {
      got.aheadResults.push_back(result);  // a read ahead that failed is asked again when needed
    } else if (!Succeeded(result) && PQresultStatus(result) != PGRES_PIPELINE_ABORTED &&
               got.firstError == nullptr) {
      got.firstError = result;
    } else {
      PQclear(result);
    }
  }
}

}  // namespace

// What identifies a read's answer within one action: the schema it ran in,
// its text and its values.
std::string ResultKey(const std::string& schema, const PgStatement& statement) {
  std::string key = schema + '\0' + statement.Sql();
  for (const SqlValue& value : statement.Params()) {
    key += '\0';
    key += static_cast<char>('0' + static_cast<int>(value.kind));
    key += value.kind == SqlValue::Kind::Integer ? std::to_string(value.integer)
           : value.kind == SqlValue::Kind::Real  ? std::to_string(value.real)
                                                 : value.bytes;
  }
  return key;
}

PGresult* PgConnection::Exec(const std::string& sql) {
  PgSession& session = *Current();
  std::string fitted;
  for (const std::string& statement : SetupStatements(session)) fitted += statement + "; ";
  CountRoundTrip();
  return session.link.Exec(fitted + sql, AnswerDeadline(LockWaitMs()));
}

std::string PgConnection::Detail(const PGresult* result) {
  PgSession* session = Current();
  if (session == nullptr) return MessageOf(result, nullptr);
  // A session the server ended says why in a notice before it goes.
  const std::string& notice = session->link.LastNotice();
  if (!session->link.Ok() && notice.rfind("FATAL", 0) == 0) return notice;
  if (result == nullptr || session->link.Silent()) return session->link.ErrorText();
  return MessageOf(result, session->Conn());
}

void PgConnection::Lost(const std::string& detail, LostDuring during) {
  if (inTransaction_) transactionLost_ = true;
  std::string what = "The connection to server " + source_.host + " (database '" +
                     source_.database + "') was lost";
  if (inTransaction_ || during == LostDuring::kCommit) {
    what += " during a transaction, whose changes were not made";
  } else if (during == LostDuring::kUnconfirmedWrite) {
    what += " before the server confirmed the change, which may not have been made";
  }
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
  if (inTransaction_) {
    // The server threw the transaction away with its session: a new session
    // would run the rest of it on its own, outside any transaction.
    const std::string detail = Detail(nullptr);
    DropSession();
    Lost(detail);
  }
  if (Current() != nullptr) DropSession();  // gone since its last request
  try {
    Borrow();
  } catch (const base::RuntimeError& e) {
    if (e.Number() == base::error::kLocked) throw;  // the server is busy
    throw base::RuntimeError(base::error::kDiskError,
                             "The connection to server " + source_.host + " (database '" +
                                 source_.database +
                                 "') was lost and could not be made again: " + e.Description());
  }
}

// Sends the session's settings, the statement (prepared first when the
// session has not prepared it, inside a savepoint for a write in a
// transaction) and the reads likely to follow in one pipeline, then reads
// every answer and keeps what the complete ones tell the session.
PgConnection::PipelineAnswer PgConnection::SendPipeline(const PgStatement& statement,
                                                        bool savepoint,
                                                        const std::vector<const AskedRead*>& ahead,
                                                        uint64_t stamp) {
  const ParamTexts params(statement.Params());
  PgSession& session = *Current();
  PGconn* conn = session.Conn();
  auto found = session.prepared.find(statement.Sql());
  const bool prepare = found == session.prepared.end();
  const std::string name = prepare ? "s" + std::to_string(session.nextName++) : found->second;
  PipelineAnswer answer;
  const std::vector<std::string> setup = SetupStatements(session);
  if (PQenterPipelineMode(conn) != 1) return answer;
  Sent sent;
  for (const std::string& setting : setup) SendPlain(conn, setting, Answer::kControl, sent);
  if (savepoint) SendPlain(conn, "SAVEPOINT dorvane_write", Answer::kControl, sent);
  if (prepare) {
    PQsendPrepare(conn, name.c_str(), statement.Sql().c_str(), 0, nullptr);
    sent.kinds.push_back(Answer::kPrepare);
  }
  PQsendQueryPrepared(conn, name.c_str(), params.Count(), params.values.data(),
                      params.lengths.data(), params.formats.data(), 0);
  sent.kinds.push_back(Answer::kStatement);
  if (savepoint) SendPlain(conn, "RELEASE SAVEPOINT dorvane_write", Answer::kControl, sent);
  SendAhead(conn, session, ahead, sent);
  PQpipelineSync(conn);
  CountRoundTrip();
  // Every answer must come, the sync's last: a statement answered without
  // its release or its sync may not have been kept by the server.
  const Deadline deadline = AnswerDeadline(LockWaitMs());
  ServerLink& link = session.link;
  Answers got;
  got.prepared = !prepare;
  ReadAnswers(conn, link, deadline, sent, got);
  answer.result = got.result;
  if (got.answered == sent.kinds.size() && link.Await(deadline)) {
    PGresult* sync = PQgetResult(conn);
    answer.complete = PQresultStatus(sync) == PGRES_PIPELINE_SYNC;
    PQclear(sync);
  }
  if (answer.complete) PQexitPipelineMode(conn);
  if (prepare && got.prepared && answer.complete) session.prepared.emplace(statement.Sql(), name);
  // The search path is the last one set, unless a setting failed or its answer
  // did not come.
  if (sent.pathMoved) session.schema = answer.complete && got.pathKnown ? sent.path : std::string();
  for (size_t i = 0; i < got.aheadPreparedOk.size() && answer.complete; ++i) {
    if (got.aheadPreparedOk[i]) session.prepared.emplace(sent.aheadPrepared[i]);
  }
  for (size_t i = 0; i < got.aheadResults.size(); ++i) {
    if (answer.complete && Succeeded(got.aheadResults[i])) {
      session.results.Keep(stamp, ahead[i]->key, got.aheadResults[i]);
    }
    PQclear(got.aheadResults[i]);
  }
  // A failed setting leaves the session to be set again.
  if (got.firstError != nullptr) {
    session.schema.clear();
    session.lockWaitMs = -1;
  }
  // A failed setting, savepoint or prepare is the request's error.
  if (got.firstError != nullptr && !Succeeded(answer.result)) {
    PQclear(answer.result);
    answer.result = got.firstError;
    got.firstError = nullptr;
  }
  PQclear(got.firstError);
  return answer;
}

std::vector<const AskedRead*> PgConnection::LikelyReads(uint64_t stamp, const std::string* key,
                                                        const PgStatement& statement) {
  // The histories of this thread, by server URI.
  thread_local std::unordered_map<std::string, ReadHistory> histories;
  ReadHistory& history = histories[source_.uri];
  // At most this many reads are kept per action, and statements followed.
  constexpr size_t kAskedReads = 12;
  constexpr size_t kFollowed = 32;
  const bool first = history.readsStamp != stamp;
  if (first) {
    if (!history.trigger.empty()) {
      if (history.followers.size() >= kFollowed) history.followers.clear();
      history.followers[history.trigger] = history.reads;
    }
    history.lastReads = std::move(history.reads);
    history.reads.clear();
    history.readsStamp = stamp;
    history.trigger = statement.Sql();
  }
  // A catalog query (no table) is asked once, not again in the next action.
  if (key != nullptr && !statement.Table().empty() && history.reads.size() < kAskedReads) {
    bool known = false;
    for (const AskedRead& read : history.reads) known = known || read.key == *key;
    if (!known)
      history.reads.push_back({*key, source_.schema, statement.Sql(), statement.Params()});
  }
  std::vector<const AskedRead*> ahead;
  if (!first) return ahead;
  // What followed this statement the last time it began an action or
  // followed a write, else what the action before read.
  auto followed = history.followers.find(statement.Sql());
  const std::vector<AskedRead>& likely =
      followed != history.followers.end() ? followed->second : history.lastReads;
  for (const AskedRead& read : likely) {
    if (key == nullptr || read.key != *key) {
      ahead.push_back(&read);
    }
  }
  return ahead;
}

bool PgConnection::Kept(const PgStatement& statement) {
  const uint64_t stamp = inTransaction_ || own_ ? 0 : base::ActionStamp();
  PgSession* session = Current();
  return stamp != 0 && session != nullptr &&
         session->results.Has(stamp, ResultKey(source_.schema, statement));
}

PGresult* PgConnection::Run(const PgStatement& statement, bool write) {
  RequestEnd end(*this);
  // A write makes what was read before stale, and the reads sent with it
  // come after it.
  if (write) base::ActionWrote();
  // Inside a user action a read outside any transaction sees the tables as
  // they were when it was first answered, so the same read is not sent again;
  // the reads likely to follow go out with an action's first request.
  // A read that locks its rows is never answered for it nor sent ahead.
  const bool locks = statement.Sql().find(" FOR UPDATE") != std::string::npos;
  const uint64_t stamp = inTransaction_ || own_ || locks ? 0 : base::ActionStamp();
  const std::string key = stamp != 0 && !write ? ResultKey(source_.schema, statement) : "";
  for (int attempt = 0;; ++attempt) {
    EnsureSession();
    std::vector<const AskedRead*> ahead;
    if (stamp != 0) {
      PgSession& session = *Current();
      ahead = LikelyReads(stamp, write ? nullptr : &key, statement);
      PGresult* kept = write ? nullptr : session.results.Find(stamp, key);
      if (kept != nullptr) return kept;
    }
    const bool savepoint = write && inTransaction_;
    PipelineAnswer answer = SendPipeline(statement, savepoint, ahead, stamp);
    if (answer.complete && Succeeded(answer.result)) {
      if (write) ++writeEpoch_;
      if (!write && stamp != 0 && stamp == base::ActionStamp()) {
        Current()->results.Keep(stamp, key, answer.result);
      }
      return answer.result;
    }
    if (!answer.complete || SessionBroken() || ConnectionState(StateOf(answer.result))) {
      DropLostSession(answer.result, write, attempt);
      continue;  // a read asked again on a new session
    }
    if (savepoint) UndoFailedWrite(answer.result);
    return answer.result;
  }
}

// A request whose session was lost: the session goes, and a read outside a
// transaction is asked again once on a new one (the caller's next attempt);
// anything else is lost (3043).
void PgConnection::DropLostSession(PGresult* result, bool write, int attempt) {
  const std::string detail = Detail(result);
  PQclear(result);
  DropSession();
  if (!write && !inTransaction_ && attempt == 0) return;
  Lost(detail, write ? LostDuring::kUnconfirmedWrite : LostDuring::kRequest);
}

// A write that failed inside a transaction is undone to its savepoint, so the
// transaction goes on without it; a session that cannot do that is lost.
void PgConnection::UndoFailedWrite(PGresult* result) {
  PGresult* undo = Exec("ROLLBACK TO SAVEPOINT dorvane_write; RELEASE SAVEPOINT dorvane_write");
  const bool undone = Succeeded(undo);
  PQclear(undo);
  if (!undone) {
    const std::string detail = Detail(nullptr);
    PQclear(result);
    DropSession();
    Lost(detail);
  }
}

void PgConnection::Fail(PGresult* result, const std::string& table) {
  const std::string state = StateOf(result);
  const std::string message = Detail(result);
  PQclear(result);
  // The request has given its session back, unless it was a transaction's
  // or an action's.
  PgSession* session = Current();
  if (ConnectionState(state) || (session != nullptr && !session->link.Ok())) {
    if (session != nullptr) DropSession();
    Lost(message);
  }
  const std::string subject = table.empty() ? "The database" : "Table '" + table + "'";
  // A table or a column gone, or a table whose shape changed under a prepared
  // statement: the kept table list no longer stands for the schema.
  if (state == "42P01" || state == "42703" || state == "0A000") ForgetServerCatalog(SchemaKey());
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

void PgConnection::Execute(const std::string& sql) {
  base::ActionWrote();
  RequestEnd end(*this);
  for (int attempt = 0;; ++attempt) {
    EnsureSession();
    PGresult* result = Exec(sql);
    if (Succeeded(result)) {
      PQclear(result);
      return;
    }
    if (!SessionBroken() && !ConnectionState(StateOf(result))) Fail(result, "");
    const std::string detail = Detail(result);
    PQclear(result);
    DropSession();
    // Outside a transaction nothing was under way: ask again on a new session.
    if (inTransaction_ || attempt > 0) Lost(detail);
  }
}

void PgConnection::ExecuteQuietly(const std::string& sql) {
  base::ActionWrote();
  if (sql == "ROLLBACK") {
    // Ends the transaction here whatever the server says: a lost session
    // rolled it back already. A rollback undoes the SETs made in the
    // transaction, so the session is set again at its next request.
    if (own_ && own_->link.Ok()) {
      PQclear(Exec(sql));
      own_->schema.clear();
      own_->lockWaitMs = -1;
    }
    inTransaction_ = false;
    transactionLost_ = false;
    txid_.clear();
    ++writeEpoch_;
    EndTransaction();
    return;
  }
  if (!SessionBroken() && !transactionLost_) PQclear(Exec(sql));
}

void PgConnection::EndTransaction() {
  if (!own_) return;
  std::unique_ptr<PgSession>& shared = Shared();
  if (base::InUserAction() && !shared) {
    shared = std::move(own_);  // the rest of the action goes on with it
  } else {
    SessionHub::Instance().Return(source_.uri, std::move(own_));
  }
}

void PgConnection::BeginWrite() {
  base::ActionWrote();
  // The transaction's id comes with its start, in the same request, so that
  // a commit whose answer is lost can be asked after.
  RequestEnd end(*this);
  for (int attempt = 0;; ++attempt) {
    EnsureSession();
    PGresult* result = Exec("BEGIN; SELECT txid_current()::text");
    if (Succeeded(result) && PQntuples(result) == 1) {
      txid_ = PQgetvalue(result, 0, 0);
      PQclear(result);
      // The session is the transaction's alone until it ends.
      own_ = std::move(Holder());
      inTransaction_ = true;
      return;
    }
    if (!SessionBroken() && !ConnectionState(StateOf(result))) Fail(result, "");
    const std::string detail = Detail(result);
    PQclear(result);
    DropSession();
    if (attempt > 0) Lost(detail);
  }
}

void PgConnection::Commit(bool /*force*/) {
  // A commit on the server is durable once answered (synchronous_commit), so
  // a forced commit needs nothing more.
  base::ActionWrote();
  EnsureSession();  // a transaction whose session was lost raises 3043 here
  PGresult* result = Exec("COMMIT");
  ++writeEpoch_;
  if (Succeeded(result)) {
    // The server answers a COMMIT of a failed transaction with ROLLBACK.
    const bool rolledBack = std::strcmp(PQcmdStatus(result), "ROLLBACK") == 0;
    PQclear(result);
    inTransaction_ = false;
    txid_.clear();
    EndTransaction();
    if (rolledBack) {
      throw base::RuntimeError(base::error::kEngineFailure,
                               "The server rolled back the transaction on '" + Path() +
                                   "', one of whose statements had failed: its changes were not "
                                   "made.");
    }
    return;
  }
  if (!SessionBroken() && !ConnectionState(StateOf(result))) {
    inTransaction_ = false;  // a refused COMMIT ends the transaction too
    txid_.clear();
    own_->schema.clear();
    own_->lockWaitMs = -1;
    EndTransaction();
    Fail(result, "");
  }
  const std::string detail = Detail(result);
  const int formerPid = PQbackendPID(own_->Conn());
  PQclear(result);
  DropSession();
  inTransaction_ = false;
  RequestEnd end(*this);
  SettleCommit(detail, formerPid);
}

void PgConnection::SettleCommit(const std::string& detail, int formerPid) {
  const std::string txid = std::move(txid_);
  txid_.clear();
  assert(!txid.empty() && txid.find_first_not_of("0123456789") == std::string::npos);
  const auto giveUp = std::chrono::steady_clock::now() + kSettleWait;
  bool terminated = false;
  std::string status;
  for (;;) {
    try {
      if (SessionBroken()) {
        if (Current() != nullptr) DropSession();
        Borrow();
      }
      PGresult* result = Exec("SELECT txid_status(" + txid + ")");
      status = Succeeded(result) && PQntuples(result) == 1 ? PQgetvalue(result, 0, 0) : "?";
      PQclear(result);
    } catch (const base::RuntimeError&) {
      status = "?";
    }
    if (status == "committed") return;
    if (status == "aborted" || std::chrono::steady_clock::now() >= giveUp) break;
    if (status == "in progress" && !terminated && formerPid != 0) {
      // The former session has not yet seen that its client went: end it, so
      // that its transaction is either committed or rolled back.
      PQclear(Exec("SELECT pg_terminate_backend(" + std::to_string(formerPid) + ")"));
      terminated = true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  if (status == "aborted") Lost(detail, LostDuring::kCommit);
  throw base::RuntimeError(
      base::error::kDiskError,
      "The connection to server " + source_.host + " (database '" + source_.database +
          "') was lost while a transaction was being committed, and the server could not be "
          "asked whether it was: its changes may or may not have been made (" +
          detail + ").");
}

}  // namespace recordstore
