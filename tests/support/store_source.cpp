// StoreSource over DataFolder or a TestDatabase (see the header).
#include "store_source.h"

#include <gtest/gtest.h>

#include <cctype>
#include <stdexcept>

#include "programs.h"

namespace testsupport {
namespace {

// The server layout as the data tool prints it, read once per program.
const std::string& ServerLayout() {
  static const std::string layout = [] {
    ProgramRun run = RunDataTool({"schema", "--postgres"});
    if (run.status != 0) throw std::runtime_error("dorvane-data schema --postgres: " + run.err);
    return run.out;
  }();
  return layout;
}

}  // namespace

std::string EngineName(StoreEngine engine) {
  return engine == StoreEngine::kSqlite ? "SQLite" : "PostgreSQL";
}

bool StoreSource::Available(StoreEngine engine) {
  return engine == StoreEngine::kSqlite || TestServerUri().has_value();
}

StoreSource::StoreSource(StoreEngine engine) {
  if (engine == StoreEngine::kSqlite) {
    folder_ = std::make_unique<DataFolder>();
  } else if (Available(engine)) {
    database_ = std::make_unique<TestDatabase>();
  }
}

std::string StoreSource::OnSchema(const std::string& name) {
  std::string schema;
  for (char c : name.substr(0, name.find('.'))) {
    schema += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return "SET search_path TO " + schema + "; ";
}

std::string StoreSource::File(const std::string& name) const {
  return folder_ ? folder_->File(name) : database_->Uri() + "\\" + name;
}

std::string StoreSource::Uri() const { return database_ ? database_->Uri() : ""; }

void StoreSource::CreateMain(const std::string& rows) {
  if (folder_) {
    folder_->CreateMain(rows);
    return;
  }
  PgRows(database_->Uri(), ServerLayout());
  if (!rows.empty()) Exec("MAIN.MDB", rows);
}

void StoreSource::Exec(const std::string& name, const std::string& sql) const {
  if (folder_) {
    folder_->Exec(name, sql);
  } else {
    PgRows(database_->Uri(), OnSchema(name) + sql);
  }
}

std::vector<std::string> StoreSource::Query(const std::string& name, const std::string& sql) const {
  if (folder_) return folder_->Query(name, sql);
  return PgRows(database_->Uri(), OnSchema(name) + sql);
}

std::string StoreSource::Value(const std::string& name, const std::string& sql) const {
  std::vector<std::string> rows = Query(name, sql);
  if (rows.empty()) return "(none)";
  return rows.front().substr(0, rows.front().find('|'));
}

}  // namespace testsupport
