// The layout of a table on a database server, read from its catalog in the
// connection's schema: the columns in order (the identity column "rowid" is
// the bookmark, not a field), each typed by the declared type its comment
// carries (as FieldTypeFromDeclared reads it) or else by its native type; the
// defaults; and the indexes "t.x" with their key expressions and collations.
// A key written lower(col) compares without regard to case (NoCase); the
// trailing rowid key of a non-unique index is the walk's tie-break, not a
// field. Names folded to lower case by the server show in upper case, as the
// data files spell them. Layouts are kept by the engine, keyed by the table's identity and
// shape, so a table opened again costs one catalog query.
#include <cctype>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "services/base/text_case.h"
#include "services/base/user_action.h"
#include "services/recordstore/engine_memory.h"
#include "services/recordstore/field_codec.h"
#include "services/recordstore/pg_connection.h"
#include "services/recordstore/store_errors.h"
#include "services/recordstore/table_layout.h"

namespace recordstore {
namespace {

// A name as messages and callers see it: the server folds unquoted names to
// lower case, and the data files spell them in upper case, so a name that is
// all lower case shows in upper case.
std::string ShownName(const std::string& name) {
  std::string shown;
  for (char c : name) {
    if (c >= 'A' && c <= 'Z') return name;
    shown += base::UpperAscii(c);
  }
  return shown;
}

// Column `index` of the current row as text ("" for Null).
std::string TextAt(Statement& statement, int index) {
  SqlValue value;
  statement.ReadColumn(index, value);
  if (value.kind == SqlValue::Kind::Integer) return std::to_string(value.integer);
  return value.kind == SqlValue::Kind::Text ? value.bytes : std::string();
}

// The declared type that a column without a comment stands for, from the
// server's name of its type.
std::string DeclaredFromNative(const std::string& native) {
  static const std::pair<const char*, const char*> kNative[] = {{"smallint", "SHORT"},
                                                                {"integer", "LONG"},
                                                                {"bigint", "LONG"},
                                                                {"real", "SINGLE"},
                                                                {"double precision", "DOUBLE"},
                                                                {"numeric", "CURRENCY"},
                                                                {"text", "MEMO"},
                                                                {"bytea", "LONGBINARY"},
                                                                {"boolean", "BIT"},
                                                                {"uuid", "GUID"},
                                                                {"character varying", "TEXT"},
                                                                {"character", "TEXT"}};
  for (const auto& [name, declared] : kNative) {
    std::string prefix = name;
    if (native.rfind(prefix, 0) != 0) continue;
    std::string rest = native.substr(prefix.size());
    if (std::string(declared) == "TEXT" || rest.empty()) return declared + rest;
    if (prefix == "numeric") return declared;
  }
  return "";
}

// A default as the catalog writes it ("0", "'new'::character varying") with its
// casts left off, so that DefaultLiteral reads it as on SQLite.
std::string WithoutCasts(const std::string& text) {
  bool quoted = false;
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] == '\'') quoted = !quoted;
    if (!quoted && text[i] == ':' && text[i + 1] == ':') return text.substr(0, i);
  }
  return text;
}

// The column that a key expression such as "lower(jobno::text)" reads.
std::string ColumnOfExpression(const std::string& expression) {
  size_t open = expression.find('(');
  std::string name;
  for (size_t i = open == std::string::npos ? 0 : open + 1; i < expression.size(); ++i) {
    char c = expression[i];
    if (c == '(' || c == '"') continue;
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') break;
    name += c;
  }
  return name;
}

// One row of the schema's catalog of columns and index keys (kSchemaLayouts):
// a column (kind 0: its name, native type, comment and default) or a key of an
// index (kind 1: the index's name in `group`, unique, expression, collation).
struct CatalogRow {
  int kind = 0;
  std::string group, name, type, text, extra;
};

// The tables of the connection's schema (kind 2: the relation's name, its
// column count, its indexes and its comment) with their columns and index
// keys, in one query.
constexpr const char* kSchemaCatalog =
    "SELECT 0, a.attrelid::text, a.attnum::int, '', a.attname::text, "
    "format_type(a.atttypid, a.atttypmod), col_description(a.attrelid, a.attnum), "
    "pg_get_expr(d.adbin, d.adrelid) "
    "FROM pg_attribute a JOIN pg_class c ON c.oid = a.attrelid LEFT JOIN pg_attrdef d ON "
    "d.adrelid = a.attrelid AND d.adnum = a.attnum WHERE c.relnamespace = (SELECT n.oid FROM "
    "pg_namespace n WHERE n.nspname = current_schema()) AND c.relkind IN ('r', 'p') AND "
    "a.attnum > 0 AND NOT a.attisdropped "
    "UNION ALL SELECT 1, x.indrelid::text, k.n::int, i.relname::text, '', x.indisunique::text, "
    "pg_get_indexdef(x.indexrelid, k.n::int, true), (SELECT l.collname::text FROM pg_collation l "
    "WHERE l.oid = x.indcollation[k.n - 1] AND l.collname <> 'default') "
    "FROM pg_index x JOIN pg_class i ON i.oid = x.indexrelid JOIN pg_class c ON c.oid = "
    "x.indrelid CROSS JOIN LATERAL generate_series(1, x.indnkeyatts) AS k(n) WHERE "
    "c.relnamespace = (SELECT n.oid FROM pg_namespace n WHERE n.nspname = current_schema()) AND "
    "c.relkind IN ('r', 'p') AND x.indpred IS NULL "
    "UNION ALL SELECT 2, c.oid::text, c.relnatts::int, '', c.relname::text, (SELECT string_agg("
    "x.indexrelid::text, ',' ORDER BY x.indexrelid) FROM pg_index x WHERE x.indrelid = c.oid), "
    "obj_description(c.oid, 'pg_class'), NULL FROM pg_class c WHERE c.relnamespace = (SELECT "
    "n.oid FROM pg_namespace n WHERE n.nspname = current_schema()) AND c.relkind IN ('r', 'p') "
    "ORDER BY 2, 1, 4, 3";

// Fills the fields from the table's catalog rows; false when a default is
// evaluated at each reading.
bool LoadServerColumns(Connection& connection, const std::vector<CatalogRow>& rows,
                       TableLayout& layout) {
  bool literalDefaults = true;
  for (const CatalogRow& row : rows) {
    if (row.kind != 0) continue;
    ColumnInfo column;
    column.sqlName = row.name;
    column.name = ShownName(column.sqlName);
    if (base::SameName(column.sqlName, "rowid")) {
      layout.rowid = QuoteName(column.sqlName);
      continue;
    }
    std::string declared = row.text;
    if (declared.empty()) declared = DeclaredFromNative(row.type);
    FieldTypeFromDeclared(declared, column);
    std::string defaultText = WithoutCasts(row.extra);
    if (!defaultText.empty()) {
      bool literal = true;
      column.defaultValue = DecodeField(DefaultLiteral(connection, defaultText, literal), column);
      literalDefaults = literalDefaults && literal;
    }
    layout.columns.push_back(std::move(column));
  }
  return literalDefaults;
}

// Fills the indexes with their keys from the table's catalog rows; an index
// on anything but the fields (and a last rowid key) cannot be walked by key
// values, so it is left out.
void LoadServerIndexes(const std::vector<CatalogRow>& rows, TableLayout& layout) {
  std::string prefix = layout.sqlName + ".";
  IndexInfo index;
  bool usable = true;
  auto finish = [&] {
    // The tie-break key of a non-unique index is the walk's own.
    if (!index.unique && !index.columns.empty() && index.columns.back() == -1) {
      index.columns.pop_back();
      index.collations.pop_back();
      index.keySql.pop_back();
    }
    for (int column : index.columns) usable = usable && column >= 0;
    if (usable && !index.columns.empty()) layout.indexes.push_back(std::move(index));
    index = IndexInfo();
    usable = true;
  };
  for (const CatalogRow& row : rows) {
    if (row.kind != 1) continue;
    const std::string& sqlName = row.group;
    if (sqlName != index.sqlName && !index.sqlName.empty()) finish();
    if (index.sqlName.empty()) {
      index.sqlName = sqlName;
      bool prefixed = sqlName.size() > prefix.size() &&
                      base::SameName(std::string_view(sqlName).substr(0, prefix.size()), prefix);
      index.name = ShownName(prefixed ? sqlName.substr(prefix.size()) : sqlName);
      index.unique = row.type == "t" || row.type == "1" || row.type == "true";
    }
    const std::string& expression = row.text;
    const std::string& collation = row.extra;
    bool noCase = expression.rfind("lower(", 0) == 0;
    std::string column = noCase ? ColumnOfExpression(expression) : expression;
    if (column.size() >= 2 && column.front() == '"') column = column.substr(1, column.size() - 2);
    int position = layout.FindColumn(column);
    if (position < 0 && !base::SameName(column, "rowid")) usable = false;
    index.columns.push_back(position);
    index.collations.push_back(noCase ? Collation::NoCase : Collation::Binary);
    index.keySql.push_back(collation.empty() ? expression
                                             : expression + " COLLATE " + QuoteName(collation));
  }
  if (!index.sqlName.empty()) finish();
}

// What identifies a table and its shape in the connection's schema.
struct FoundTable {
  std::string oid;
  std::string sqlName;
  std::string shape;
};

// The columns FoundTable is read from; the caller adds the WHERE condition.
constexpr const char* kFindTables =
    "SELECT c.oid::text, c.relname, c.relnatts::text, (SELECT string_agg("
    "x.indexrelid::text, ',' ORDER BY x.indexrelid) FROM pg_index x WHERE x.indrelid = "
    "c.oid), obj_description(c.oid, 'pg_class'), lower(c.relname) FROM pg_class c WHERE "
    "c.relnamespace = (SELECT n.oid FROM pg_namespace n WHERE n.nspname = current_schema()) AND "
    "c.relkind IN ('r', 'p') ";

// What changes when a table is made again or its columns or indexes change:
// its oid, its column count, its indexes and its comment.
std::string ShapeOf(const std::string& oid, const std::string& columns, const std::string& indexes,
                    const std::string& comment) {
  return oid + "\n" + columns + "\n" + indexes + "\n" + comment;
}

FoundTable FoundAt(Statement& find) {
  return {TextAt(find, 0), TextAt(find, 1),
          ShapeOf(TextAt(find, 0), TextAt(find, 2), TextAt(find, 3), TextAt(find, 4))};
}

bool IsAscii(const std::string& text) {
  for (char ch : text) {
    if (static_cast<unsigned char>(ch) > 127) return false;
  }
  return true;
}

// A schema's catalog as one query read it: its tables by lower-case name,
// and the catalog rows of each table by oid.
struct SchemaRead {
  std::unordered_map<std::string, FoundTable> tables;
  std::unordered_map<std::string, std::vector<CatalogRow>> rows;
};

SchemaRead ReadSchema(Connection& connection) {
  Statement& read = connection.Prepare(kSchemaCatalog, "");
  StatementScope scope(read);
  SchemaRead schema;
  while (read.Step()) {
    const std::string oid = TextAt(read, 1);
    CatalogRow row{static_cast<int>(read.ColumnInt(0)),
                   TextAt(read, 3),
                   TextAt(read, 4),
                   TextAt(read, 5),
                   TextAt(read, 6),
                   TextAt(read, 7)};
    if (row.kind == 2) {
      schema.tables.try_emplace(
          base::LowerAscii(row.name),
          FoundTable{oid, row.name, ShapeOf(oid, TextAt(read, 2), row.type, row.text)});
    } else {
      schema.rows[oid].push_back(std::move(row));
    }
  }
  return schema;
}

// The tables of each schema (by PgConnection::SchemaKey) as last read from its
// catalog. A table named in an open is looked up here; the catalog is asked
// again when the name is not in it (a table made since) unless this action
// read it already, and when a statement met a table or a column that is no
// longer there (ForgetServerCatalog), so that the opens of a workstation's
// later actions cost nothing while a table that went is still reported.
struct SchemaCatalog {
  uint64_t stamp = 0;                                  // the action that read it, 0 outside any
  std::unordered_map<std::string, FoundTable> tables;  // by lower-case name
};
std::mutex catalogsLock;
std::unordered_map<std::string, SchemaCatalog> catalogs;

// The schema a server connection works in (only server connections come here).
std::string SchemaKeyOf(Connection& connection) {
  return static_cast<PgConnection&>(connection).SchemaKey();
}

// Where the engine keeps the layout of table `name` in this shape.
std::string LayoutKey(Connection& connection, const std::string& name, const FoundTable& table) {
  return "server\n" + SchemaKeyOf(connection) + "\n" + name + "\n" + table.shape;
}

// A new layout from the table's catalog rows; in `keep`, whether it may be
// kept (no default evaluated at each reading).
std::shared_ptr<TableLayout> BuildServerLayout(Connection& connection, const std::string& table,
                                               const FoundTable& found,
                                               const std::vector<CatalogRow>& rows, bool& keep) {
  auto layout = std::make_shared<TableLayout>();
  layout->name = table;
  layout->sqlName = found.sqlName;
  layout->hasRowidField = true;  // identities are never given again
  keep = LoadServerColumns(connection, rows, *layout);
  if (layout->rowid.empty()) {
    throw base::RuntimeError(base::error::kEngineFailure,
                             "Table '" + table + "' in '" + connection.Path() +
                                 "' has no rowid identity column, so it cannot be opened as a "
                                 "table-type recordset.");
  }
  LoadServerIndexes(rows, *layout);
  return layout;
}

// Keeps the layouts of the schema's tables that the engine does not know yet,
// under the names the data files spell: a control opens six tables of a
// schema, and the first open reads them all.
void KeepLayouts(Connection& connection, SchemaRead& schema) {
  for (const auto& [name, table] : schema.tables) {
    const std::string shown = ShownName(table.sqlName);
    if (KnownLayout(LayoutKey(connection, shown, table))) continue;
    try {
      bool keep = false;
      auto layout = BuildServerLayout(connection, shown, table, schema.rows[table.oid], keep);
      if (keep) KeepLayout(LayoutKey(connection, shown, table), layout);
    } catch (const base::RuntimeError&) {
      // A table that cannot be opened says so when it is opened itself.
    }
  }
}

// The table named `table` in any case, or nothing; a name with other than
// ASCII letters is asked of the server alone, which folds it by its own rules.
std::optional<FoundTable> FindServerTable(Connection& connection, const std::string& table) {
  const uint64_t stamp = base::ActionStamp();
  if (!IsAscii(table)) {
    Statement& find = connection.Prepare(
        std::string(kFindTables) + "AND lower(c.relname) = lower(?1) ORDER BY c.relname LIMIT 1",
        table);
    StatementScope scope(find);
    find.Bind(1, SqlValue::Text(table));
    if (!find.Step()) return std::nullopt;
    return FoundAt(find);
  }
  const std::string name = base::LowerAscii(table);
  {
    std::lock_guard<std::mutex> lock(catalogsLock);
    auto known = catalogs.find(SchemaKeyOf(connection));
    if (known != catalogs.end()) {
      auto found = known->second.tables.find(name);
      if (found != known->second.tables.end()) return found->second;
      if (stamp != 0 && known->second.stamp == stamp) return std::nullopt;
    }
  }
  SchemaRead schema = ReadSchema(connection);
  KeepLayouts(connection, schema);
  std::optional<FoundTable> result;
  if (auto found = schema.tables.find(name); found != schema.tables.end()) result = found->second;
  std::lock_guard<std::mutex> lock(catalogsLock);
  catalogs[SchemaKeyOf(connection)] = SchemaCatalog{stamp, std::move(schema.tables)};
  return result;
}

}  // namespace

const char* ServerCatalogSql() { return kSchemaCatalog; }

bool ServerCatalogKnown(const std::string& schemaKey) {
  std::lock_guard<std::mutex> lock(catalogsLock);
  return catalogs.contains(schemaKey);
}

void ForgetServerCatalog(const std::string& schemaKey) {
  std::lock_guard<std::mutex> lock(catalogsLock);
  catalogs.erase(schemaKey);
}

std::shared_ptr<const TableLayout> LoadServerTableLayout(Connection& connection,
                                                         const std::string& table) {
  std::optional<FoundTable> found = FindServerTable(connection, table);
  if (!found) throw TableNotFound(table, connection.Path());
  const std::string key = LayoutKey(connection, table, *found);
  if (std::shared_ptr<const TableLayout> known = KnownLayout(key)) return known;
  // Named in another case, or with a default evaluated at each reading.
  SchemaRead schema = ReadSchema(connection);
  bool keep = false;
  auto layout = BuildServerLayout(connection, table, *found, schema.rows[found->oid], keep);
  if (keep) KeepLayout(key, layout);
  return layout;
}

}  // namespace recordstore
