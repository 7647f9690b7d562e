// SessionTable: the sessions of a dorvane-web process by id. It takes a
// socket's hello (checks the ticket, the caps on sessions in all and per
// user, and a resume's session and user), answers welcome and binds the
// socket to a new session or to the one it resumes; Reap ends sessions whose
// socket has been gone past the resume time or that had no input past the
// idle time. A customize hook lets a program give each new session its own
// body and desktop (a replay program, the tests). Threads: every call may
// come from any thread; the table locks itself.
// Relies on Session, tickets and the configuration.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "apps/dorvane-web/session.h"

namespace dorvaneweb {

class SessionTable {
 public:
  using Customize = std::function<void(SessionSetup&)>;
  SessionTable(const Config& config, const SourcePlaces& places, Customize customize = {});
  // Ends every session and waits for their threads.
  ~SessionTable();

  // What a hello gave: the session now bound to the socket and the id of the
  // link for Detach, or a refusal (already sent on the link as `error`) with
  // the WebSocket close code to end the socket with.
  struct Opened {
    std::shared_ptr<Session> session;
    uint64_t linkId = 0;
    int closeCode = 0;
  };
  Opened Hello(const std::string& frame, const Link& link);
  // Ends the sessions whose time is up and forgets the finished ones.
  void Reap();
  // Sessions open now, in all and of one user.
  size_t Count();
  size_t CountOf(const std::string& user);
  // Ends every session (server shutdown).
  void CloseAll();

 private:
  const Config& config_;
  const SourcePlaces& places_;
  Customize customize_;
  std::mutex mutex_;
  std::map<std::string, std::shared_ptr<Session>> sessions_;
};

// A new session id: 128 random bits as hex.
std::string NewSessionId();

}  // namespace dorvaneweb
