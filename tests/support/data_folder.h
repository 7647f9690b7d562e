// A temporary data folder whose files are laid out as the data tool lays them
// out: the CREATE statements come from the tool's own schema.sql, compiled into
// this library, so the tests and dorvane-data never disagree about the layout.
// Files are SQLite databases left in WAL mode; rows are written with plain SQL
// through connections of their own, as another program would write them.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "temp_folder.h"

namespace testsupport {

// The CREATE statements of one data file ("MAIN.MDB" or "QRLSYS.mdb"), tables
// first, each ending with ";".
std::string SchemaOf(const std::string& fileName);

class DataFolder {
 public:
  // Makes the folder and in it each of `files`, empty, with its layout.
  DataFolder(std::initializer_list<std::string> files = {});

  const std::string& Path() const { return folder_.Path(); }
  std::string File(const std::string& name) const { return folder_.File(name); }
  // Creates the file `name` in WAL mode and runs `sql` on it (tables and rows)
  // in one transaction; throws when the file exists or the SQL fails.
  void Create(const std::string& name, const std::string& sql) const;
  // Creates MAIN.MDB with its layout, then runs `rows` in the same transaction.
  void CreateMain(const std::string& rows = "") const;
  // Runs SQL statements on a file of the folder through a connection of its own.
  void Exec(const std::string& name, const std::string& sql) const;
  // Every row of a query on a file, its fields joined by "|" ("NULL" for Null).
  std::vector<std::string> Query(const std::string& name, const std::string& sql) const;
  // The first column of the first row of a query, "(none)" when there is no row.
  std::string Value(const std::string& name, const std::string& sql) const;

 private:
  TempFolder folder_;
};

}  // namespace testsupport
