// The SQLite destination of an import: one transaction for the whole file,
// the journal off while building (the file is new and only this program sees
// it), rows through one prepared statement a table, indexes built after the
// rows, and the finished file switched to WAL as the record store shares it.
#include "import_writer.h"

#include <cassert>
#include <optional>

#include "sqlite_file.h"

namespace dorvanedata {
namespace {

// An identifier in double quotes, its own quotes doubled.
std::string Quoted(const std::string& name) {
  std::string quoted = "\"";
  for (char c : name) {
    quoted += c;
    if (c == '"') quoted += '"';
  }
  return quoted + "\"";
}

class SqliteDestination : public ImportDestination {
 public:
  explicit SqliteDestination(const std::string& path) : file_(path) {
    file_.Exec("PRAGMA journal_mode=OFF");
    file_.Exec("PRAGMA synchronous=OFF");
    file_.Exec("BEGIN");
  }

  void CreateTable(const TableDefinition& table) override {
    insert_.reset();
    file_.Exec(CreateTableSql(table));
    std::string names, marks;
    for (const FieldDefinition& field : table.fields) {
      names += (names.empty() ? "" : ", ") + Quoted(field.name);
      marks += marks.empty() ? "?" : ", ?";
    }
    fieldCount_ = table.fields.size();
    if (fieldCount_ == 0) return;  // a table without fields takes no rows
    insert_.emplace(file_.Prepare("INSERT INTO " + Quoted(table.name) + " (" + names +
                                  ") VALUES (" + marks + ")"));
  }

  void InsertRow(const ImportRow& row) override {
    assert(row.size() == fieldCount_);
    if (!insert_) throw ToolError("a table without fields cannot hold rows");
    for (size_t i = 0; i < row.size(); ++i) {
      const int at = static_cast<int>(i + 1);
      const ImportValue& value = row[i];
      switch (value.kind) {
        case ImportValue::Kind::kNull:
          insert_->BindNull(at);
          break;
        case ImportValue::Kind::kInteger:
          insert_->Bind(at, value.integer);
          break;
        case ImportValue::Kind::kReal:
          insert_->Bind(at, value.real);
          break;
        case ImportValue::Kind::kText:
          insert_->Bind(at, std::string_view(value.bytes));
          break;
        case ImportValue::Kind::kBlob:
          insert_->BindBlob(at, value.bytes);
          break;
      }
    }
    insert_->Run();
  }

  void CreateIndexes(const TableDefinition& table) override {
    for (const IndexDefinition& index : table.indexes) file_.Exec(CreateIndexSql(table, index));
  }

  void Finish() override {
    insert_.reset();
    file_.Exec("COMMIT");
    file_.UseWal();
    file_.Close();
  }

 private:
  SqliteFile file_;
  std::optional<Statement> insert_;
  size_t fieldCount_ = 0;
};

}  // namespace

std::unique_ptr<ImportDestination> NewSqliteDestination(const std::string& path) {
  return std::make_unique<SqliteDestination>(path);
}

bool IsNoCaseType(const std::string& declared) {
  return declared.starts_with("TEXT") || declared == "MEMO";
}

void CheckFieldNames(const TableDefinition& table) {
  for (const FieldDefinition& field : table.fields) {
    if (SameName(field.name, "rowid")) {
      throw ToolError("table " + table.name +
                      " has a field named rowid, the name our layout keeps for the row's "
                      "identity; rename the field in the classic program and import again");
    }
  }
}

std::string CreateTableSql(const TableDefinition& table) {
  CheckFieldNames(table);
  std::string sql =
      "CREATE TABLE " + Quoted(table.name) + " (rowid INTEGER PRIMARY KEY AUTOINCREMENT";
  for (const FieldDefinition& field : table.fields) {
    sql += ", " + Quoted(field.name) + " " + field.declared;
  }
  return sql + ")";
}

std::string CreateIndexSql(const TableDefinition& table, const IndexDefinition& index) {
  std::string sql = std::string("CREATE ") + (index.unique ? "UNIQUE " : "") + "INDEX " +
                    Quoted(table.name + "." + index.name) + " ON " + Quoted(table.name) + " (";
  for (size_t k = 0; k < index.keys.size(); ++k) {
    const IndexKey& key = index.keys[k];
    const int field = table.FindField(key.field);
    assert(field >= 0);
    sql += (k ? ", " : "") + Quoted(key.field);
    if (IsNoCaseType(table.fields[static_cast<size_t>(field)].declared)) sql += " COLLATE NOCASE";
    if (key.descending) sql += " DESC";
  }
  return sql + ")";
}

}  // namespace dorvanedata
