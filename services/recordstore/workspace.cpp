// Workspace: transactions spread over the connections of its databases; the
// public members forward to Workspace::Impl.
#include "services/recordstore/workspace.h"

#include <algorithm>
#include <utility>

#include "services/recordstore/connection.h"
#include "services/recordstore/data_source.h"
#include "services/recordstore/database.h"
#include "services/recordstore/database_impl.h"
#include "services/recordstore/database_path.h"
#include "services/recordstore/db_engine.h"
#include "services/recordstore/store_errors.h"
#include "services/recordstore/table_layout.h"
#include "services/recordstore/workspace_impl.h"

namespace recordstore {
namespace {

// The savepoint name of a nested transaction level.
std::string Savepoint(int level) { return "level" + std::to_string(level); }

}  // namespace

Workspace::Impl::Impl(std::string name) : name_(std::move(name)) {}

void Workspace::Impl::CheckOpen() const {
  if (closed_) throw ObjectClosed("workspace '" + name_ + "'");
}

std::vector<std::shared_ptr<Connection>> Workspace::Impl::LiveConnections() {
  std::vector<std::shared_ptr<Connection>> live;
  for (const OpenFile& file : files_) {
    std::shared_ptr<Connection> connection = file.connection.lock();
    if (connection && connection->IsOpen() &&
        std::find(live.begin(), live.end(), connection) == live.end()) {
      live.push_back(std::move(connection));
    }
  }
  return live;
}

std::shared_ptr<Database> Workspace::Impl::OpenDatabase(const std::string& path,
                                                        std::shared_ptr<Workspace> self) {
  CheckOpen();
  // A server data source is named by its URI without the password; a file by
  // its resolved path.
  std::string file = IsServerPath(path) ? ParseServerPath(path).display : ResolveDatabasePath(path);
  const std::string& target = IsServerPath(path) ? path : file;
  // A file opened twice in one workspace shares one connection, and so one
  // transaction.
  for (const auto& live : LiveConnections()) {
    // Names on a server are matched without regard to case.
    bool same = IsServerPath(path) ? base::SameName(live->Path(), file) : live->Path() == file;
    if (same) {
      auto database = Database::Impl::Open(live, path, std::move(self));
      files_.push_back({database, live});
      return database;
    }
  }
  auto connection = Connection::Open(target, DBEngine::Instance()->LockWaitMilliseconds());
  // A database opened inside a transaction joins it.
  if (depth_ > 0) {
    connection->BeginWrite();
    for (int level = 2; level <= depth_; ++level) {
      connection->Execute("SAVEPOINT " + Savepoint(level));
    }
  }
  auto database = Database::Impl::Open(connection, path, std::move(self));
  files_.push_back({database, connection});
  return database;
}

void Workspace::Impl::BeginTrans() {
  CheckOpen();
  std::vector<std::shared_ptr<Connection>> connections = LiveConnections();
  std::string sql = "SAVEPOINT " + Savepoint(depth_ + 1);
  size_t begun = 0;
  try {
    for (; begun < connections.size(); ++begun) {
      if (depth_ == 0) {
        connections[begun]->BeginWrite();
      } else {
        connections[begun]->Execute(sql);
      }
    }
  } catch (...) {
    // Leave no file half inside the new transaction.
    std::string undo = depth_ == 0 ? "ROLLBACK" : "ROLLBACK TO " + Savepoint(depth_ + 1);
    for (size_t i = 0; i < begun; ++i) {
      connections[i]->ExecuteQuietly(undo);
    }
    throw;
  }
  ++depth_;
}

void Workspace::Impl::CommitTrans(int options) {
  CheckOpen();
  if (depth_ == 0) throw CommitWithoutBegin(name_);
  for (const auto& connection : LiveConnections()) {
    if (depth_ == 1) {
      connection->Commit((options & 1) != 0);
    } else {
      connection->Execute("RELEASE " + Savepoint(depth_));
    }
  }
  --depth_;
}

void Workspace::Impl::Rollback() {
  CheckOpen();
  if (depth_ == 0) throw CommitWithoutBegin(name_);
  for (const auto& connection : LiveConnections()) {
    if (depth_ == 1) {
      connection->ExecuteQuietly("ROLLBACK");
    } else {
      std::string undo = "ROLLBACK TO " + Savepoint(depth_) + "; RELEASE " + Savepoint(depth_);
      connection->ExecuteQuietly(undo);
    }
    connection->ForgetRowCounts();
  }
  --depth_;
}

void Workspace::Impl::Close() {
  if (closed_) return;
  while (depth_ > 0) Rollback();
  for (const OpenFile& file : files_) {
    if (std::shared_ptr<Database> database = file.database.lock()) {
      database->Close();
    } else if (std::shared_ptr<Connection> connection = file.connection.lock()) {
      connection->Close();  // recordsets still holding it see it closed
    }
  }
  files_.clear();
  closed_ = true;
}

// --- The public face: each member forwards to the implementation ---

Workspace::Workspace(std::string name) : impl_(std::make_unique<Impl>(std::move(name))) {}

// Rolls back and closes. A failure here has nowhere to go: each engine rolls
// back what is left when its connection closes.
Workspace::~Workspace() {
  try {
    impl_->Close();
  } catch (...) {  // NOLINT(bugprone-empty-catch)
  }
}

const std::string& Workspace::Name() const { return impl_->name_; }

std::shared_ptr<Database> Workspace::OpenDatabase(const std::string& path) {
  return impl_->OpenDatabase(path, shared_from_this());
}

void Workspace::BeginTrans() { impl_->BeginTrans(); }
void Workspace::CommitTrans(int options) { impl_->CommitTrans(options); }
void Workspace::Rollback() { impl_->Rollback(); }
int Workspace::TransactionDepth() const { return impl_->depth_; }
void Workspace::Close() { impl_->Close(); }

}  // namespace recordstore
