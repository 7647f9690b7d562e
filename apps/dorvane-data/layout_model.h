// The tables, columns and indexes of the layout, read from the CREATE
// statements of schema.sql so that every engine's layout comes from that one
// text. Relies on schema.h for the statements of each file section.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "services/base/text_case.h"

namespace dorvanedata {

// One column: its name as written, its declared type text ("SHORT",
// "TEXT(8)", ...) and its DEFAULT value text when it has one.
struct ColumnModel {
  std::string name;
  std::string declared;
  std::optional<std::string> defaultValue;
};

// One table; `columns` leaves out a `rowid` identity column (every engine's
// layout adds its own first).
struct TableModel {
  std::string name;
  std::vector<ColumnModel> columns;

  // The column named `name` (any case), or nullptr.
  const ColumnModel* Column(std::string_view name) const;
};

struct KeyModel {
  std::string column;
  bool noCase = false;      // text compared without regard to ASCII case
  bool descending = false;  // highest first
};

// Index `name` of table `table` (the SQLite index "TABLE.NAME").
struct IndexModel {
  std::string table;
  std::string name;
  bool unique = false;
  std::vector<KeyModel> keys;
};

struct FileModel {
  std::vector<TableModel> tables;
  std::vector<IndexModel> indexes;

  // The table named `name` (any case), or nullptr.
  const TableModel* Table(std::string_view name) const;
};

// Reads the tables and indexes of one file section of the schema text
// ("MAIN.MDB", "QRLSYS.mdb"). Throws ToolError on a statement it cannot read.
FileModel ReadFileModel(std::string_view schemaText, std::string_view section);

using base::LowerAscii;  // names compare in ASCII lower case

}  // namespace dorvanedata
