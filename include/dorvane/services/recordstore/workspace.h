// Workspace: a transaction scope over the databases it opened. BeginTrans
// takes the write lock of each of its files at once (so a pessimistic edit
// inside the transaction holds it), CommitTrans makes the writes visible
// together, and a workspace closed or released with a transaction open rolls
// it back. Nested BeginTrans calls become savepoints. Its databases keep it
// alive, so it is released when the last of them is. Relies on Database.
// Threads: one thread at a time; threads with workspaces of their own work
// at once.
#pragma once

#include <memory>
#include <string>

namespace recordstore {

class Database;

class Workspace : public std::enable_shared_from_this<Workspace> {
 public:
  explicit Workspace(std::string name);
  ~Workspace();
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;

  const std::string& Name() const;
  // Opens an existing database file shared and writable (see database_path.h
  // for how the path is read). Missing file: 3024; locked: 3260.
  std::shared_ptr<Database> OpenDatabase(const std::string& path);
  void BeginTrans();
  // Commits the innermost transaction; option 1 forces the write to disk.
  void CommitTrans(int options = 0);
  // Discards the innermost transaction's writes.
  void Rollback();
  int TransactionDepth() const;
  // Rolls back an open transaction and closes the databases.
  void Close();

  // The open files and the transaction depth
  // (services/recordstore/workspace_impl.h, not installed).
  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace recordstore
