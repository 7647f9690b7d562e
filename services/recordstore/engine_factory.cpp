// The engine factory: a path that names a server opens a PostgreSQL
// connection, any other a SQLite file. The one place that knows both engines.
// A build without PostgreSQL refuses a server path with the parser's message.
#include "services/recordstore/connection.h"
#include "services/recordstore/data_source.h"
#if DORVANE_POSTGRES
#include "services/recordstore/pg_connection.h"
#endif
#include "services/recordstore/sqlite_connection.h"

namespace recordstore {

// Opens the database of `path` on the engine the path names.
std::shared_ptr<Connection> Connection::Open(const std::string& path, int lockWaitMs) {
#if DORVANE_POSTGRES
  if (IsServerPath(path)) return PgConnection::OpenSource(path, lockWaitMs);
#else
  if (IsServerPath(path)) ParseServerPath(path);  // throws: no server engine here
#endif
  return SqliteConnection::OpenFile(path, lockWaitMs);
}

}  // namespace recordstore
