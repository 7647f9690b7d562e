// Where imported tables go: the one seam between reading classic files and
// writing a data file. A destination creates a table, takes its rows, then
// builds its indexes, and finishes the file; the SQLite destination lays the
// tables out as our layout does (a first column `rowid` that is the row's
// identity and bookmark, declared types carrying the field type and width,
// index X of table T named "T.X", text keys without regard to case). Relies
// on import_layout.h and sqlite_file.h.
#pragma once

#include <memory>
#include <string>

#include "import_layout.h"

namespace dorvanedata {

class ImportDestination {
 public:
  virtual ~ImportDestination() = default;
  // Creates the table; the rows that follow go into it.
  virtual void CreateTable(const TableDefinition& table) = 0;
  // Adds one row of the table last created, its values in field order.
  virtual void InsertRow(const ImportRow& row) = 0;
  // Builds the indexes of the table last created, once its rows are in.
  virtual void CreateIndexes(const TableDefinition& table) = 0;
  // Commits everything and closes the file; throws ToolError on failure.
  virtual void Finish() = 0;
};

// A new SQLite data file at `path` (which must not exist).
std::unique_ptr<ImportDestination> NewSqliteDestination(const std::string& path);

// True for the declared types whose index keys compare without regard to case.
bool IsNoCaseType(const std::string& declared);

// Throws ToolError when `table` has a field our layout cannot hold (one named
// rowid, the name kept for the row's identity).
void CheckFieldNames(const TableDefinition& table);

// The statement that creates `table` in our layout, and those of its indexes.
std::string CreateTableSql(const TableDefinition& table);
std::string CreateIndexSql(const TableDefinition& table, const IndexDefinition& index);

}  // namespace dorvanedata
