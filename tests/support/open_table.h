// A table of a data file opened through the record store as the system opens
// one: a workspace of its own, the database, a table-type recordset; and the
// engine's lock wait set for one test.
#pragma once

#include <memory>
#include <string>

#include "services/recordstore/recordstore.h"

namespace testsupport {

// A workspace, database and recordset opened together.
struct Opened {
  std::shared_ptr<recordstore::Workspace> workspace;
  std::shared_ptr<recordstore::Database> database;
  std::shared_ptr<recordstore::Recordset> recordset;
};

// Opens `table` of `file` through a new workspace "wksTEST"; `index` is set
// when given; `lockEdit` 2 asks for pessimistic locking.
Opened OpenTable(const std::string& file, const std::string& table, const std::string& index = "",
                 int lockEdit = 0);

// Sets the engine's lock wait for one test and restores it afterwards.
class LockWait {
 public:
  explicit LockWait(int milliseconds)
      : saved_(recordstore::DBEngine::Instance()->LockWaitMilliseconds()) {
    recordstore::DBEngine::Instance()->SetLockWaitMilliseconds(milliseconds);
  }
  ~LockWait() { recordstore::DBEngine::Instance()->SetLockWaitMilliseconds(saved_); }

 private:
  int saved_;
};

}  // namespace testsupport
