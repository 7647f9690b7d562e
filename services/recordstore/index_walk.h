// IndexWalk: positions on rows of one table in the order of one index (ties by
// rowid), or in rowid order without an index. Every call is one statement of
// index seeks (a move from a row whose keys hold NULL: a few), so each costs
// O(log n), one round trip to a server, and sees the table as it is now. NULL
// sorts first, as in SQLite, on both engines. Relies on Connection and
// TableLayout.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "services/recordstore/connection.h"
#include "services/recordstore/table_layout.h"

namespace recordstore {

// One row of a table: its rowid and its stored values, one per field.
struct Row {
  int64_t rowid = 0;
  std::vector<SqlValue> values;
};

class IndexWalk {
 public:
  // `index` may be nullptr (rowid order). The connection and layout must
  // outlive the walk. `lockRows`: every row read is locked for update until
  // the transaction ends (a server's pessimistic locking).
  IndexWalk(Connection& connection, const TableLayout& layout, const IndexInfo* index,
            bool lockRows = false);

  const IndexInfo* Index() const { return index_; }
  // Each returns false when there is no such row; `out` is then unchanged.
  bool First(Row& out);
  bool Last(Row& out);
  // The row after (before) the position of `from`, which need no longer exist.
  // `from` and `out` may be the same object.
  bool Next(const Row& from, Row& out);
  bool Previous(const Row& from, Row& out);
  // The first row whose leading key fields equal `keys` (1 to all key fields).
  bool SeekEqual(const std::vector<SqlValue>& keys, Row& out);
  // The first row whose leading key fields are at or after `keys`.
  bool SeekAtOrAfter(const std::vector<SqlValue>& keys, Row& out);
  bool ByRowid(int64_t rowid, Row& out);

 private:
  // Number of key fields of the index (0 in rowid order).
  size_t KeyCount() const { return index_ == nullptr ? 0 : index_->columns.size(); }
  // The stored value of key field j of a row.
  const SqlValue& KeyOf(const Row& row, size_t j) const;
  // SQL pieces: key field j (on a server: the index's key expression);
  // parameter j + 1 compared as key j; equality on the first `count` keys
  // (`nullSafe`: NULL equals NULL; without it the keys must not be NULL, which
  // lets a server seek its index); ORDER BY from key `from` on, NULL first.
  std::string Column(size_t j) const;
  std::string Param(size_t j) const;
  std::string Prefix(size_t count, bool nullSafe = true) const;
  std::string Order(size_t from, bool descending) const;
  // The prepared "SELECT ... WHERE where ORDER BY ... LIMIT 1".
  Statement& Query(const std::string& where, size_t orderFrom, bool descending);
  // The text of a subquery giving the rowid of that first row, and of the
  // first non-NULL of several such subqueries.
  std::string RowidOf(const std::string& where, size_t orderFrom, bool descending) const;
  static std::string FirstOf(const std::vector<std::string>& subqueries);
  void PrepareMoves();
  bool HasNullKey(const Row& row) const;
  // Brings fractional keys of whole-number fields to what a server compares
  // them as; false when no row can be equal to them.
  bool WholeNumberKeys(std::vector<SqlValue>& keys, bool atOrAfter) const;
  // Moves from a row whose keys hold NULL, one key position at a time.
  bool NextWithNulls(const Row& from, Row& out);
  bool PreviousWithNulls(const Row& from, Row& out);
  // The last row equal to the bound keys before j and NULL at key j.
  Statement& PreviousNull(size_t j);

  Connection& connection_;
  const TableLayout& layout_;
  const IndexInfo* index_;
  const bool server_;
  std::string select_;
  std::string lock_;  // appended to every statement that reads a row
  // Statements are prepared when first needed: a recordset often uses few.
  Statement* first_ = nullptr;
  Statement* last_ = nullptr;
  Statement* next_ = nullptr;
  Statement* previous_ = nullptr;
  Statement* byRowid_ = nullptr;
  std::vector<Statement*> seekEqual_;      // by key count, made when first needed
  std::vector<Statement*> seekEqualNull_;  // the same, for keys that hold NULL
  std::vector<Statement*> seekAtOrAfter_;  // by key count
  std::vector<Statement*> previousNull_;   // by key position
};

}  // namespace recordstore
