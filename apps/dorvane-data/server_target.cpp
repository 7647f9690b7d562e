// The PostgreSQL target: a schema made inside the caller's transaction, rows
// sent with COPY (one statement a table, not one a row), the indexes built
// after the rows, and each table's identity moved past its highest rowid.
#include <algorithm>
#include <map>

#include "file_target.h"
#include "schema.h"
#include "server_layout.h"
#include "sqlite_file.h"

namespace dorvanedata {
namespace {

class ServerRowWriter : public RowWriter {
 public:
  ServerRowWriter(BulkConnection& connection, const std::string& table,
                  const std::vector<std::string>& columns)
      : connection_(connection) {
    std::string names;
    for (const std::string& column : columns) {
      names += (names.empty() ? "" : ", ") + LowerAscii(column);
    }
    connection_.BeginCopyIn("COPY " + table + " (" + names + ") FROM STDIN");
  }

  void Add(const Row& row) override { connection_.CopyRow(row); }
  void Finish() override { connection_.EndCopyIn(); }

 private:
  BulkConnection& connection_;
};

class ServerTarget : public FileTarget {
 public:
  ServerTarget(BulkConnection& connection, std::string_view section)
      : connection_(connection),
        layout_(ServerLayout(SchemaText(), section)),
        model_(ReadFileModel(SchemaText(), section)) {
    for (const std::string& statement : layout_.tables) connection_.Exec(statement);
  }

  std::unique_ptr<RowWriter> Open(std::string_view table,
                                  const std::vector<std::string>& columns) override {
    if (!model_.Table(table))
      throw ToolError("the built-in layout has no table " + std::string(table));
    return MakePgRowWriter(connection_, QualifiedName(table), columns);
  }

  void KeepNextRowid(std::string_view table, int64_t next) override {
    int64_t& kept = nextRowids_[LowerAscii(table)];
    kept = std::max(kept, next);
  }

  void Finish() override {
    for (const std::string& index : layout_.indexes) connection_.Exec(index);
    for (const TableModel& table : model_.tables) {
      const std::string name = QualifiedName(table.name);
      const auto kept = nextRowids_.find(LowerAscii(table.name));
      const int64_t next = kept == nextRowids_.end() ? 1 : kept->second;
      connection_.Exec("SELECT setval(pg_get_serial_sequence('" + name +
                       "', 'rowid'), greatest(coalesce(max(rowid), 0) + 1, " +
                       std::to_string(next) + "), false) FROM " + name);
      connection_.Exec("ANALYZE " + name);
    }
  }

 private:
  std::string QualifiedName(std::string_view table) const {
    return layout_.schema + "." + LowerAscii(table);
  }

  BulkConnection& connection_;
  ServerFileLayout layout_;
  FileModel model_;
  std::map<std::string, int64_t> nextRowids_;
};

}  // namespace

std::unique_ptr<RowWriter> MakePgRowWriter(BulkConnection& connection,
                                           const std::string& qualifiedTable,
                                           const std::vector<std::string>& columns) {
  return std::make_unique<ServerRowWriter>(connection, qualifiedTable, columns);
}

std::unique_ptr<FileTarget> MakePgTarget(BulkConnection& connection, std::string_view section) {
  return std::make_unique<ServerTarget>(connection, section);
}

}  // namespace dorvanedata
