// Database: opening recordsets on one connection; the public members forward
// to Database::Impl.
#include "services/recordstore/database.h"

#include <utility>

#include "services/recordstore/connection.h"
#include "services/recordstore/database_impl.h"
#include "services/recordstore/recordset.h"
#include "services/recordstore/recordset_impl.h"
#include "services/recordstore/store_errors.h"
#include "services/recordstore/table_layout.h"
#include "services/recordstore/workspace.h"

namespace recordstore {

Database::Impl::Impl(std::shared_ptr<Connection> connection, std::string name,
                     std::shared_ptr<Workspace> workspace)
    : connection_(std::move(connection)),
      workspace_(std::move(workspace)),
      name_(std::move(name)) {}

std::shared_ptr<Database> Database::Impl::Open(std::shared_ptr<Connection> connection,
                                               std::string name,
                                               std::shared_ptr<Workspace> workspace) {
  auto impl = std::make_unique<Impl>(std::move(connection), std::move(name), std::move(workspace));
  // The constructor is private to the store, so make_shared cannot reach it.
  return std::shared_ptr<Database>(new Database(std::move(impl)));
}

std::shared_ptr<Recordset> Database::Impl::OpenRecordset(const std::string& name, int type,
                                                         int lockEdit,
                                                         std::shared_ptr<const Database> self) {
  if (!connection_ || !connection_->IsOpen()) throw ObjectClosed("database '" + name_ + "'");
  if (type != 1) {
    throw InvalidArgument("recordset type " + std::to_string(type) + " for table '" + name +
                          "' (only table-type recordsets, type 1, are available)");
  }
  auto layout = LoadTableLayout(*connection_, name);
  std::shared_ptr<Recordset> recordset =
      Recordset::Impl::Open(connection_, std::move(layout), lockEdit == 2, std::move(self));
  std::erase_if(recordsets_, [](const std::weak_ptr<Recordset>& r) { return r.expired(); });
  recordsets_.push_back(recordset);
  return recordset;
}

void Database::Impl::Close() {
  for (const auto& weak : recordsets_) {
    if (std::shared_ptr<Recordset> recordset = weak.lock()) recordset->Close();
  }
  recordsets_.clear();
  // The file closes unless another Database of the workspace shares it.
  if (connection_ && connection_.use_count() == 1) connection_->Close();
  connection_.reset();
  workspace_.reset();
}

// --- The public face: each member forwards to the implementation ---

Database::Database(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

// Released when its recordsets are; the connection then closes itself.
Database::~Database() = default;

const std::string& Database::Name() const { return impl_->name_; }

std::shared_ptr<Recordset> Database::OpenRecordset(const std::string& name, int type, int options,
                                                   int lockEdit) {
  return impl_->OpenRecordset(name, type, lockEdit, shared_from_this());
}

void Database::Close() { impl_->Close(); }

}  // namespace recordstore
