// The search request: what a caller asks the search dialog to show, one
// description per grid column. The dialog's load reads the columns as seven
// texts with one "|"-separated item per column (index names, field names,
// types, sizes, headers, widths, alignments); the classic opener takes those
// texts, and the conversion below turns them into a request and back without
// changing a character. Relies on the record store's Variant and ztBasicSet
// (the split at "|").
// Threads: plain values, used on the thread that opens the dialog.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "services/recordstore/variant.h"

namespace ztSearchMod {

// One leading key of a search request: the value and the name of the field of
// the browsed table that must hold it.
struct IndexKey {
  recordstore::Variant key;
  std::string field;
};

// One item of a column text, or std::nullopt when the text has no item for
// that column. The load tells the two apart: a missing text item stays " "
// (so a shown header reads "  ") while an empty one is "".
using ColumnItem = std::optional<std::string>;

// One grid column. Every item is the text the dialog's load parses, numbers
// included: the load rounds them and reports one out of range itself.
struct SearchColumn {
  ColumnItem indexName{};  // the table's index searched by this column; blank for none
  ColumnItem fieldName{};  // the field the column shows
  ColumnItem type{};       // "C", "N", ... optionally followed by a display format ("N00")
  ColumnItem size{};       // the longest type-ahead text
  ColumnItem header{};     // the header caption (shown after one space)
  ColumnItem width{};      // in twips; 0 hides the column
  ColumnItem align{};      // 0 left, 1 right, 2 centre
};

struct SearchRequest {
  std::string pathText{};  // the data folder; blank for dbName alone
  std::string dbName{};
  std::string tableName{};
  std::string caption{};      // the window's caption
  std::string searchTitle{};  // the line above the instructions
  std::vector<SearchColumn> columns{};
  int16_t searchCol = 0;  // 1-based search column; 0 for the first
  std::vector<IndexKey> keys{};
  std::string instructionText{};  // replaces the first instruction when not blank
  // The first page starts at the period-ending date near today instead of the
  // range's first row (the period-ending launcher's search of PELIST).
  bool periodEndingStart = false;
};

// The request the classic arguments describe: column k holds item k of each
// text that has one, and a search of the table "PELIST" starts near today, as
// the classic dialog did for that table. Never fails; the load judges the items (more than six
// columns, a bad number) as it does for the texts.
SearchRequest RequestFromTexts(const std::string& pathText, const std::string& dbName,
                               const std::string& tableName, const std::string& colIName,
                               const std::string& caption, const std::string& searchTitle,
                               const std::string& colFName, const std::string& colFType,
                               const std::string& colFSize, const std::string& colHText,
                               const std::string& colWidth, const std::string& colAlign,
                               int16_t searchCol, const std::vector<IndexKey>& keys,
                               const std::string& instructionText);

// One column text of the request: the chosen item of every column joined with
// "|", up to the last column that has one (a missing item before it is
// empty); "" when no column has one.
std::string JoinColumnItems(const std::vector<SearchColumn>& columns,
                            ColumnItem SearchColumn::*item);

}  // namespace ztSearchMod
