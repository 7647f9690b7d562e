// Workspace: transactions spread over the connections of its databases.
#include "services/recordstore/workspace.h"

#include <algorithm>
#include <utility>

#include "services/recordstore/connection.h"
#include "services/recordstore/database.h"
#include "services/recordstore/database_path.h"
#include "services/recordstore/db_engine.h"
#include "services/recordstore/store_errors.h"

namespace recordstore {
namespace {

// The savepoint name of a nested transaction level.
std::string Savepoint(int level) { return "level" + std::to_string(level); }

// Writes the file and its WAL through to the disk after a commit made with
// synchronous=NORMAL, so that the commit survives a power failure.
void SyncToDisk(Connection& connection) {
  for (int op : {SQLITE_FCNTL_JOURNAL_POINTER, SQLITE_FCNTL_FILE_POINTER}) {
    sqlite3_file* file = nullptr;
    if (sqlite3_file_control(connection.Handle(), "main", op, &file) == SQLITE_OK &&
        file != nullptr && file->pMethods != nullptr) {
      int rc = file->pMethods->xSync(file, SQLITE_SYNC_FULL);
      if (rc != SQLITE_OK) connection.Fail(rc, "");
    }
  }
}

}  // namespace

Workspace::Workspace(std::string name) : name_(std::move(name)) {}

Workspace::~Workspace() { Close(); }

void Workspace::CheckOpen() const {
  if (closed_) throw ObjectClosed("workspace '" + name_ + "'");
}

std::vector<std::shared_ptr<Connection>> Workspace::LiveConnections() {
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

std::shared_ptr<Database> Workspace::OpenDatabase(const std::string& path) {
  CheckOpen();
  std::string file = ResolveDatabasePath(path);
  // A file opened twice in one workspace shares one connection, and so one
  // transaction.
  for (const auto& live : LiveConnections()) {
    if (live->Path() == file) {
      auto database = std::make_shared<Database>(live, path, shared_from_this());
      files_.push_back({database, live});
      return database;
    }
  }
  auto connection = Connection::Open(file, DBEngine::Instance()->LockWaitMilliseconds());
  // A database opened inside a transaction joins it.
  if (depth_ > 0) {
    connection->Execute("BEGIN IMMEDIATE");
    for (int level = 2; level <= depth_; ++level) {
      connection->Execute("SAVEPOINT " + Savepoint(level));
    }
  }
  auto database = std::make_shared<Database>(connection, path, shared_from_this());
  files_.push_back({database, connection});
  return database;
}

void Workspace::BeginTrans() {
  CheckOpen();
  std::vector<std::shared_ptr<Connection>> connections = LiveConnections();
  std::string sql = depth_ == 0 ? "BEGIN IMMEDIATE" : "SAVEPOINT " + Savepoint(depth_ + 1);
  size_t begun = 0;
  try {
    for (; begun < connections.size(); ++begun) connections[begun]->Execute(sql);
  } catch (...) {
    // Leave no file half inside the new transaction.
    std::string undo = depth_ == 0 ? "ROLLBACK" : "ROLLBACK TO " + Savepoint(depth_ + 1);
    for (size_t i = 0; i < begun; ++i) {
      sqlite3_exec(connections[i]->Handle(), undo.c_str(), nullptr, nullptr, nullptr);
    }
    throw;
  }
  ++depth_;
}

void Workspace::CommitTrans(int options) {
  CheckOpen();
  if (depth_ == 0) throw CommitWithoutBegin(name_);
  std::string sql = depth_ == 1 ? "COMMIT" : "RELEASE " + Savepoint(depth_);
  for (const auto& connection : LiveConnections()) {
    connection->Execute(sql);
    if (depth_ == 1 && (options & 1) != 0) SyncToDisk(*connection);
  }
  --depth_;
}

void Workspace::Rollback() {
  CheckOpen();
  if (depth_ == 0) throw CommitWithoutBegin(name_);
  for (const auto& connection : LiveConnections()) {
    if (depth_ == 1) {
      sqlite3_exec(connection->Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    } else {
      std::string undo = "ROLLBACK TO " + Savepoint(depth_) + "; RELEASE " + Savepoint(depth_);
      sqlite3_exec(connection->Handle(), undo.c_str(), nullptr, nullptr, nullptr);
    }
    connection->ForgetRowCounts();
  }
  --depth_;
}

void Workspace::Close() {
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

}  // namespace recordstore
