// The SQLite target: the file is filled in one transaction with the journal
// off (it is new and only this program sees it), rows bound by the declared
// type of their column, the indexes built after the rows, and the finished
// file switched to WAL, the mode the record store shares it in.
#include <charconv>
#include <cstdlib>

#include "file_target.h"
#include "schema.h"
#include "sqlite_file.h"

namespace dorvanedata {
namespace {

enum class Kind { kInteger, kReal, kText };

// How a value of the declared type is stored.
Kind KindOf(std::string_view declared) {
  const std::string type = LowerAscii(declared);
  if (type == "bit" || type == "byte" || type == "short" || type == "long") return Kind::kInteger;
  if (type == "single" || type == "double" || type == "currency") return Kind::kReal;
  return Kind::kText;
}

class SqliteRowWriter : public RowWriter {
 public:
  SqliteRowWriter(SqliteFile& file, const TableModel& table,
                  const std::vector<std::string>& columns)
      : insert_(file.Prepare(InsertText(table, columns))) {
    for (const std::string& column : columns) {
      const ColumnModel* model = table.Column(column);
      kinds_.push_back(model ? KindOf(model->declared) : Kind::kInteger);  // rowid
    }
  }

  void Add(const Row& row) override {
    for (size_t i = 0; i < row.size(); ++i) {
      const int index = static_cast<int>(i) + 1;
      if (!row[i]) {
        insert_.BindNull(index);
      } else if (kinds_[i] == Kind::kInteger && BindInteger(index, *row[i])) {
      } else if (kinds_[i] == Kind::kReal && !row[i]->empty()) {
        insert_.Bind(index, std::strtod(row[i]->c_str(), nullptr));
      } else {
        insert_.Bind(index, std::string_view(*row[i]));
      }
    }
    insert_.Run();
  }

  void Finish() override {}

 private:
  static std::string InsertText(const TableModel& table, const std::vector<std::string>& columns) {
    std::string names;
    std::string marks;
    for (const std::string& column : columns) {
      names += (names.empty() ? "\"" : ", \"") + column + "\"";
      marks += marks.empty() ? "?" : ", ?";
    }
    return "INSERT INTO \"" + table.name + "\" (" + names + ") VALUES (" + marks + ")";
  }

  // Binds a whole number; false when the text is not one (it is then bound as text).
  bool BindInteger(int index, const std::string& text) {
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return false;
    insert_.Bind(index, value);
    return true;
  }

  Statement insert_;
  std::vector<Kind> kinds_;
};

class SqliteTarget : public FileTarget {
 public:
  SqliteTarget(const std::string& path, std::string_view section)
      : file_(path),
        layout_(SchemaLayout(SchemaText(), section)),
        model_(ReadFileModel(SchemaText(), section)) {
    if (layout_.tables.empty()) {
      throw ToolError("the built-in layout has no tables for " + std::string(section));
    }
    file_.Exec("PRAGMA journal_mode=OFF");
    file_.Exec("PRAGMA synchronous=OFF");
    file_.Exec("PRAGMA cache_size=-131072");  // 128 MB for the index builds
    file_.Exec("BEGIN");
    for (const std::string& table : layout_.tables) file_.Exec(table);
  }

  std::unique_ptr<RowWriter> Open(std::string_view table,
                                  const std::vector<std::string>& columns) override {
    const TableModel* model = model_.Table(table);
    if (!model) throw ToolError("the built-in layout has no table " + std::string(table));
    return std::make_unique<SqliteRowWriter>(file_, *model, columns);
  }

  void KeepNextRowid(std::string_view table, int64_t next) override {
    // Only AUTOINCREMENT tables keep a counter, in sqlite_sequence.
    Statement has = file_.Prepare("SELECT 1 FROM sqlite_master WHERE name = 'sqlite_sequence'");
    if (!has.Step()) return;
    Statement update = file_.Prepare("UPDATE sqlite_sequence SET seq = max(seq, ?) WHERE name = ?");
    update.Bind(1, next - 1);
    update.Bind(2, table);
    update.Run();
    Statement insert = file_.Prepare(
        "INSERT INTO sqlite_sequence (name, seq) SELECT ?1, ?2 WHERE NOT EXISTS "
        "(SELECT 1 FROM sqlite_sequence WHERE name = ?1) AND ?2 > 0");
    insert.Bind(1, table);
    insert.Bind(2, next - 1);
    insert.Run();
  }

  void Finish() override {
    for (const std::string& index : layout_.indexes) file_.Exec(index);
    file_.Exec("COMMIT");
    file_.UseWal();
    file_.Close();
  }

 private:
  SqliteFile file_;
  FileLayout layout_;
  FileModel model_;
};

}  // namespace

std::unique_ptr<FileTarget> MakeSqliteTarget(const std::string& path, std::string_view section) {
  return std::make_unique<SqliteTarget>(path, section);
}

}  // namespace dorvanedata
