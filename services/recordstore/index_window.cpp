// IndexWalk on a server inside a user action: each request reads a window of
// rows around the position, and the moves of the same action that stay inside
// it are answered from it.
//
// A window is read by tuple comparisons on the index's keys, which the
// server's index answers as one range scan. From a row whose keys hold no
// NULL, "(keys, rowid) > (V, r)" is exactly the set of rows after V in the
// walk's order (NULL first): a row after V first differs from it at a key
// where its value is greater, so not NULL. Rows before V may differ first at
// a key where they are NULL, which the tuple comparison leaves out; those come
// from one more index seek per key ("equal before j, NULL at j"), merged in
// the same statement. A move from a row with NULL keys that leaves the windows
// takes the one-row path.
#include <algorithm>
#include <cassert>
#include <optional>
#include <utility>

#include "services/base/user_action.h"
#include "services/recordstore/index_walk.h"

namespace recordstore {
namespace {

// Rows read each way by one request, and the most a window keeps.
constexpr size_t kBatchRows = 16;
constexpr size_t kWindowRows = 64;
// Windows kept per walk in one action: a seek starts a new one, and an action
// often seeks a few places (a range's two ends, then the typed text).
constexpr size_t kWindows = 4;
// Seeks remembered per walk in one action (a page's rows, each looked up).
constexpr size_t kMemos = 32;

// The row the statement stands on: its rowid, then `fields` values.
Row ReadRow(const Statement& statement, size_t fields) {
  Row row;
  row.rowid = statement.ColumnInt(0);
  row.values.resize(fields);
  for (size_t i = 0; i < fields; ++i) statement.ReadColumn(static_cast<int>(i + 1), row.values[i]);
  return row;
}

// Binds ExpectEqual's seeks: seek i takes parameters i*n+1 .. i*n+n.
void BindSeeks(Statement& statement, const std::vector<std::vector<SqlValue>>& asked) {
  for (size_t i = 0; i < asked.size(); ++i) {
    const size_t n = asked[i].size();
    for (size_t j = 0; j < n; ++j) statement.Bind(static_cast<int>(i * n + j + 1), asked[i][j]);
  }
}

// True when the statement bound with these seeks would cost no request.
bool KeptFor(Statement& statement, const std::vector<std::vector<SqlValue>>& asked) {
  StatementScope scope(statement);
  BindSeeks(statement, asked);
  return statement.Kept();
}

// Runs a batch: binds `count` keys from `keyAt` and then `rowid` when given,
// and reads every row, those marked 0 into `after` (in the walk's order) and
// those marked 1 into `before` (nearest first).
template <typename KeyAt>
void RunBatch(Statement& statement, size_t count, KeyAt keyAt, const int64_t* rowid, size_t fields,
              std::vector<Row>& after, std::vector<Row>& before) {
  StatementScope scope(statement);
  for (size_t j = 0; j < count; ++j) statement.Bind(static_cast<int>(j + 1), keyAt(j));
  if (rowid != nullptr) statement.BindInt(static_cast<int>(count + 1), *rowid);
  while (statement.Step()) {
    (statement.ColumnInt(static_cast<int>(fields + 1)) == 0 ? after : before)
        .push_back(ReadRow(statement, fields));
  }
}

// The key source of batches that bind no keys.
SqlValue NoKeyAt(size_t) { return SqlValue(); }

// The same stored value: a seek asked again with these keys finds the same row.
bool Identical(const SqlValue& a, const SqlValue& b) {
  return a.kind == b.kind && a.integer == b.integer &&
         (a.kind != SqlValue::Kind::Real || a.real == b.real) && a.bytes == b.bytes;
}

}  // namespace

bool IndexWalk::Windowed() const { return server_ && lock_.empty() && base::ActionStamp() != 0; }

void IndexWalk::DropStale() {
  if (stamp_ == base::ActionStamp()) return;
  windows_.clear();
  memos_.clear();
  stamp_ = base::ActionStamp();
}

bool IndexWalk::KnowsARow() const {
  if (stamp_ != base::ActionStamp() || stamp_ == 0) return false;
  for (const Window& window : windows_) {
    if (!window.rows.empty()) return true;
  }
  return false;
}

IndexWalk::Window* IndexWalk::Find(int64_t rowid, size_t& at) {
  DropStale();
  for (size_t w = windows_.size(); w-- > 0;) {
    const std::vector<Row>& rows = windows_[w].rows;
    for (size_t i = 0; i < rows.size(); ++i) {
      if (rows[i].rowid == rowid) {
        at = i;
        return &windows_[w];
      }
    }
  }
  return nullptr;
}

// An empty window says something only when it spans the whole table.
// One window from the rows read both ways around a position: `before` nearest
// first, `after` from the position on. A batch that came back short reached
// that end of the walk.
void IndexWalk::AddWindowAround(std::vector<Row> before, std::vector<Row> after) {
  const bool headIsFirst = before.size() < kBatchRows;
  const bool tailIsLast = after.size() < kBatchRows;
  std::reverse(before.begin(), before.end());
  before.insert(before.end(), std::make_move_iterator(after.begin()),
                std::make_move_iterator(after.end()));
  AddWindow(std::move(before), headIsFirst, tailIsLast);
}

void IndexWalk::AddWindow(std::vector<Row> rows, bool headIsFirst, bool tailIsLast) {
  DropStale();
  if (rows.empty() && !(headIsFirst && tailIsLast)) return;
  if (windows_.size() == kWindows) windows_.erase(windows_.begin());
  windows_.push_back(Window{std::move(rows), headIsFirst, tailIsLast});
}

void IndexWalk::Extend(Window& window, std::vector<Row>& rows, bool forward, bool reachedEnd) {
  std::vector<Row>& kept = window.rows;
  if (forward) {
    kept.insert(kept.end(), std::make_move_iterator(rows.begin()),
                std::make_move_iterator(rows.end()));
    window.tailIsLast = reachedEnd;
    if (kept.size() > kWindowRows) {
      kept.erase(kept.begin(), kept.end() - kWindowRows);
      window.headIsFirst = false;
    }
  } else {
    std::reverse(rows.begin(), rows.end());
    kept.insert(kept.begin(), std::make_move_iterator(rows.begin()),
                std::make_move_iterator(rows.end()));
    window.headIsFirst = reachedEnd;
    if (kept.size() > kWindowRows) {
      kept.resize(kWindowRows);
      window.tailIsLast = false;
    }
  }
}

std::string IndexWalk::BatchSelect(int marker) const {
  std::string select = "SELECT " + layout_.rowid;
  for (const ColumnInfo& column : layout_.columns) select += ", " + QuoteName(column.sqlName);
  return select + ", " + std::to_string(marker) + " FROM " + QuoteName(layout_.sqlName);
}

std::string IndexWalk::KeyTuple(size_t count, bool withRowid) const {
  std::string text = "(";
  for (size_t j = 0; j < count; ++j) text += (j ? ", " : "") + Column(j);
  if (withRowid) text += (count ? ", " : "") + layout_.rowid;
  return text + ")";
}

std::string IndexWalk::Value(size_t j, size_t count, bool anchored) const {
  if (anchored) return j < count ? "b.k" + std::to_string(j) : "b.r";
  return j < count ? Param(j) : "?" + std::to_string(count + 1);
}

std::string IndexWalk::ValueTuple(size_t count, bool withRowid, bool anchored) const {
  std::string text = "(";
  for (size_t j = 0; j < count; ++j) text += (j ? ", " : "") + Value(j, count, anchored);
  if (withRowid) text += (count ? ", " : "") + Value(count, count, anchored);
  return text + ")";
}

std::string IndexWalk::BeforeBatch(size_t count, bool withRowid, bool anchored, size_t rows) const {
  const std::string limit = " LIMIT " + std::to_string(rows);
  std::string parts = "(" + BatchSelect(1) + " WHERE " + KeyTuple(count, withRowid) + " < " +
                      ValueTuple(count, withRowid, anchored) + Order(0, true) + limit + ")";
  for (size_t j = 0; j < count; ++j) {
    std::string where;
    for (size_t i = 0; i < j; ++i) where += Column(i) + " = " + Value(i, count, anchored) + " AND ";
    parts += " UNION ALL (" + BatchSelect(1) + " WHERE " + where + Column(j) + " IS NULL" +
             Order(j + 1, true) + limit + ")";
  }
  return "SELECT * FROM (" + parts + ") w" + Order(0, true) + limit;
}

// The row of a rowid with the rows around it, in one statement: the keys of
// the row (b) bound the reads after and before it. Around a row whose keys
// hold NULL those reads are not exact, and only the row is kept.
bool IndexWalk::ByRowidInWindow(int64_t rowid, Row& out) {
  size_t k = KeyCount();
  const bool tie = k == 0 || !index_->unique;
  if (aroundRowid_ == nullptr) {
    std::string anchor = "SELECT " + layout_.rowid + " AS r";
    for (size_t j = 0; j < k; ++j) anchor += ", " + Column(j) + " AS k" + std::to_string(j);
    anchor += " FROM " + QuoteName(layout_.sqlName) + " WHERE " + layout_.rowid + " = ?1";
    aroundRowid_ = &connection_.Prepare(
        "WITH b AS (" + anchor + ") (" + BatchSelect(0) + " WHERE " + layout_.rowid +
            " = ?1) UNION ALL (SELECT f.* FROM b, LATERAL (" + BatchSelect(0) + " WHERE " +
            KeyTuple(k, tie) + " > " + ValueTuple(k, tie, true) + Order(0, false) + " LIMIT " +
            std::to_string(kBatchRows - 1) + ") f) UNION ALL (SELECT w.* FROM b, LATERAL (" +
            BeforeBatch(k, tie, true, kBatchRows) + ") w)",
        layout_.name);
  }
  std::vector<Row> after, before;
  RunBatch(*aroundRowid_, 0, NoKeyAt, &rowid, layout_.columns.size(), after, before);
  if (after.empty()) return false;
  out = after.front();
  if (HasNullKey(out)) {
    AddWindow({out}, false, false);
    return true;
  }
  AddWindowAround(std::move(before), std::move(after));
  return true;
}

// The row after (before, when !forward) `from`: from a window of the action
// when it holds both, else one request that reads the rows that way on.
bool IndexWalk::StepInWindow(const Row& from, bool forward, Row& out) {
  size_t at = 0;
  Window* window = Find(from.rowid, at);
  if (window != nullptr) {
    if (forward ? at + 1 < window->rows.size() : at > 0) {
      out = window->rows[forward ? at + 1 : at - 1];
      return true;
    }
    if (forward ? window->tailIsLast : window->headIsFirst) return false;
  }
  if (HasNullKey(from)) return forward ? NextWithNulls(from, out) : PreviousWithNulls(from, out);
  size_t k = KeyCount();
  const bool tie = k == 0 || !index_->unique;
  Statement*& statement = forward ? nextBatch_ : previousBatch_;
  if (statement == nullptr) {
    statement =
        &connection_.Prepare(forward ? BatchSelect(0) + " WHERE " + KeyTuple(k, tie) + " > " +
                                           ValueTuple(k, tie, false) + Order(0, false) + " LIMIT " +
                                           std::to_string(kBatchRows)
                                     : BeforeBatch(k, tie, false, kBatchRows),
                             layout_.name);
  }
  std::vector<Row> after, before;
  RunBatch(
      *statement, k, [&](size_t j) -> const SqlValue& { return KeyOf(from, j); },
      tie ? &from.rowid : nullptr, layout_.columns.size(), after, before);
  std::vector<Row>& rows = forward ? after : before;  // nearest first
  const bool reachedEnd = rows.size() < kBatchRows;
  const bool found = !rows.empty();
  if (found) out = rows.front();
  if (window != nullptr) {
    Extend(*window, rows, forward, reachedEnd);
  } else {
    if (!forward) std::reverse(rows.begin(), rows.end());
    AddWindow(std::move(rows), !forward && reachedEnd, forward && reachedEnd);
  }
  return found;
}

bool IndexWalk::EndInWindow(bool last, Row& out) {
  DropStale();
  for (const Window& window : windows_) {
    if (!(last ? window.tailIsLast : window.headIsFirst)) continue;
    if (window.rows.empty()) return false;
    out = last ? window.rows.back() : window.rows.front();
    return true;
  }
  Statement*& statement = last ? lastBatch_ : firstBatch_;
  if (statement == nullptr) {
    statement = &connection_.Prepare(
        BatchSelect(last ? 1 : 0) + Order(0, last) + " LIMIT " + std::to_string(kBatchRows),
        layout_.name);
  }
  std::vector<Row> after, before;
  RunBatch(*statement, 0, NoKeyAt, nullptr, layout_.columns.size(), after, before);
  std::vector<Row>& rows = last ? before : after;
  const bool whole = rows.size() < kBatchRows;
  const bool found = !rows.empty();
  if (found) out = rows.front();
  if (last) std::reverse(rows.begin(), rows.end());
  AddWindow(std::move(rows), last ? whole : true, last ? true : whole);
  return found;
}

// The first row at or after `keys` (no NULL among them), with the rows around
// it: those at or after it, then those before it.
bool IndexWalk::SeekInWindow(std::vector<SqlValue>& keys, Row& out) {
  size_t n = keys.size();
  if (seekBatch_.size() <= n) seekBatch_.resize(n + 1, nullptr);
  if (seekBatch_[n] == nullptr) {
    seekBatch_[n] =
        &connection_.Prepare("(" + BatchSelect(0) + " WHERE " + KeyTuple(n, false) +
                                 " >= " + ValueTuple(n, false, false) + Order(0, false) +
                                 " LIMIT " + std::to_string(kBatchRows) + ") UNION ALL (" +
                                 BeforeBatch(n, false, false, kBatchRows) + ")",
                             layout_.name);
  }
  std::vector<Row> after, before;
  RunBatch(
      *seekBatch_[n], n, [&](size_t j) -> const SqlValue& { return keys[j]; }, nullptr,
      layout_.columns.size(), after, before);
  const bool found = !after.empty();
  if (found) out = after.front();
  AddWindowAround(std::move(before), std::move(after));
  return found;
}

bool IndexWalk::SeekRemembered(bool equal, const std::vector<SqlValue>& keys, bool& found,
                               Row& out) {
  DropStale();
  RecallExpected();
  for (const SeekMemo& memo : memos_) {
    if (memo.equal != equal || memo.keys.size() != keys.size()) continue;
    bool same = true;
    for (size_t j = 0; j < keys.size() && same; ++j) same = Identical(memo.keys[j], keys[j]);
    if (!same) continue;
    found = memo.found;
    if (found) out = memo.row;
    return true;
  }
  return false;
}

void IndexWalk::Remember(bool equal, const std::vector<SqlValue>& keys, bool found,
                         const Row& out) {
  DropStale();
  if (memos_.size() == kMemos) memos_.erase(memos_.begin());
  memos_.push_back(SeekMemo{equal, keys, found, found ? out : Row()});
}

// Runs ExpectEqual's statement for `asked` and remembers every seek's row or
// its absence.
void IndexWalk::ReadExpected(Statement& statement,
                             const std::vector<std::vector<SqlValue>>& asked) {
  std::vector<std::optional<Row>> rows(asked.size());
  {
    StatementScope scope(statement);
    BindSeeks(statement, asked);
    const size_t fields = layout_.columns.size();
    while (statement.Step()) {
      const int64_t seek = statement.ColumnInt(static_cast<int>(fields + 1));
      if (seek >= 0 && static_cast<size_t>(seek) < rows.size()) {
        rows[seek] = ReadRow(statement, fields);
      }
    }
  }
  for (size_t i = 0; i < asked.size(); ++i) {
    Remember(true, asked[i], rows[i].has_value(), rows[i] ? *rows[i] : Row());
  }
}

void IndexWalk::RecallExpected() {
  if (recalled_ == stamp_ || lastExpect_ == nullptr || lastExpectKeys_.empty()) return;
  recalled_ = stamp_;
  // The last ExpectEqual's seeks, when this action's first request brought
  // them again, are known without a request.
  if (KeptFor(*lastExpect_, lastExpectKeys_)) ReadExpected(*lastExpect_, lastExpectKeys_);
}

void IndexWalk::ExpectEqual(const std::vector<std::vector<SqlValue>>& seeks, size_t needed) {
  if (!Windowed()) return;
  DropStale();
  // The seeks of one key count, converted as SeekEqual converts them; the
  // others wait for their own seek.
  size_t n = 0;
  std::vector<std::vector<SqlValue>> asked;
  bool neededKnown = true;
  for (size_t s = 0; s < seeks.size(); ++s) {
    std::vector<SqlValue> keys = seeks[s];
    bool usable = WholeNumberKeys(keys, false);
    for (const SqlValue& key : keys) usable = usable && !key.IsNull();
    if (!usable || (n != 0 && keys.size() != n)) continue;
    n = keys.size();
    bool found = false;
    Row ignored;
    ignored.values.resize(layout_.columns.size());
    const bool known = SeekRemembered(true, keys, found, ignored);
    if (s < needed) neededKnown = neededKnown && known;
    if (!known) asked.push_back(std::move(keys));
    if (asked.size() == kBatchRows) break;
  }
  if (neededKnown || asked.size() < 2) return;  // one seek costs one request either way
  if (expectBatch_.size() <= n) expectBatch_.resize(n + 1);
  std::vector<Statement*>& byCount = expectBatch_[n];
  if (byCount.size() <= asked.size()) byCount.resize(asked.size() + 1, nullptr);
  Statement*& statement = byCount[asked.size()];
  if (statement == nullptr) {
    // Seek i binds parameters i*n+1 .. i*n+n and marks its row i.
    std::string sql;
    for (size_t i = 0; i < asked.size(); ++i) {
      std::string where;
      for (size_t j = 0; j < n; ++j) {
        where += (j ? " AND " : "") + Column(j) + " = " + Param(j, i * n + j + 1);
      }
      sql += (i ? " UNION ALL (" : "(") + BatchSelect(static_cast<int>(i)) + " WHERE " + where +
             Order(0, false) + " LIMIT 1)";
    }
    statement = &connection_.Prepare(sql, layout_.name);
  }
  ReadExpected(*statement, asked);
  lastExpect_ = statement;
  lastExpectKeys_ = std::move(asked);
}

}  // namespace recordstore
