// Data folders from the data tool's layout text (see the header). Relies on
// dorvanedata::SchemaText and SchemaLayout, compiled in from apps/dorvane-data.
#include "data_folder.h"

#include <filesystem>
#include <stdexcept>

#include "apps/dorvane-data/schema.h"
#include "sql_file.h"

namespace testsupport {

std::string SchemaOf(const std::string& fileName) {
  const dorvanedata::FileLayout layout =
      dorvanedata::SchemaLayout(dorvanedata::SchemaText(), fileName);
  if (layout.tables.empty()) throw std::runtime_error("no layout for " + fileName);
  std::string sql;
  for (const auto& statement : layout.tables) sql += statement + "\n";
  for (const auto& statement : layout.indexes) sql += statement + "\n";
  return sql;
}

DataFolder::DataFolder(std::initializer_list<std::string> files) : folder_("dorvane-data") {
  for (const std::string& name : files) Create(name, SchemaOf(name));
}

void DataFolder::Create(const std::string& name, const std::string& sql) const {
  if (std::filesystem::exists(File(name))) throw std::runtime_error(name + " exists already");
  SqlFile file(File(name), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
  file.Exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=OFF;");
  file.Exec("BEGIN;" + sql + ";COMMIT;");
}

void DataFolder::CreateMain(const std::string& rows) const {
  Create("MAIN.MDB", SchemaOf("MAIN.MDB") + rows);
}

void DataFolder::Exec(const std::string& name, const std::string& sql) const {
  SqlFile(File(name)).Exec(sql);
}

std::vector<std::string> DataFolder::Query(const std::string& name, const std::string& sql) const {
  return SqlFile(File(name)).Lines(sql);
}

std::string DataFolder::Value(const std::string& name, const std::string& sql) const {
  return SqlFile(File(name)).Value(sql);
}

}  // namespace testsupport
