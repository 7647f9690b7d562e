// TableLayout: what the record store knows of one table: its fields with the
// field type and width carried by their declared column types, their default
// values, and its indexes (the index "T.X" is index X of table T) with their
// key columns and collations. On SQLite it is read from the file's schema; on
// a server from its catalog (pg_layout.cpp). Relies on Connection and Variant.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "services/base/text_case.h"
#include "services/recordstore/connection.h"
#include "services/recordstore/variant.h"

namespace recordstore {

// Field type codes, as the classic data-access library numbers them.
enum FieldType {
  kBooleanField = 1,
  kByteField = 2,
  kIntegerField = 3,
  kLongField = 4,
  kCurrencyField = 5,
  kSingleField = 6,
  kDoubleField = 7,
  kDateField = 8,
  kTextField = 10,
  kLongBinaryField = 11,
  kMemoField = 12,
  kGuidField = 15
};

struct ColumnInfo {
  std::string name;     // as callers and messages spell it
  std::string sqlName;  // as the engine's SQL names it
  int type = kTextField;
  int size = 255;           // the declared width of a Text field; the storage size otherwise
  bool checkWidth = false;  // Text declared as TEXT(n): longer values are refused
  Variant defaultValue = Variant::Null();
};

struct IndexInfo {
  std::string sqlName;  // the engine's index name, "T.X"
  std::string name;     // the name callers use, "X"
  bool unique = false;
  std::vector<int> columns;  // positions in TableLayout::columns
  std::vector<Collation> collations;
  // The server's expression of each key (as its catalog gives it), which
  // queries repeat so that the planner walks the index; empty on SQLite.
  std::vector<std::string> keySql;
};

struct TableLayout {
  std::string name;            // as the schema spells it (on a server: as the caller did)
  std::string sqlName;         // as the engine's SQL names it
  std::string rowid;           // the name that reaches the rowid ("rowid" unless a field has it)
  bool hasRowidField = false;  // an INTEGER PRIMARY KEY field is the rowid itself
  std::vector<ColumnInfo> columns;
  std::vector<IndexInfo> indexes;

  // Position of the field named `name` (any case), or -1.
  int FindColumn(std::string_view name) const;
  // The index named `name` ("X" or "T.X", any case), or nullptr.
  const IndexInfo* FindIndex(std::string_view name) const;
};

// Reads the layout of `table` (any case) from the connection's schema. A
// missing table raises error 3078; a table without our declared types is still
// read, its unknown types as Text.
std::shared_ptr<const TableLayout> LoadTableLayout(Connection& connection,
                                                   const std::string& table);

// The field type and size that a declared column type stands for.
void FieldTypeFromDeclared(std::string_view declared, ColumnInfo& column);

// The layout of `table` from a server's catalog (pg_layout.cpp). The
// schema's table list is kept across actions and asked again only for a name
// it lacks; the first open of a schema reads the layouts of all its tables.
std::shared_ptr<const TableLayout> LoadServerTableLayout(Connection& connection,
                                                         const std::string& table);
// The query that reads a server schema's tables with their layouts, and
// whether the process keeps that schema's table list already (so that the
// first open of a schema can send the query with its own first request).
const char* ServerCatalogSql();
bool ServerCatalogKnown(const std::string& schemaKey);
// Forgets the kept table list of a server schema (PgConnection::SchemaKey): a
// statement met a table or a column that is not there any more.
void ForgetServerCatalog(const std::string& schemaKey);

// The value of a column default written as a literal: a number, a quoted
// text, NULL, TRUE or FALSE. Other expressions are evaluated by the engine, and
// `literal` becomes false.
SqlValue DefaultLiteral(Connection& connection, const std::string& text, bool& literal);

}  // namespace recordstore
