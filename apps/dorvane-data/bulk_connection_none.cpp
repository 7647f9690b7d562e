// The data tool's server connection in a build without PostgreSQL: making one
// refuses the address, so every command that names a server stops there,
// before it writes anything, with the same message.
#include "bulk_connection.h"
#include "services/recordstore/data_source.h"
#include "sqlite_file.h"

namespace dorvanedata {

BulkConnection::BulkConnection(const std::string& uri) {
  throw ToolError("cannot connect to " + recordstore::HidePasswords(uri) +
                  ": this dorvane-data was built without PostgreSQL and writes data folders only");
}

BulkConnection::~BulkConnection() = default;

// No connection is ever made, so these are never reached.
void BulkConnection::Fail(std::string_view doing) {
  throw ToolError("cannot " + std::string(doing) + ": this build has no PostgreSQL");
}
void BulkConnection::Exec(std::string_view) { Fail("run a statement"); }
std::vector<Row> BulkConnection::Query(std::string_view) { Fail("run a query"); }
void BulkConnection::BeginCopyIn(std::string_view) { Fail("copy rows in"); }
void BulkConnection::CopyRow(const Row&) { Fail("copy rows in"); }
void BulkConnection::FlushCopy() { Fail("copy rows in"); }
void BulkConnection::EndCopyIn() { Fail("copy rows in"); }
void BulkConnection::CopyOut(std::string_view, const std::function<void(const Row&)>&) {
  Fail("copy rows out");
}

}  // namespace dorvanedata
