// Database: one open database file of a workspace. It opens table-type
// recordsets on its tables and, when closed, closes them and the file. It
// keeps its workspace alive, and its recordsets keep it alive, as the classic
// objects did, so a chain of calls needs no named intermediate objects.
// Threads: a database and its recordsets belong to one thread at a time;
// other programs may use the same files at once.
// Relies on Recordset.
#pragma once

#include <memory>
#include <string>

namespace recordstore {

class Recordset;

// Made by Workspace::OpenDatabase, and only there.
class Database : public std::enable_shared_from_this<Database> {
 public:
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  // The path as the caller of Workspace::OpenDatabase gave it.
  const std::string& Name() const;
  // A table-type recordset (type 1) over the whole of table `name`, positioned
  // on its first row in rowid order. Options (512: see other users' changes)
  // need nothing, as every move reads the table as it is now; lockEdit 2
  // (pessimistic) takes the write lock from Edit to Update.
  std::shared_ptr<Recordset> OpenRecordset(const std::string& name, int type = 1, int options = 0,
                                           int lockEdit = 0);
  // Closes the recordsets opened here and the file.
  void Close();

  // The connection, the workspace kept alive and the recordsets opened here
  // (services/recordstore/database_impl.h, not installed).
  struct Impl;

 private:
  explicit Database(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace recordstore
