// Making a whole data source, a folder or a database on a server, so that it
// either ends complete or stays as it was: a folder's files are built beside
// the old ones and renamed into place (a folder made for them goes again after
// a failure); a server's schemas are made in one transaction. Relies on
// file_target.h and data_folder.h.
#pragma once

#include <functional>
#include <string>

#include "file_target.h"

namespace dorvanedata {

// Fills a new data file's target (and finishes it).
using FillFile = std::function<void(FileTarget&)>;

// Makes MAIN.MDB (schema main) with `fillMain` and, when `fillSettings` is
// set, QRLSYS.mdb (schema qrlsys); without it the destination ends without
// one. A destination that already holds either is refused unless `force`.
// Throws ToolError with the reason; nothing is changed then.
void BuildDataSource(const std::string& destination, bool force, const FillFile& fillMain,
                     const FillFile& fillSettings);

// The first of the data schemas (main, qrlsys) that holds tables, or "".
std::string SchemaWithTables(BulkConnection& db);

}  // namespace dorvanedata
