// Reading a table's layout through SQLite's schema pragmas (bound table and
// index names, so no identifier is ever pasted into SQL text unquoted).
#include "services/recordstore/table_layout.h"

#include <cctype>
#include <cstdlib>
#include <utility>

#include "services/base/text_case.h"
#include "services/recordstore/engine_memory.h"
#include "services/recordstore/field_codec.h"
#include "services/recordstore/number_text.h"
#include "services/recordstore/store_errors.h"

namespace recordstore {

namespace {

// Column `index` of the current row as text ("" for anything else).
std::string TextColumn(Statement& statement, int index) {
  SqlValue value;
  statement.ReadColumn(index, value);
  return value.kind == SqlValue::Kind::Text ? value.bytes : std::string();
}

// Fills the fields of `layout` from the table's column list, and `positions`
// with the field position of each SQLite column (-1 for the hidden identity
// column). Returns false when a default is an expression evaluated now
// (CURRENT_TIMESTAMP), which makes the layout unfit to keep.
bool LoadColumns(Connection& connection, TableLayout& layout, std::vector<int>& positions) {
  Statement& info = connection.Prepare(
      "SELECT name, type, dflt_value, pk FROM pragma_table_info(?1) ORDER BY cid", layout.name);
  StatementScope scope(info);
  info.Bind(1, SqlValue::Text(layout.name));
  int keyFields = 0;
  int integerKey = -1;
  int identity = -1;  // the SQLite column that is the hidden identity
  bool literalDefaults = true;
  while (info.Step()) {
    ColumnInfo column;
    column.name = TextColumn(info, 0);
    column.sqlName = column.name;
    std::string declared = TextColumn(info, 1);
    // A column named rowid that is the table's INTEGER PRIMARY KEY is the
    // row's identity, the bookmark: it is not a field.
    if (info.ColumnInt(3) > 0 && base::SameName(column.name, "rowid") &&
        base::SameName(declared, "INTEGER")) {
      ++keyFields;
      identity = static_cast<int>(positions.size());
      positions.push_back(-1);
      continue;
    }
    positions.push_back(static_cast<int>(layout.columns.size()));
    FieldTypeFromDeclared(declared, column);
    std::string defaultText = TextColumn(info, 2);
    if (!defaultText.empty()) {
      bool literal = true;
      column.defaultValue = DecodeField(DefaultLiteral(connection, defaultText, literal), column);
      literalDefaults = literalDefaults && literal;
    }
    if (info.ColumnInt(3) > 0) {
      ++keyFields;
      if (base::SameName(declared, "INTEGER")) integerKey = static_cast<int>(layout.columns.size());
    }
    layout.columns.push_back(std::move(column));
  }
  layout.hasRowidField = keyFields == 1 && integerKey >= 0;
  if (keyFields > 1 && identity >= 0) {
    // A composite key: the column called rowid is an ordinary field after all.
    throw base::RuntimeError(base::error::kEngineFailure,
                             "Table '" + layout.name +
                                 "' has a field named rowid inside a key of "
                                 "several fields; it cannot be opened.");
  }
  return literalDefaults;
}

// Fills the indexes of `layout` (`positions` as LoadColumns made it); an index
// on an expression or on the identity cannot be walked by field values, so it
// is left out.
void LoadIndexes(Connection& connection, TableLayout& layout, const std::vector<int>& positions) {
  std::vector<std::pair<std::string, bool>> names;
  {
    Statement& list = connection.Prepare(
        "SELECT name, \"unique\" FROM pragma_index_list(?1) ORDER BY seq", layout.name);
    StatementScope scope(list);
    list.Bind(1, SqlValue::Text(layout.name));
    while (list.Step()) names.emplace_back(TextColumn(list, 0), list.ColumnInt(1) != 0);
  }
  Statement& keys = connection.Prepare(
      "SELECT cid, coll FROM pragma_index_xinfo(?1) WHERE key = 1 ORDER BY seqno", layout.name);
  std::string prefix = layout.name + ".";
  for (const auto& [sqlName, unique] : names) {
    IndexInfo index;
    index.sqlName = sqlName;
    bool prefixed = sqlName.size() > prefix.size() &&
                    base::SameName(std::string_view(sqlName).substr(0, prefix.size()), prefix);
    index.name = prefixed ? sqlName.substr(prefix.size()) : sqlName;
    index.unique = unique;
    bool usable = true;
    StatementScope scope(keys);
    keys.Bind(1, SqlValue::Text(sqlName));
    while (keys.Step()) {
      int64_t cid = keys.ColumnInt(0);
      int position = cid >= 0 && cid < static_cast<int64_t>(positions.size()) ? positions[cid] : -1;
      if (position < 0) usable = false;
      index.columns.push_back(position);
      index.collations.push_back(CollationFromName(TextColumn(keys, 1)));
    }
    if (usable && !index.columns.empty()) layout.indexes.push_back(std::move(index));
  }
}

}  // namespace

// The value of a column default written as a literal: a number, a quoted
// text, NULL, TRUE or FALSE. Other expressions are evaluated by SQLite, and
// `literal` becomes false.
SqlValue DefaultLiteral(Connection& connection, const std::string& text, bool& literal) {
  if (text.empty() || base::SameName(text, "NULL")) return SqlValue();
  if (base::SameName(text, "TRUE")) return SqlValue::Int(1);
  if (base::SameName(text, "FALSE")) return SqlValue::Int(0);
  if (text.size() >= 2 && text.front() == '\'' && text.back() == '\'') {
    std::string inner;
    for (size_t i = 1; i + 1 < text.size(); ++i) {
      inner += text[i];
      if (text[i] == '\'') ++i;  // '' stands for one quote
    }
    return SqlValue::Text(inner);
  }
  if (std::optional<double> number = ParseNumberText(text)) {
    if (text.find_first_of(".eE") == std::string::npos) {
      return SqlValue::Int(std::strtoll(text.c_str(), nullptr, 10));
    }
    return SqlValue::Real(*number);
  }
  // An expression from the file's own schema, such as CURRENT_TIMESTAMP.
  literal = false;
  SqlValue value;
  try {
    Statement& statement = connection.Prepare("SELECT " + text, "");
    StatementScope scope(statement);
    if (statement.Step()) statement.ReadColumn(0, value);
  } catch (const base::RuntimeError&) {
    // A default the engine cannot evaluate alone reads as Null.
  }
  return value;
}

int TableLayout::FindColumn(std::string_view field) const {
  for (size_t i = 0; i < columns.size(); ++i) {
    if (base::SameName(columns[i].name, field)) return static_cast<int>(i);
  }
  return -1;
}

const IndexInfo* TableLayout::FindIndex(std::string_view index) const {
  for (const IndexInfo& info : indexes) {
    if (base::SameName(info.name, index) || base::SameName(info.sqlName, index)) return &info;
  }
  return nullptr;
}

void FieldTypeFromDeclared(std::string_view declared, ColumnInfo& column) {
  std::string word;
  std::string width;
  for (char c : declared) {
    if (std::isalpha(static_cast<unsigned char>(c))) {
      if (width.empty()) word += base::UpperAscii(c);
    } else if (std::isdigit(static_cast<unsigned char>(c))) {
      width += c;
    }
  }
  struct Known {
    const char* word;
    int type;
    int size;
  };
  static const Known kKnown[] = {{"BIT", kBooleanField, 1},
                                 {"BYTE", kByteField, 1},
                                 {"SHORT", kIntegerField, 2},
                                 {"LONG", kLongField, 4},
                                 {"CURRENCY", kCurrencyField, 8},
                                 {"SINGLE", kSingleField, 4},
                                 {"DOUBLE", kDoubleField, 8},
                                 {"DATETIME", kDateField, 8},
                                 {"LONGBINARY", kLongBinaryField, 0},
                                 {"MEMO", kMemoField, 0},
                                 {"GUID", kGuidField, 16}};
  column.type = kTextField;
  column.size = 255;
  column.checkWidth = false;
  if (word == "TEXT") {
    column.checkWidth = true;
    if (!width.empty() && width.size() < 6) column.size = std::atoi(width.c_str());
    return;
  }
  for (const Known& known : kKnown) {
    if (word == known.word && width.empty()) {
      column.type = known.type;
      column.size = known.size;
      return;
    }
  }
}

std::shared_ptr<const TableLayout> LoadTableLayout(Connection& connection,
                                                   const std::string& table) {
#if DORVANE_POSTGRES
  if (connection.Kind() == Engine::kPostgres) return LoadServerTableLayout(connection, table);
#endif
  auto layout = std::make_shared<TableLayout>();
  // One query gives the schema rows of the table and of its indexes; their
  // text is the key of the layouts the engine keeps.
  std::string schemaText;
  bool found = false;
  {
    Statement& find = connection.Prepare(
        "SELECT name, type, sql FROM sqlite_master WHERE tbl_name = ?1 COLLATE NOCASE "
        "AND type IN ('table', 'view', 'index') ORDER BY type, name",
        table);
    StatementScope scope(find);
    find.Bind(1, SqlValue::Text(table));
    while (find.Step()) {
      const std::string name = TextColumn(find, 0);
      const std::string type = TextColumn(find, 1);
      const std::string sql = TextColumn(find, 2);
      for (const std::string* part : {&type, &name, &sql}) schemaText.append(*part).append("\n");
      if (type == "index" || !base::SameName(name, table)) continue;
      found = true;
      layout->name = name;
      layout->sqlName = name;
      std::string upper = sql;
      for (char& c : upper) c = base::UpperAscii(c);
      if (type != "table" || upper.find("WITHOUT ROWID") != std::string::npos) {
        throw base::RuntimeError(
            base::error::kEngineFailure,
            "'" + layout->name + "' in '" + connection.Path() +
                "' is not an ordinary table with row identifiers, so it cannot "
                "be opened as a table-type recordset.");
      }
    }
  }
  if (!found) throw TableNotFound(table, connection.Path());
  if (std::shared_ptr<const TableLayout> known = KnownLayout(schemaText)) return known;
  std::vector<int> positions;
  const bool keep = LoadColumns(connection, *layout, positions);
  LoadIndexes(connection, *layout, positions);
  for (const char* candidate : {"rowid", "_rowid_", "oid"}) {
    if (layout->FindColumn(candidate) < 0) {
      layout->rowid = candidate;
      break;
    }
  }
  if (layout->rowid.empty()) {
    throw base::RuntimeError(base::error::kEngineFailure,
                             "Table '" + layout->name +
                                 "' hides its row identifier behind fields "
                                 "named rowid, _rowid_ and oid.");
  }
  if (keep) KeepLayout(schemaText, layout);
  return layout;
}

}  // namespace recordstore
