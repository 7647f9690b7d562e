// Database: opening recordsets on one connection.
#include "services/recordstore/database.h"

#include <utility>

#include "services/recordstore/connection.h"
#include "services/recordstore/recordset.h"
#include "services/recordstore/store_errors.h"
#include "services/recordstore/table_layout.h"

namespace recordstore {

Database::Database(std::shared_ptr<Connection> connection, std::string name,
                   std::shared_ptr<Workspace> workspace)
    : connection_(std::move(connection)),
      workspace_(std::move(workspace)),
      name_(std::move(name)) {}

// Released when its recordsets are; the connection then closes itself.
Database::~Database() = default;

std::shared_ptr<Recordset> Database::OpenRecordset(const std::string& name, int type, int options,
                                                   int lockEdit) {
  if (!connection_ || !connection_->IsOpen()) throw ObjectClosed("database '" + name_ + "'");
  if (type != 1) {
    throw InvalidArgument("recordset type " + std::to_string(type) + " for table '" + name +
                          "' (only table-type recordsets, type 1, are available)");
  }
  auto layout = LoadTableLayout(*connection_, name);
  // The constructor is private to the store, so make_shared cannot reach it.
  std::shared_ptr<Recordset> recordset(
      new Recordset(connection_, std::move(layout), lockEdit == 2, shared_from_this()));
  std::erase_if(recordsets_, [](const std::weak_ptr<Recordset>& r) { return r.expired(); });
  recordsets_.push_back(recordset);
  return recordset;
}

void Database::Close() {
  for (const auto& weak : recordsets_) {
    if (std::shared_ptr<Recordset> recordset = weak.lock()) recordset->Close();
  }
  recordsets_.clear();
  // The file closes unless another Database of the workspace shares it.
  if (connection_ && connection_.use_count() == 1) connection_->Close();
  connection_.reset();
  workspace_.reset();
}

}  // namespace recordstore
