// SessionHub: the server sessions of the process, kept by URI and lent out,
// so that the number of sessions follows the work under way rather than the
// objects open. A session is lent to a thread for one user action (every
// connection of that thread on that URI shares it: the control's tables, the
// settings, the search dialog), to a connection for one transaction (which
// keeps it to itself until it ends), or for one request outside both. Then it
// goes back to the hub, which closes it after it has stayed idle for the
// engine's idle time. Each URI has at most a bounded number of sessions: a
// borrower waits up to its lock wait for one to come back, and a server that
// has no connection slot left is asked again over the same wait; then the
// server counts as busy (3260).
// Threads: every call may come from any thread; the hub locks itself. A lent
// session belongs to its borrower alone.
// Relies on PgSession (pg_session.h) and the engine's settings.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "services/base/runtime_error.h"
#include "services/recordstore/pg_session.h"

namespace recordstore {

class SessionHub {
 public:
  // The hub of the process.
  static SessionHub& Instance();

  // How a borrower words a failure: the server could not be reached (with
  // libpq's reason), or stayed busy for the whole wait.
  using Failure = std::function<base::RuntimeError(const std::string& reason)>;

  // A session for `uri`: an idle one, else a new one, waiting up to `waitMs`
  // while the URI has all its sessions out or the server has no slot free.
  std::unique_ptr<PgSession> Borrow(const std::string& uri, int waitMs, const Failure& unreachable,
                                    const Failure& busy);
  // Takes a session back: an idle, sound one waits for the next borrower,
  // any other is closed.
  void Return(const std::string& uri, std::unique_ptr<PgSession> session);
  // A session that was lost: it is closed, and so are the idle ones of its
  // URI, which most likely went with the server.
  void Forget(const std::string& uri, std::unique_ptr<PgSession> session);

  // Sessions open to `uri` now (lent or idle).
  int OpenSessions(const std::string& uri);
  // The most sessions one URI may have open, and how long an idle one is kept.
  void SetLimits(int maxSessions, int idleSeconds);

 private:
  SessionHub();
  struct State;
  void CloseIdle();
  std::unique_ptr<State> state_;
};

// The session this thread holds for the user action under way on `uri`, or
// null; set by PgConnection, given back to the hub when the outermost action
// of the thread ends.
std::unique_ptr<PgSession>& ActionSession(const std::string& uri);

}  // namespace recordstore
