// The PostgreSQL layout of the data files, translated from the SQLite layout
// of schema.sql: one schema per data file (MAIN.MDB is schema `main`), lower
// case unquoted names, native types that enforce the declared ones, the
// declared type kept as each column's comment, a `rowid` identity column
// first, and index X of table T named "t.x". Relies on layout_model.h.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "layout_model.h"

namespace dorvanedata {

// The statements that make one data file's schema: CREATE SCHEMA, the tables
// and their column comments first, the indexes apart so that they can be
// built after the rows are in.
struct ServerFileLayout {
  std::string schema;
  std::vector<std::string> tables;
  std::vector<std::string> indexes;
};

// The statement that makes `table` in `schema`, its `rowid` identity first.
std::string ServerTableStatement(const std::string& schema, const TableModel& table);

// The statement that keeps `column`'s declared type as its comment.
std::string ServerCommentStatement(const std::string& schema, const TableModel& table,
                                   const ColumnModel& column);

// The statement that builds `index` in `schema`. Keys sort in SQLite's order:
// NULLs first (last when descending), NOCASE text as its ASCII lower case in
// byte order, and the row identity last in a non-unique index so that equal
// keys keep one order.
std::string ServerIndexStatement(const std::string& schema, const IndexModel& index);

// The schema name of a data file: its name without extension, lower case.
std::string SchemaOfFile(std::string_view fileName);

// Translates one file section of the layout text into PostgreSQL statements.
ServerFileLayout ServerLayout(std::string_view schemaText, std::string_view section);

// The whole PostgreSQL layout as text, printed by `dorvane-data schema --postgres`.
std::string ServerSchemaText(std::string_view schemaText);

// The PostgreSQL type that enforces a declared type ("TEXT(8)" -> "varchar(8)").
// Throws ToolError for a type the layout does not use.
std::string ServerType(std::string_view declared);

}  // namespace dorvanedata
