// Workspace::Impl: the state of a workspace (its name, whether it is closed,
// the transaction depth and the files its databases opened) and the routines
// behind the public members of workspace.h, which forward here. The header is
// not installed. Relies on Connection and Database.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "services/recordstore/workspace.h"

namespace recordstore {

class Connection;
class Database;

struct Workspace::Impl {
  explicit Impl(std::string name);

  // --- The public members (workspace.h says what each does) ---
  // `self` is the workspace, which the database keeps alive.
  std::shared_ptr<Database> OpenDatabase(const std::string& path, std::shared_ptr<Workspace> self);
  void BeginTrans();
  void CommitTrans(int options);
  void Rollback();
  void Close();

  struct OpenFile {
    std::weak_ptr<Database> database;
    std::weak_ptr<Connection> connection;
  };
  // The open connections of this workspace's databases, each once.
  std::vector<std::shared_ptr<Connection>> LiveConnections();
  // Raises 3420 once the workspace has been closed.
  void CheckOpen() const;

  std::string name_;
  bool closed_ = false;
  int depth_ = 0;
  std::vector<OpenFile> files_;
};

}  // namespace recordstore
