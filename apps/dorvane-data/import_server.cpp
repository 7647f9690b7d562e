// Imported tables on the server (see the header). The definitions read from
// the classic file become the layout model that server_layout.cpp turns into
// statements, so that an imported table is laid out as `init` lays out ours.
#include "import_server.h"

#include <cassert>

#include "file_target.h"
#include "layout_model.h"
#include "server_layout.h"
#include "sqlite_file.h"

namespace dorvanedata {
namespace {

// Throws unless `name` is kept unquoted on the server: the layout uses lower
// case names without quotes, which holds only letters, digits and '_'.
void CheckPlainName(const std::string& what, const std::string& name) {
  bool plain = !name.empty() && !(name[0] >= '0' && name[0] <= '9');
  for (char c : name) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (!letter && !(c >= '0' && c <= '9') && c != '_') plain = false;
  }
  if (!plain) {
    throw ToolError(what + " \"" + name +
                    "\" is not a plain name (letters, digits and _) as the server layout needs; "
                    "rename it in the classic program, or import into a data folder");
  }
}

// The layout model of an imported table (no defaults: the import keeps the
// classic file's values as they are).
TableModel ModelOf(const TableDefinition& table) {
  CheckFieldNames(table);
  CheckPlainName("table", table.name);
  TableModel model{table.name, {}};
  for (const FieldDefinition& field : table.fields) {
    CheckPlainName("field " + table.name + ".", field.name);
    model.columns.push_back({field.name, field.declared, std::nullopt});
  }
  return model;
}

IndexModel ModelOf(const TableDefinition& table, const IndexDefinition& index) {
  CheckPlainName("index " + table.name + ".", index.name);
  IndexModel model{table.name, index.name, index.unique, {}};
  for (const IndexKey& key : index.keys) {
    const int field = table.FindField(key.field);
    assert(field >= 0);
    model.keys.push_back({key.field,
                          IsNoCaseType(table.fields[static_cast<size_t>(field)].declared),
                          key.descending});
  }
  return model;
}

class ServerDestination : public ImportDestination {
 public:
  ServerDestination(BulkConnection& connection, const std::string& schema)
      : connection_(connection), schema_(schema) {
    connection_.Exec("CREATE SCHEMA IF NOT EXISTS " + schema_);
  }

  void CreateTable(const TableDefinition& table) override {
    assert(!rows_);
    const TableModel model = ModelOf(table);
    connection_.Exec(ServerTableStatement(schema_, model));
    for (const ColumnModel& column : model.columns) {
      connection_.Exec(ServerCommentStatement(schema_, model, column));
    }
    if (table.fields.empty()) return;  // a table without fields takes no rows
    std::vector<std::string> columns;
    for (const FieldDefinition& field : table.fields) columns.push_back(field.name);
    rows_ = MakePgRowWriter(connection_, schema_ + "." + LowerAscii(table.name), columns);
    row_.resize(columns.size());
  }

  void InsertRow(const ImportRow& row) override {
    if (!rows_) throw ToolError("a table without fields cannot hold rows");
    assert(row.size() == row_.size());
    for (size_t i = 0; i < row.size(); ++i) row_[i] = TextForm(row[i]);
    rows_->Add(row_);
  }

  void CreateIndexes(const TableDefinition& table) override {
    if (rows_) rows_->Finish();
    rows_.reset();
    for (const IndexDefinition& index : table.indexes) {
      connection_.Exec(ServerIndexStatement(schema_, ModelOf(table, index)));
    }
    connection_.Exec("ANALYZE " + schema_ + "." + LowerAscii(table.name));
  }

  // The caller commits the transaction that holds every schema.
  void Finish() override { assert(!rows_); }

 private:
  BulkConnection& connection_;
  std::string schema_;
  std::unique_ptr<RowWriter> rows_;
  Row row_;
};

}  // namespace

std::unique_ptr<ImportDestination> NewServerDestination(BulkConnection& connection,
                                                        const std::string& schema) {
  return std::make_unique<ServerDestination>(connection, schema);
}

}  // namespace dorvanedata
