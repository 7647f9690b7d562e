// Test helper: a temporary data folder holding SQLite files made from schema
// text with plain SQLite (the layout of our data files), plus direct SQL
// access to those files, as another program on the same files would have.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "services/recordstore/recordstore.h"

namespace recordstore::testing {

// The tables of MAIN.MDB and QRLSYS.mdb, as our data files declare them.
extern const char* const kMainSchema;
extern const char* const kSettingsSchema;

class TestFolder {
 public:
  // Makes an empty folder under the system's temporary folder.
  TestFolder();
  // Removes the folder and everything in it.
  ~TestFolder();
  TestFolder(const TestFolder&) = delete;
  TestFolder& operator=(const TestFolder&) = delete;

  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  // Creates the file `name` and runs `sql` on it (schema and rows).
  void Create(const std::string& name, const std::string& sql) const;
  // Creates MAIN.MDB with kMainSchema, then runs `rows`.
  void CreateMain(const std::string& rows = "") const;
  // Runs `sql` on the file through a connection of its own.
  void Exec(const std::string& name, const std::string& sql) const;
  // Runs a query on the file; each row's values joined by '|' (NULL as "NULL").
  std::vector<std::string> Query(const std::string& name, const std::string& sql) const;

 private:
  std::string path_;
};

// A workspace, database and recordset opened together.
struct Opened {
  std::shared_ptr<Workspace> workspace;
  std::shared_ptr<Database> database;
  std::shared_ptr<Recordset> recordset;
};

// Opens `table` of `file` through a new workspace; `index` is set when given.
Opened OpenTable(const std::string& file, const std::string& table, const std::string& index = "",
                 int lockEdit = 0);

// Runs `action` and returns the number of the RuntimeError it raised (0 if
// none); `description` receives the error's description.
template <typename F>
int ErrorOf(F action, std::string* description = nullptr) {
  try {
    action();
  } catch (const RuntimeError& e) {
    if (description != nullptr) *description = e.Description();
    return e.Number();
  }
  return 0;
}

// The values of `field` on every row, walking with MoveNext from MoveFirst.
std::vector<std::string> WalkForward(Recordset& recordset, const std::string& field);
// The same walking backwards with MovePrevious from MoveLast.
std::vector<std::string> WalkBackward(Recordset& recordset, const std::string& field);

}  // namespace recordstore::testing
