// Building a data source in a folder or on a server (see the header).
#include "destination.h"

#include "data_folder.h"
#include "server_layout.h"
#include "sqlite_file.h"

namespace dorvanedata {
namespace fs = std::filesystem;
namespace {

// Removes half-built files after a failure; a failure here is not reported
// over the one that caused it.
void DiscardBuildingFiles(const fs::path& folder) {
  try {
    for (std::string_view name : {kMainFile, kSettingsFile}) {
      RemoveDatabase(folder, BuildingPath(folder, name).filename().string());
    }
  } catch (const std::exception&) {
  }
}

void BuildFolder(const std::string& destination, bool force, const FillFile& fillMain,
                 const FillFile& fillSettings) {
  const fs::path folder(destination);
  const std::vector<fs::path> made = MakeFolder(folder);
  std::vector<fs::path> existing = FilesNamed(folder, kMainFile);
  for (const fs::path& file : FilesNamed(folder, kSettingsFile)) existing.push_back(file);
  if (!existing.empty() && !force) {
    throw ToolError(destination + " already holds " + existing.front().filename().string() +
                    "; nothing was changed (use --force to replace its database files)");
  }
  for (const fs::path& file : existing) CheckNotInUse(file);
  DiscardBuildingFiles(folder);
  try {
    fillMain(*MakeSqliteTarget(BuildingPath(folder, kMainFile).string(), kMainFile));
    if (fillSettings) {
      fillSettings(*MakeSqliteTarget(BuildingPath(folder, kSettingsFile).string(), kSettingsFile));
    }
    InstallDatabase(folder, kMainFile);
    if (fillSettings) {
      InstallDatabase(folder, kSettingsFile);
    } else {
      RemoveDatabase(folder, kSettingsFile);
    }
  } catch (...) {
    DiscardBuildingFiles(folder);
    RemoveEmptyFolders(made);
    throw;
  }
}

void BuildServer(const std::string& destination, bool force, const FillFile& fillMain,
                 const FillFile& fillSettings) {
  BulkConnection db(destination);
  const std::string taken = SchemaWithTables(db);
  if (!taken.empty() && !force) {
    throw ToolError("the " + db.Where() + " already holds the tables of schema " + taken +
                    "; nothing was changed (use --force to replace them)");
  }
  // A program still using the tables holds locks; waiting for it is bounded.
  db.Exec("SET lock_timeout = '10s'");
  db.Exec("SET maintenance_work_mem = '256MB'");  // index builds sort in memory
  db.Exec("BEGIN");
  if (force) {
    db.Exec("DROP SCHEMA IF EXISTS " + SchemaOfFile(kMainFile) + " CASCADE");
    db.Exec("DROP SCHEMA IF EXISTS " + SchemaOfFile(kSettingsFile) + " CASCADE");
  }
  fillMain(*MakePgTarget(db, kMainFile));
  if (fillSettings) fillSettings(*MakePgTarget(db, kSettingsFile));
  db.Exec("COMMIT");  // a failure before this leaves the database as it was
}

}  // namespace

bool IsServerUri(std::string_view text) {
  return text.starts_with("postgresql://") || text.starts_with("postgres://");
}

std::string SchemaWithTables(BulkConnection& db) {
  const std::vector<Row> rows = db.Query(
      "SELECT n.nspname FROM pg_namespace n JOIN pg_class c ON c.relnamespace = n.oid "
      "WHERE c.relkind IN ('r', 'p', 'v') AND n.nspname IN ('" +
      SchemaOfFile(kMainFile) + "', '" + SchemaOfFile(kSettingsFile) +
      "') GROUP BY n.nspname ORDER BY n.nspname");
  return rows.empty() ? std::string() : rows.front()[0].value_or("");
}

void BuildDataSource(const std::string& destination, bool force, const FillFile& fillMain,
                     const FillFile& fillSettings) {
  if (IsServerUri(destination)) {
    BuildServer(destination, force, fillMain, fillSettings);
  } else {
    BuildFolder(destination, force, fillMain, fillSettings);
  }
}

}  // namespace dorvanedata
