// IndexWalk: positions on rows of one table in the order of one index (ties by
// rowid), or in rowid order without an index. Every call is one statement of
// index seeks (a move from a row whose keys hold NULL: a few), so each costs
// O(log n), one round trip to a server, and sees the table as it is now. NULL
// sorts first, as in SQLite, on both engines.
// On a server, inside a user action (user_action.h), a walk reads a window of
// rows around each position in that one statement and answers the moves of
// the same action that stay inside it without a request: a page of rows then
// costs one round trip, and the action sees the table as it was when the
// window was read. Relies on Connection, TableLayout and UserAction.
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
  // True when moves and seeks read windows now (a server, inside an action).
  bool ReadsAhead() const { return Windowed(); }
  // Reads the rows of several SeekEqual calls to come in one request (keys
  // holding NULL are left to their seek); does nothing unless ReadsAhead.
  // The first `needed` are sure to follow, the rest only likely (the rows a
  // next key would show): when the first are known already, nothing is read.
  void ExpectEqual(const std::vector<std::vector<SqlValue>>& seeks, size_t needed);
  // True when a row of the table was read in the current action (so the
  // table is not empty), without a request.
  bool KnowsARow() const;

 private:
  // Rows read in the current action, one after another in the walk's order.
  struct Window {
    std::vector<Row> rows;
    bool headIsFirst = false;  // no row sorts before rows.front()
    bool tailIsLast = false;   // no row sorts after rows.back()
  };
  // A seek of the current action and what it found.
  struct SeekMemo {
    bool equal = false;
    std::vector<SqlValue> keys;
    bool found = false;
    Row row;  // what it found
  };

  // Number of key fields of the index (0 in rowid order).
  size_t KeyCount() const { return index_ == nullptr ? 0 : index_->columns.size(); }
  // The stored value of key field j of a row.
  const SqlValue& KeyOf(const Row& row, size_t j) const;
  // SQL pieces: key field j (on a server: the index's key expression);
  // parameter j + 1 (or `number`) compared as key j; equality on the first `count` keys
  // (`nullSafe`: NULL equals NULL; without it the keys must not be NULL, which
  // lets a server seek its index); ORDER BY from key `from` on, NULL first.
  std::string Column(size_t j) const;
  std::string Param(size_t j, size_t number = 0) const;
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

  // --- Windows (a server inside a user action) ---
  bool Windowed() const;
  // Forgets the windows and seeks of an earlier action.
  void DropStale();
  // The window of the current action that holds rowid (the newest first), and
  // the row's position in it; nullptr when none does.
  Window* Find(int64_t rowid, size_t& at);
  // A new window of the current action (the oldest goes beyond a few).
  void AddWindow(std::vector<Row> rows, bool headIsFirst, bool tailIsLast);
  void AddWindowAround(std::vector<Row> before, std::vector<Row> after);
  // Adds rows after the tail (before the head, `rows` nearest first).
  void Extend(Window& window, std::vector<Row>& rows, bool forward, bool reachedEnd);
  // "SELECT rowid, fields..., <marker>": batches mark forward rows 0 and
  // backward rows 1.
  std::string BatchSelect(int marker) const;
  // "(key0, key1 ..[, rowid])", and the values it is compared with: key j of
  // `count` (the rowid at j = count) as a parameter, or `anchored` as the
  // column kj (r) of the anchor row b.
  std::string KeyTuple(size_t count, bool withRowid) const;
  std::string Value(size_t j, size_t count, bool anchored) const;
  std::string ValueTuple(size_t count, bool withRowid, bool anchored) const;
  // The `rows` rows before a position, NULL keys included: those less by the
  // tuple comparison, and for each key j those equal before j and NULL at j.
  std::string BeforeBatch(size_t count, bool withRowid, bool anchored, size_t rows) const;
  bool ByRowidInWindow(int64_t rowid, Row& out);
  bool StepInWindow(const Row& from, bool forward, Row& out);
  bool EndInWindow(bool last, Row& out);
  bool SeekInWindow(std::vector<SqlValue>& keys, Row& out);
  // Answers a seek asked before in the current action.
  bool SeekRemembered(bool equal, const std::vector<SqlValue>& keys, bool& found, Row& out);
  void Remember(bool equal, const std::vector<SqlValue>& keys, bool found, const Row& out);

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
  Statement* firstBatch_ = nullptr;
  Statement* lastBatch_ = nullptr;
  Statement* nextBatch_ = nullptr;
  Statement* previousBatch_ = nullptr;
  Statement* aroundRowid_ = nullptr;
  std::vector<Statement*> seekBatch_;  // by key count
  // ExpectEqual's statements, by (key count, number of seeks), and the last
  // one run with its keys: when a new action's first request brought its
  // answer again (the session sends an action's likely reads ahead), its rows
  // stand for this action too.
  std::vector<std::vector<Statement*>> expectBatch_;
  // Runs ExpectEqual's statement for `asked`, remembering each seek's row.
  void ReadExpected(Statement& statement, const std::vector<std::vector<SqlValue>>& asked);
  // Remembers the rows of the last ExpectEqual when this action has them
  // without a request; once per action.
  void RecallExpected();
  Statement* lastExpect_ = nullptr;
  uint64_t recalled_ = 0;  // the action that last tried
  std::vector<std::vector<SqlValue>> lastExpectKeys_;
  std::vector<Window> windows_;  // of the action `stamp_`, the newest last
  std::vector<SeekMemo> memos_;
  uint64_t stamp_ = 0;
};

}  // namespace recordstore
