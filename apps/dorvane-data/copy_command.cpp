// Copying a data source. Each source table is read in rowid order with the
// layout's columns (a source of an older layout, without a rowid column, gives
// SQLite's own rowid) and written to the destination's new table with the same
// rowids; a server source is read in one snapshot.
#include "copy_command.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>

#include "data_folder.h"
#include "destination.h"
#include "schema.h"
#include "server_layout.h"
#include "services/recordstore/data_source.h"
#include "sqlite_file.h"

namespace dorvanedata {
namespace fs = std::filesystem;
namespace {

// One data file of the source.
class FileSource {
 public:
  virtual ~FileSource() = default;
  // Hands every row of `table` (the columns named, in rowid order) to `take`.
  virtual void Read(const TableModel& table, const std::vector<std::string>& columns,
                    const std::function<void(const Row&)>& take) = 0;
  // The identity the next new row of `table` would get (0 when unknown).
  virtual int64_t NextRowid(const TableModel& table) = 0;
};

class SqliteSource : public FileSource {
 public:
  explicit SqliteSource(const fs::path& path) : file_(path.string(), true) { file_.Exec("BEGIN"); }

  void Read(const TableModel& table, const std::vector<std::string>& columns,
            const std::function<void(const Row&)>& take) override {
    std::string names;
    for (const std::string& column : columns)
      names += (names.empty() ? "\"" : ", \"") + column + "\"";
    Statement select =
        file_.Prepare("SELECT " + names + " FROM \"" + table.name + "\" ORDER BY rowid");
    Row row(columns.size());
    while (select.Step()) {
      for (size_t i = 0; i < columns.size(); ++i) row[i] = select.Text(static_cast<int>(i));
      take(row);
    }
  }

  int64_t NextRowid(const TableModel& table) override {
    Statement has = file_.Prepare("SELECT 1 FROM sqlite_master WHERE name = 'sqlite_sequence'");
    if (!has.Step()) return 0;
    Statement seq = file_.Prepare("SELECT seq FROM sqlite_sequence WHERE name = ? COLLATE NOCASE");
    seq.Bind(1, std::string_view(table.name));
    if (!seq.Step()) return 0;
    const std::optional<std::string> value = seq.Text(0);
    return value ? std::stoll(*value) + 1 : 0;
  }

 private:
  SqliteFile file_;
};

class ServerSource : public FileSource {
 public:
  ServerSource(BulkConnection& db, std::string schema) : db_(db), schema_(std::move(schema)) {}

  void Read(const TableModel& table, const std::vector<std::string>& columns,
            const std::function<void(const Row&)>& take) override {
    std::string names;
    for (const std::string& column : columns)
      names += (names.empty() ? "" : ", ") + LowerAscii(column);
    db_.CopyOut(
        "COPY (SELECT " + names + " FROM " + Qualified(table) + " ORDER BY rowid) TO STDOUT", take);
  }

  // Reading the counter of the rowid identity takes SELECT on its sequence,
  // which a role with only the table grants lacks: it is asked for by name.
  int64_t NextRowid(const TableModel& table) override {
    const std::vector<Row> names =
        db_.Query("SELECT s, has_sequence_privilege(s, 'SELECT') FROM pg_get_serial_sequence('" +
                  Qualified(table) + "', 'rowid') AS s");
    if (names.empty() || !names[0][0]) return 0;
    if (names[0][1] != "t") {
      throw ToolError("the " + db_.Where() + " does not let this role read " + *names[0][0] +
                      ", the counter of the rowids of " + Qualified(table) +
                      "; a copy needs it so that no rowid is given twice (GRANT SELECT ON ALL "
                      "SEQUENCES IN SCHEMA " +
                      SchemaOfFile(kMainFile) + ", " + SchemaOfFile(kSettingsFile) +
                      " TO the role)");
    }
    // A sequence set but not yet used gives last_value itself next.
    const std::vector<Row> rows = db_.Query(
        "SELECT CASE WHEN is_called THEN last_value + 1 ELSE last_value END FROM " + *names[0][0]);
    return rows.empty() || !rows[0][0] ? 0 : std::stoll(*rows[0][0]);
  }

 private:
  std::string Qualified(const TableModel& table) const {
    return schema_ + "." + LowerAscii(table.name);
  }

  BulkConnection& db_;
  std::string schema_;
};

// Copies every table of `section` from `source` into `target`; returns the rows copied.
int64_t CopyFile(FileSource& source, FileTarget& target, std::string_view section) {
  const FileModel model = ReadFileModel(SchemaText(), section);
  int64_t copied = 0;
  for (const TableModel& table : model.tables) {
    std::vector<std::string> columns = {"rowid"};
    for (const ColumnModel& column : table.columns) columns.push_back(column.name);
    auto rows = target.Open(table.name, columns);
    source.Read(table, columns, [&](const Row& row) {
      rows->Add(row);
      ++copied;
    });
    rows->Finish();
    target.KeepNextRowid(table.name, source.NextRowid(table));
  }
  target.Finish();
  return copied;
}

// The source's data files; `settings` is empty when it has no QRLSYS.mdb.
struct OpenSource {
  std::unique_ptr<BulkConnection> db;
  std::unique_ptr<FileSource> main;
  std::unique_ptr<FileSource> settings;
};

OpenSource OpenFolder(const std::string& text) {
  const fs::path folder(text);
  std::error_code error;
  if (!fs::is_directory(folder, error)) throw ToolError(text + " is not a folder");
  const std::vector<fs::path> mains = FilesNamed(folder, kMainFile);
  if (mains.empty()) throw ToolError(text + " has no " + std::string(kMainFile));
  OpenSource source;
  source.main = std::make_unique<SqliteSource>(mains.front());
  const std::vector<fs::path> settings = FilesNamed(folder, kSettingsFile);
  if (!settings.empty()) source.settings = std::make_unique<SqliteSource>(settings.front());
  return source;
}

OpenSource OpenServer(const std::string& uri) {
  OpenSource source;
  source.db = std::make_unique<BulkConnection>(uri);
  source.db->Exec("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
  auto hasTables = [&](const std::string& schema) {
    return !source.db->Query("SELECT 1 FROM pg_tables WHERE schemaname = '" + schema + "' LIMIT 1")
                .empty();
  };
  const std::string mainSchema = SchemaOfFile(kMainFile);
  const std::string settingsSchema = SchemaOfFile(kSettingsFile);
  if (!hasTables(mainSchema)) {
    throw ToolError("the " + source.db->Where() + " has no schema " + mainSchema +
                    " with tables (no " + std::string(kMainFile) + ")");
  }
  source.main = std::make_unique<ServerSource>(*source.db, mainSchema);
  if (hasTables(settingsSchema)) {
    source.settings = std::make_unique<ServerSource>(*source.db, settingsSchema);
  }
  return source;
}

// True when both texts name the same data source.
bool SameSource(const std::string& a, const std::string& b) {
  if (IsServerUri(a) || IsServerUri(b)) return a == b;
  std::error_code error;
  return fs::weakly_canonical(a, error) == fs::weakly_canonical(b, error);
}

}  // namespace

int RunCopy(const std::string& from, const std::string& to, bool force) {
  const std::string shownFrom = recordstore::HidePasswords(from);
  const std::string shownTo = recordstore::HidePasswords(to);
  if (SameSource(from, to)) {
    std::cerr << "dorvane-data: the source and the destination are the same (" << shownTo
              << "); nothing was changed\n";
    return 1;
  }
  const auto start = std::chrono::steady_clock::now();
  try {
    OpenSource source = IsServerUri(from) ? OpenServer(from) : OpenFolder(from);
    int64_t rows = 0;
    FillFile fillSettings;
    if (source.settings) {
      fillSettings = [&](FileTarget& target) {
        rows += CopyFile(*source.settings, target, kSettingsFile);
      };
    }
    BuildDataSource(
        to, force, [&](FileTarget& target) { rows += CopyFile(*source.main, target, kMainFile); },
        fillSettings);
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    char elapsed[32];
    std::snprintf(elapsed, sizeof elapsed, " (%.2f s)", seconds.count());
    std::cout << "Copied " << shownFrom << " to " << shownTo << ": " << rows << " rows"
              << (source.settings ? "" : "; no QRLSYS.mdb") << elapsed << "\n";
    return 0;
  } catch (const std::exception& failure) {
    std::cerr << "dorvane-data: " << failure.what() << "\n";
    return 1;
  }
}

}  // namespace dorvanedata
