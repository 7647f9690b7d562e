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
#include <optional>
#include <unordered_map>
#include <utility>

#include "services/base/text_case.h"
#include "services/base/user_action.h"
#include "services/recordstore/db_engine.h"
#include "services/recordstore/field_codec.h"
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

// Reads the fields; false when a default is evaluated at each reading.
bool LoadServerColumns(Connection& connection, const std::string& oid, TableLayout& layout) {
  Statement& columns = connection.Prepare(
      "SELECT a.attname, format_type(a.atttypid, a.atttypmod), "
      "col_description(a.attrelid, a.attnum), pg_get_expr(d.adbin, d.adrelid) "
      "FROM pg_attribute a LEFT JOIN pg_attrdef d ON d.adrelid = a.attrelid AND d.adnum = "
      "a.attnum WHERE a.attrelid = ?1::oid AND a.attnum > 0 AND NOT a.attisdropped "
      "ORDER BY a.attnum",
      layout.name);
  StatementScope scope(columns);
  columns.Bind(1, SqlValue::Text(oid));
  bool literalDefaults = true;
  while (columns.Step()) {
    ColumnInfo column;
    column.sqlName = TextAt(columns, 0);
    column.name = ShownName(column.sqlName);
    if (base::SameName(column.sqlName, "rowid")) {
      layout.rowid = QuoteName(column.sqlName);
      continue;
    }
    std::string declared = TextAt(columns, 2);
    if (declared.empty()) declared = DeclaredFromNative(TextAt(columns, 1));
    FieldTypeFromDeclared(declared, column);
    std::string defaultText = WithoutCasts(TextAt(columns, 3));
    if (!defaultText.empty()) {
      bool literal = true;
      column.defaultValue = DecodeField(DefaultLiteral(connection, defaultText, literal), column);
      literalDefaults = literalDefaults && literal;
    }
    layout.columns.push_back(std::move(column));
  }
  return literalDefaults;
}

// Reads the indexes with their keys; an index on anything but the fields (and
// a last rowid key) cannot be walked by key values, so it is left out.
void LoadServerIndexes(Connection& connection, const std::string& oid, TableLayout& layout) {
  Statement& keys = connection.Prepare(
      "SELECT i.relname, x.indisunique, k.n, pg_get_indexdef(x.indexrelid, k.n::int, true), "
      "(SELECT c.collname FROM pg_collation c WHERE c.oid = x.indcollation[k.n - 1] "
      "AND c.collname <> 'default') "
      "FROM pg_index x JOIN pg_class i ON i.oid = x.indexrelid "
      "CROSS JOIN LATERAL generate_series(1, x.indnkeyatts) AS k(n) "
      "WHERE x.indrelid = ?1::oid AND x.indpred IS NULL ORDER BY i.relname, k.n",
      layout.name);
  StatementScope scope(keys);
  keys.Bind(1, SqlValue::Text(oid));
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
  while (keys.Step()) {
    std::string sqlName = TextAt(keys, 0);
    if (sqlName != index.sqlName && !index.sqlName.empty()) finish();
    if (index.sqlName.empty()) {
      index.sqlName = sqlName;
      bool prefixed = sqlName.size() > prefix.size() &&
                      base::SameName(std::string_view(sqlName).substr(0, prefix.size()), prefix);
      index.name = ShownName(prefixed ? sqlName.substr(prefix.size()) : sqlName);
      index.unique = TextAt(keys, 1) == "t" || TextAt(keys, 1) == "1";
    }
    std::string expression = TextAt(keys, 3);
    std::string collation = TextAt(keys, 4);
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

FoundTable FoundAt(Statement& find) {
  return {
      TextAt(find, 0), TextAt(find, 1),
      TextAt(find, 0) + "\n" + TextAt(find, 2) + "\n" + TextAt(find, 3) + "\n" + TextAt(find, 4)};
}

bool IsAscii(const std::string& text) {
  for (char ch : text) {
    if (static_cast<unsigned char>(ch) > 127) return false;
  }
  return true;
}

// The tables of one schema as one user action found them: opening several
// tables in one action (a connection opened again opens six) asks the catalog
// once. A write of the thread or the end of the action forgets them.
struct ActionCatalog {
  uint64_t stamp = 0;
  uint64_t connection = 0;                             // its Serial()
  std::unordered_map<std::string, FoundTable> tables;  // by lower-case name
};
thread_local ActionCatalog actionCatalog;

// The table named `table` in any case, or nothing. Inside a user action the
// whole schema is read at the first call and the rest are answered from it;
// a name with other than ASCII letters is asked of the server alone, which
// folds it by its own rules.
std::optional<FoundTable> FindServerTable(Connection& connection, const std::string& table) {
  const uint64_t stamp = base::ActionStamp();
  if (stamp == 0 || !IsAscii(table)) {
    Statement& find = connection.Prepare(
        std::string(kFindTables) + "AND lower(c.relname) = lower(?1) ORDER BY c.relname LIMIT 1",
        table);
    StatementScope scope(find);
    find.Bind(1, SqlValue::Text(table));
    if (!find.Step()) return std::nullopt;
    return FoundAt(find);
  }
  if (actionCatalog.stamp != stamp || actionCatalog.connection != connection.Serial()) {
    ActionCatalog read{stamp, connection.Serial(), {}};
    Statement& all = connection.Prepare(std::string(kFindTables) + "ORDER BY c.relname", "");
    StatementScope scope(all);
    while (all.Step()) read.tables.try_emplace(TextAt(all, 5), FoundAt(all));
    actionCatalog = std::move(read);
  }
  auto found = actionCatalog.tables.find(base::LowerAscii(table));
  if (found == actionCatalog.tables.end()) return std::nullopt;
  return found->second;
}

}  // namespace

std::shared_ptr<const TableLayout> LoadServerTableLayout(Connection& connection,
                                                         const std::string& table) {
  std::optional<FoundTable> found = FindServerTable(connection, table);
  if (!found) throw TableNotFound(table, connection.Path());
  const std::string& oid = found->oid;
  const std::string& sqlName = found->sqlName;
  const std::string& shape = found->shape;
  const std::string key = "server\n" + connection.Path() + "\n" + table + "\n" + shape;
  std::shared_ptr<DBEngine> engine = DBEngine::Instance();
  if (std::shared_ptr<const TableLayout> known = engine->KnownLayout(key)) return known;
  auto layout = std::make_shared<TableLayout>();
  layout->name = table;
  layout->sqlName = sqlName;
  layout->hasRowidField = true;  // identities are never given again
  const bool keep = LoadServerColumns(connection, oid, *layout);
  if (layout->rowid.empty()) {
    throw base::RuntimeError(base::error::kEngineFailure,
                             "Table '" + table + "' in '" + connection.Path() +
                                 "' has no rowid identity column, so it cannot be opened as a "
                                 "table-type recordset.");
  }
  LoadServerIndexes(connection, oid, *layout);
  if (keep) engine->KeepLayout(key, layout);
  return layout;
}

}  // namespace recordstore
