// Connection: opening a database on the engine its path names, and quoting.
#include "services/recordstore/connection.h"

#include <atomic>
#include <utility>

#include "services/recordstore/data_source.h"
#include "services/recordstore/pg_connection.h"
#include "services/recordstore/sqlite_connection.h"

namespace recordstore {

std::string QuoteName(const std::string& name) {
  std::string quoted = "\"";
  for (char c : name) {
    quoted += c;
    if (c == '"') quoted += '"';
  }
  return quoted + "\"";
}

Connection::Connection(std::string path, int lockWaitMs)
    : path_(std::move(path)), lockWaitMs_(lockWaitMs) {
  static std::atomic<uint64_t> lastSerial{0};
  serial_ = ++lastSerial;
}

std::shared_ptr<Connection> Connection::Open(const std::string& path, int lockWaitMs) {
  if (IsServerPath(path)) return PgConnection::OpenSource(path, lockWaitMs);
  return SqliteConnection::OpenFile(path, lockWaitMs);
}

}  // namespace recordstore
