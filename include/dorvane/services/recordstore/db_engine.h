// DBEngine: the one record engine of the program, created on first use. It
// makes workspaces, counts them, and holds the lock wait and the server
// settings that every database opened afterwards uses. What the engine
// remembers for the process (deleted rows, table layouts) is internal
// (engine_memory.h). Relies on Workspace.
// Threads: the engine is shared by every thread and its settings are atomic;
// a workspace and what it opened belong to one thread at a time.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

namespace recordstore {

class Workspace;

class DBEngine {
 public:
  // The shared engine, created on the first call.
  static std::shared_ptr<DBEngine> Instance();

  // A new, independent workspace with its own transaction scope. The user and
  // password are accepted as the classic engine's were ("admin", ""); type 2
  // (the desktop engine) is the only type there is.
  std::shared_ptr<Workspace> CreateWorkspace(const std::string& name,
                                             const std::string& user = "admin",
                                             const std::string& password = "", int type = 2);
  // Workspaces created since the program started.
  int WorkspacesCreated() const { return workspacesCreated_; }

  // How long a write waits for a lock held by another connection before it
  // raises the locked error (applies to databases opened afterwards).
  int LockWaitMilliseconds() const { return lockWaitMs_; }
  void SetLockWaitMilliseconds(int milliseconds);
  // How long a database server may stay silent before its connection counts
  // as lost (3043): the connect timeout, the TCP timeouts and the wait for an
  // answer beyond the lock wait. A URI may set libpq's own timeouts instead.
  int ServerTimeoutSeconds() const { return serverTimeoutSeconds_; }
  void SetServerTimeoutSeconds(int seconds);
  // The server sessions the program may hold on one data source at once (a
  // workstation needs one; more serve threads working at once), and how long
  // one left idle stays open. The environment may set each of the three
  // server settings: DORVANE_SERVER_TIMEOUT, DORVANE_SERVER_SESSIONS and
  // DORVANE_SERVER_IDLE (seconds; 0 closes a session as soon as it is idle).
  int ServerSessions() const { return serverSessions_; }
  int ServerIdleSeconds() const { return serverIdleSeconds_; }
  void SetServerSessions(int sessions, int idleSeconds);
  // How many pages of a data folder's file each connection opened afterwards
  // keeps in memory once a read is done (-1, the default: SQLite's own, about
  // 2 MB). A server holding hundreds of sessions sets a few or none, and the
  // system's file cache, shared by all of them, keeps the pages once.
  int FileCachePages() const { return fileCachePages_; }
  void SetFileCachePages(int pages);

 private:
  DBEngine();
  std::atomic<int> workspacesCreated_{0};
  std::atomic<int> lockWaitMs_{5000};
  std::atomic<int> serverTimeoutSeconds_{10};
  std::atomic<int> serverSessions_{16};
  std::atomic<int> serverIdleSeconds_{30};
  std::atomic<int> fileCachePages_{-1};
};

}  // namespace recordstore
