// The report after an import: what the control needs of a data file that the
// imported file lacks or holds differently. The needs are read from the
// tool's own layout text (schema.sql, compiled in): its tables, their fields
// with declared types and widths, and their indexes with keys and
// uniqueness; beyond the layout, the control needs a row in SYSSETTINGS and a
// tag counter in SYSTAGS ahead of the tags TJLGROUPS uses. Relies on
// import_layout.h, schema.h, sqlite_file.h and the record store's reading of
// declared types.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "import_layout.h"

namespace dorvanedata {

// What was imported into one data file, as the report needs it.
struct ImportedFile {
  std::string name;     // the data file: "MAIN.MDB" or "QRLSYS.mdb"
  bool present = true;  // false: there was no such classic file to import
  std::vector<TableDefinition> tables;
  std::vector<int64_t> rows;               // the row count of each table
  int64_t tagCounter = 0;                  // TJLTAG of SYSTAGS' first row (0 when Null or no row)
  std::optional<int64_t> highestGroupTag;  // the highest TJLTAG of TJLGROUPS
};

// The tables of the data file `fileName` as the control needs them, read by
// SQLite from the layout text (the row-identity column left out).
std::vector<TableDefinition> ControlLayout(std::string_view fileName);

// Notes what the report needs from a row just imported into table `table`.
void NoteRow(ImportedFile& file, size_t table, const ImportRow& row);

// One plain line for each thing the control needs that `file` lacks or holds
// differently; none when the control can use it.
std::vector<std::string> CompareWithControl(const ImportedFile& file,
                                            const std::vector<TableDefinition>& needed);

}  // namespace dorvanedata
