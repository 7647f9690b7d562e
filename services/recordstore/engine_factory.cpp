// The engine factory: a path that names a server opens a PostgreSQL
// connection, any other a SQLite file. The one place that knows both engines.
#include "services/recordstore/connection.h"
#include "services/recordstore/data_source.h"
#include "services/recordstore/pg_connection.h"
#include "services/recordstore/sqlite_connection.h"

namespace recordstore {

// Opens the database of `path` on the engine the path names.
std::shared_ptr<Connection> Connection::Open(const std::string& path, int lockWaitMs) {
  if (IsServerPath(path)) return PgConnection::OpenSource(path, lockWaitMs);
  return SqliteConnection::OpenFile(path, lockWaitMs);
}

}  // namespace recordstore
