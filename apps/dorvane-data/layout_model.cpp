// Reads CREATE TABLE and CREATE INDEX statements of the layout text into
// tables, columns and index keys. The statements follow the house form:
//   CREATE TABLE T (COL TYPE [DEFAULT v] [CHECK (...)], ... [, CHECK (...)]);
//   CREATE [UNIQUE] INDEX "T.X" ON T (COL [COLLATE NOCASE], ...);
// Column and table constraints other than DEFAULT are the engine's own and
// are left out; a column named rowid is the row identity and left out too.
#include "layout_model.h"

#include <algorithm>
#include <cctype>

#include "schema.h"
#include "sqlite_file.h"

namespace dorvanedata {
namespace {

std::string Unquoted(std::string_view name) {
  name = Trim(name);
  if (name.size() >= 2 && (name.front() == '"' || name.front() == '[')) {
    name = name.substr(1, name.size() - 2);
  }
  return std::string(name);
}

bool StartsWithWord(std::string_view text, std::string_view word) {
  return LowerAscii(text.substr(0, word.size())) == LowerAscii(word) &&
         (text.size() == word.size() ||
          !std::isalnum(static_cast<unsigned char>(text[word.size()])));
}

// Splits the text between the outer parentheses at the commas outside inner ones.
std::vector<std::string_view> SplitList(std::string_view statement) {
  const auto open = statement.find('(');
  const auto close = statement.rfind(')');
  if (open == std::string_view::npos || close == std::string_view::npos || close < open) {
    throw ToolError("the built-in layout has a statement without a list: " +
                    std::string(statement));
  }
  std::vector<std::string_view> items;
  std::string_view body = statement.substr(open + 1, close - open - 1);
  int depth = 0;
  size_t start = 0;
  for (size_t i = 0; i < body.size(); ++i) {
    if (body[i] == '(') ++depth;
    if (body[i] == ')') --depth;
    if (body[i] == ',' && depth == 0) {
      items.push_back(Trim(body.substr(start, i - start)));
      start = i + 1;
    }
  }
  items.push_back(Trim(body.substr(start)));
  return items;
}

// Returns the next word (or a parenthesized group glued to it) and moves past it.
std::string_view NextToken(std::string_view& text) {
  text = Trim(text);
  size_t end = 0;
  int depth = 0;
  while (end < text.size() && (depth > 0 || !std::isspace(static_cast<unsigned char>(text[end])))) {
    if (text[end] == '(') ++depth;
    if (text[end] == ')') --depth;
    ++end;
  }
  std::string_view token = text.substr(0, end);
  text.remove_prefix(end);
  return token;
}

TableModel ReadTable(std::string_view statement) {
  TableModel table;
  std::string_view head = statement.substr(0, statement.find('('));
  head.remove_prefix(std::string_view("CREATE TABLE").size());
  table.name = Unquoted(head);
  for (std::string_view item : SplitList(statement)) {
    if (StartsWithWord(item, "CHECK") || StartsWithWord(item, "CONSTRAINT") ||
        StartsWithWord(item, "PRIMARY") || StartsWithWord(item, "UNIQUE")) {
      continue;
    }
    ColumnModel column;
    column.name = Unquoted(NextToken(item));
    column.declared = std::string(NextToken(item));
    while (!Trim(item).empty()) {
      const std::string_view word = NextToken(item);
      if (LowerAscii(word) == "default") column.defaultValue = std::string(NextToken(item));
    }
    if (column.name.empty() || column.declared.empty()) {
      throw ToolError("the built-in layout has a column without a type in " + table.name);
    }
    if (LowerAscii(column.name) != "rowid") table.columns.push_back(std::move(column));
  }
  return table;
}

IndexModel ReadIndex(std::string_view statement) {
  IndexModel index;
  index.unique = statement.starts_with("CREATE UNIQUE");
  const auto nameStart = statement.find('"');
  const auto nameEnd = statement.find('"', nameStart + 1);
  const auto dot = statement.find('.', nameStart);
  if (nameStart == std::string_view::npos || nameEnd == std::string_view::npos || dot > nameEnd) {
    throw ToolError("the built-in layout has an index not named \"TABLE.NAME\": " +
                    std::string(statement));
  }
  index.table = std::string(statement.substr(nameStart + 1, dot - nameStart - 1));
  index.name = std::string(statement.substr(dot + 1, nameEnd - dot - 1));
  for (std::string_view item : SplitList(statement)) {
    KeyModel key;
    key.column = Unquoted(NextToken(item));
    key.noCase = LowerAscii(item).find("nocase") != std::string::npos;
    index.keys.push_back(std::move(key));
  }
  return index;
}

// The element of `items` whose name is `name` in any case, or nullptr.
template <typename T>
const T* Named(const std::vector<T>& items, std::string_view name) {
  const std::string wanted = LowerAscii(name);
  for (const T& item : items) {
    if (LowerAscii(item.name) == wanted) return &item;
  }
  return nullptr;
}

}  // namespace

const ColumnModel* TableModel::Column(std::string_view name) const { return Named(columns, name); }

const TableModel* FileModel::Table(std::string_view name) const { return Named(tables, name); }

FileModel ReadFileModel(std::string_view schemaText, std::string_view section) {
  const FileLayout layout = SchemaLayout(schemaText, section);
  FileModel model;
  for (const std::string& statement : layout.tables) model.tables.push_back(ReadTable(statement));
  for (const std::string& statement : layout.indexes) {
    model.indexes.push_back(ReadIndex(statement));
  }
  return model;
}

}  // namespace dorvanedata
