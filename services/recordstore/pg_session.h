// Sessions with a database server through libpq, with every wait bounded: a
// connection is made with a connect timeout, TCP keepalives and a TCP user
// timeout (each unless the URI sets it itself), and an answer is awaited only
// until a deadline, so that a server that accepts and never answers, or a
// link that went silent, is found lost within seconds instead of hanging the
// program. The server's notices are kept on the session for the error that
// follows them, never printed. The record store's connections, the data tool
// and the scripted host's `sql` all connect through here.
// Relies on libpq and the engine's settings (DBEngine::ServerTimeoutSeconds).
#pragma once

#include <libpq-fe.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "services/recordstore/sql_value.h"

namespace recordstore {

using Deadline = std::chrono::steady_clock::time_point;

// A server connection and the last notice or warning its server sent.
class ServerLink {
 public:
  // Connects to `uri` (a libpq URI or connection string) with the engine's
  // timeouts and the given session settings (libpq's "options", "-c name=value
  // ..."), each unless the URI sets it. Check Ok().
  explicit ServerLink(const std::string& uri, const std::string& options = "");
  ~ServerLink();
  ServerLink(const ServerLink&) = delete;
  ServerLink& operator=(const ServerLink&) = delete;

  PGconn* Conn() const { return conn_; }
  bool Ok() const { return conn_ != nullptr && PQstatus(conn_) == CONNECTION_OK && !silent_; }
  // libpq's last error on one line ("" when none).
  std::string ErrorText() const;
  // The server's last notice ("FATAL: terminating connection ..."), if any.
  const std::string& LastNotice() const { return notice_; }
  // Marks the link as silent: its server did not answer in time, so nothing
  // more is sent on it.
  void MarkSilent() { silent_ = true; }
  bool Silent() const { return silent_; }

  // Sends a simple query (several statements allowed) and waits for all its
  // answers until `deadline`: the first failed result, else the last one; or
  // nullptr when no answer came (the link is then marked silent or broken).
  PGresult* Exec(const std::string& sql, Deadline deadline);
  // Waits until libpq holds a whole result (or knows the connection failed);
  // false, marking the link silent, when the deadline passed first.
  bool Await(Deadline deadline);

 private:
  static void ReceiveNotice(void* link, const PGresult* notice);
  PGconn* conn_ = nullptr;
  std::string notice_;
  bool silent_ = false;
};

// A session of the record store: a link with the statements prepared on it
// (names by $N SQL text), the schema its search path names now and the lock
// wait it was set to, and the schemas it has found usable. The session is
// made with UTF-8 text; without parallel plans (a window's statement relies on
// the parts of a UNION ALL coming back in order, and its index seeks gain
// nothing from workers); and with generic plans from a statement's first run
// (a plan made for the values bound judges a row comparison by its first key
// alone, and may sort a whole company to find one row).
// A read asked again in the same user action (the settings read twice, a
// table's first rows asked by two workspaces) is answered from what the
// session kept of its first answer; see ActionResults.
class ActionResults {
 public:
  ActionResults() = default;
  ~ActionResults() { Clear(); }
  ActionResults(const ActionResults&) = delete;
  ActionResults& operator=(const ActionResults&) = delete;
  // A copy of the answer kept for `key` in the action `stamp`, or nullptr.
  PGresult* Find(uint64_t stamp, const std::string& key);
  // True when an answer is kept for `key` in the action `stamp`.
  bool Has(uint64_t stamp, const std::string& key) const {
    return stamp == stamp_ && results_.contains(key);
  }
  // Keeps a copy of `result` for `key` in the action `stamp`.
  void Keep(uint64_t stamp, const std::string& key, const PGresult* result);
  void Clear();

 private:
  uint64_t stamp_ = 0;
  std::unordered_map<std::string, PGresult*> results_;
};

// A read an action asked of the session: what the next action is likely to
// ask again (a page's rows and their names, a range's ends), so that it goes
// out with that action's first request.
struct AskedRead {
  std::string key;  // ResultKey: schema, text and values
  std::string schema;
  std::string sql;
  std::vector<SqlValue> params;
};

// What one thread asked of one server lately: the reads of the action under
// way (`readsStamp`, begun by the statement `trigger`) and of the one before,
// and the reads that followed each statement that began an action or wrote,
// the last time. A thread is one workstation's user, whichever session it
// borrows.
struct ReadHistory {
  uint64_t readsStamp = 0;
  std::string trigger;
  std::vector<AskedRead> reads, lastReads;
  std::unordered_map<std::string, std::vector<AskedRead>> followers;
};

struct PgSession {
  explicit PgSession(const std::string& uri)
      : link(uri,
             "-c client_encoding=UTF8 -c max_parallel_workers_per_gather=0 "
             "-c plan_cache_mode=force_generic_plan") {}
  PGconn* Conn() const { return link.Conn(); }
  ActionResults results;

  ServerLink link;
  std::unordered_map<std::string, std::string> prepared;
  int nextName = 0;
  std::string schema;  // "" until a search path is set
  int lockWaitMs = -1;
  std::unordered_set<std::string> usableSchemas;
  bool lent = false;  // lent out before: its connection is made already
};

// The deadline of a request sent now: the engine's server timeout plus the
// lock wait, since a statement may wait that long for a lock of another user.
Deadline AnswerDeadline(int lockWaitMs);

// A libpq message on one line, without its trailing line break.
std::string OneLine(const char* text);
// The SQLSTATE of a failed result ("" when the server sent none).
std::string StateOf(const PGresult* result);
// The server's own words for a failed result, else libpq's for `conn`.
std::string MessageOf(const PGresult* result, PGconn* conn);
// True for a result that did what was asked (a command or rows).
bool Succeeded(const PGresult* result);
// True for the SQLSTATE classes that mean the connection itself is gone.
bool ConnectionState(const std::string& state);

}  // namespace recordstore
