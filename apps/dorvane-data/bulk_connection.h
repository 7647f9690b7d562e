// A libpq connection for the data tool: URIs told apart from folders, failures
// as ToolError messages that name host and database but never a password,
// statements, and COPY in both directions for rows in bulk. Messages show a URI
// through recordstore::HidePasswords. Relies on libpq (bulk_connection.cpp); a
// build without PostgreSQL has bulk_connection_none.cpp instead, whose
// connection refuses every server address.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

typedef struct pg_conn PGconn;
namespace recordstore {
class ServerLink;
}

namespace dorvanedata {

// True when the data source text is a server URI (postgresql:// or postgres://).
bool IsServerUri(std::string_view text);

// Values of one row as text; nullopt is NULL.
using Row = std::vector<std::optional<std::string>>;

class BulkConnection {
 public:
  // Connects; throws ToolError naming host and database when it cannot.
  explicit BulkConnection(const std::string& uri);
  ~BulkConnection();
  BulkConnection(const BulkConnection&) = delete;
  BulkConnection& operator=(const BulkConnection&) = delete;

  // Runs statements that return no rows.
  void Exec(std::string_view sql);
  // Runs a query and returns its rows.
  std::vector<Row> Query(std::string_view sql);
  // Starts `COPY ... FROM STDIN` (text format); rows then go through CopyRow.
  void BeginCopyIn(std::string_view sql);
  void CopyRow(const Row& row);
  void EndCopyIn();
  // Runs `COPY (...) TO STDOUT` (text format) and hands each row to `take`.
  void CopyOut(std::string_view sql, const std::function<void(const Row&)>& take);
  // "database acme on db.example:5432", for messages.
  const std::string& Where() const { return where_; }

 private:
  // Throws a ToolError for the failed `doing`, with the server's message.
  [[noreturn]] void Fail(std::string_view doing);
  void FlushCopy();

  std::shared_ptr<recordstore::ServerLink> link_;  // with the store's timeouts
  PGconn* conn_ = nullptr;
  std::string where_;
  std::string copyBuffer_;
};

}  // namespace dorvanedata
