// Database::Impl: the state of a database (its connection, the workspace it
// keeps alive, its name and the recordsets opened on it) and the routines
// behind the public members of database.h, which forward here. Workspace
// opens databases with Impl::Open; the header is not installed.
// Relies on Connection and Recordset.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "services/recordstore/database.h"

namespace recordstore {

class Connection;
class Workspace;

struct Database::Impl {
  Impl(std::shared_ptr<Connection> connection, std::string name,
       std::shared_ptr<Workspace> workspace);

  // A new database over `connection`; `name` is the path as the caller gave
  // it. It keeps `workspace` alive until it is closed.
  static std::shared_ptr<Database> Open(std::shared_ptr<Connection> connection, std::string name,
                                        std::shared_ptr<Workspace> workspace);

  // --- The public members (database.h says what each does) ---
  // `self` is the database, which the recordset keeps alive.
  std::shared_ptr<Recordset> OpenRecordset(const std::string& name, int type, int lockEdit,
                                           std::shared_ptr<const Database> self);
  void Close();

  std::shared_ptr<Connection> connection_;
  std::shared_ptr<Workspace> workspace_;
  std::string name_;
  std::vector<std::weak_ptr<Recordset>> recordsets_;
};

}  // namespace recordstore
