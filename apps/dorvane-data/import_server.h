// The server destination of an import: the imported tables of one data file
// made in its schema (MAIN.MDB in `main`) with the server layout's statements,
// rows sent with COPY, all inside the caller's transaction so that a failure
// leaves nothing. Relies on import_writer.h, server_layout.h and file_target.h.
#pragma once

#include <memory>
#include <string>

#include "bulk_connection.h"
#include "import_writer.h"

namespace dorvanedata {

// A destination that writes into `schema` (made here) on `connection`, whose
// transaction the caller opens and commits.
std::unique_ptr<ImportDestination> NewServerDestination(BulkConnection& connection,
                                                        const std::string& schema);

}  // namespace dorvanedata
