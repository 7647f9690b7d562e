// Where the tool writes one data file: a new SQLite file or a new schema on a
// server. The tables exist once the target is made; rows go in table by table;
// Finish builds the indexes and makes the file ready for the record store.
// Relies on bulk_connection.h (Row) and layout_model.h.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "bulk_connection.h"
#include "layout_model.h"

namespace dorvanedata {

// Rows for one table, in the column order it was opened with.
class RowWriter {
 public:
  virtual ~RowWriter() = default;
  virtual void Add(const Row& row) = 0;
  // Ends the table's rows; a writer must be finished before the next opens.
  virtual void Finish() = 0;
};

class FileTarget {
 public:
  virtual ~FileTarget() = default;
  // Starts the rows of `table` for the named columns (`rowid` may be one).
  virtual std::unique_ptr<RowWriter> Open(std::string_view table,
                                          const std::vector<std::string>& columns) = 0;
  // Makes new rows of `table` get identities of at least `next` (a copy keeps
  // the source's counter so that no deleted row's identity comes back).
  virtual void KeepNextRowid(std::string_view table, int64_t next) = 0;
  // Builds the indexes and completes the file.
  virtual void Finish() = 0;
};

// Rows for the server table `qualifiedTable` ("main.tjlist") sent with COPY,
// inside the caller's transaction.
std::unique_ptr<RowWriter> MakePgRowWriter(BulkConnection& connection,
                                           const std::string& qualifiedTable,
                                           const std::vector<std::string>& columns);

// A new SQLite file at `path` laid out as the schema text's `section`.
std::unique_ptr<FileTarget> MakeSqliteTarget(const std::string& path, std::string_view section);

// A new schema for `section` on the server, inside the caller's transaction.
std::unique_ptr<FileTarget> MakePgTarget(BulkConnection& connection, std::string_view section);

}  // namespace dorvanedata
