// What the record engine remembers for the whole process, apart from its
// public face (db_engine.h): the highest row identifier deleted in each table,
// so that a new row never takes the identifier (the bookmark) of a row this
// program deleted, and the table layouts read so far, so that a table opened
// again on a new connection costs one schema query instead of several. Both
// are kept under one lock; any thread may call. Relies on TableLayout.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace recordstore {

struct TableLayout;

// Notes a deleted rowid of `table` in file `path` (recordsets call it).
void NoteDeletedRow(const std::string& path, const std::string& table, int64_t rowid);
// The highest rowid noted for `table` in `path`, 0 when none.
int64_t HighestDeletedRow(const std::string& path, const std::string& table);

// The layout read before from the same schema text (the CREATE statements of
// the table and its indexes, on which a layout depends alone), or nullptr.
std::shared_ptr<const TableLayout> KnownLayout(const std::string& schemaText);
// Keeps the layout read for that text.
void KeepLayout(const std::string& schemaText, std::shared_ptr<const TableLayout> layout);

}  // namespace recordstore
