// IndexWalk: the SQL of each move and seek, built when first needed and kept as
// prepared statements. Key comparisons carry the collation on the parameter
// side, the form SQLite's planner turns into an index seek.
//
// A move is one statement, because every statement opens a read transaction
// of its own and that, not the seek, is most of its cost. The statement reads
// the row whose rowid the first non-NULL of a list of LIMIT 1 subqueries gives
// (COALESCE evaluates them in order and stops at the first hit), each an exact
// seek on a prefix of the index:
//
// Next from V (no NULL keys): a tie (keys equal, rowid greater; only a
// non-unique index can hold one), then for j from the last key to the first
// the first row equal to V before key j and greater at key j. Rows NULL at
// key j sort before V there, and the comparison rightly skips them.
// Previous from V: a tie (rowid smaller), then for j from the last key to the
// first the last row equal to V before key j and smaller at key j, then the
// last one NULL at key j (NULL sorts first). Each candidate sorts after every
// later one, so the first hit is the row before V.
//
// Rows whose own keys hold NULL move by a slower path of one indexed query per
// key position.
#include "services/recordstore/index_walk.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdint>
#include <utility>

namespace recordstore {
namespace {

// Binds `count` keys (parameters 1..count) taken from `keyAt`, then `rowid` as
// parameter count + 1 when given; steps once and reads the row into `out`.
template <typename KeyAt>
bool Run(Statement& statement, size_t count, KeyAt keyAt, const int64_t* rowid, Row& out) {
  StatementScope scope(statement);
  for (size_t j = 0; j < count; ++j) statement.Bind(static_cast<int>(j + 1), keyAt(j));
  if (rowid != nullptr) statement.BindInt(static_cast<int>(count + 1), *rowid);
  if (!statement.Step()) return false;
  out.rowid = statement.ColumnInt(0);
  for (size_t i = 0; i < out.values.size(); ++i) {
    statement.ReadColumn(static_cast<int>(i + 1), out.values[i]);
  }
  return true;
}

// The key source of queries that bind no keys.
SqlValue NoKey(size_t) { return SqlValue(); }

}  // namespace

IndexWalk::IndexWalk(Connection& connection, const TableLayout& layout, const IndexInfo* index,
                     bool lockRows)
    : connection_(connection),
      layout_(layout),
      index_(index),
      server_(connection.Kind() == Engine::kPostgres) {
  select_ = "SELECT " + layout.rowid;
  for (const ColumnInfo& column : layout.columns) select_ += ", " + QuoteName(column.sqlName);
  select_ += " FROM " + QuoteName(layout.sqlName);
  if (lockRows) lock_ = " FOR UPDATE";
  seekEqual_.assign(KeyCount() + 1, nullptr);
  seekEqualNull_.assign(KeyCount() + 1, nullptr);
  seekAtOrAfter_.assign(KeyCount() + 1, nullptr);
  previousNull_.assign(KeyCount(), nullptr);
}

const SqlValue& IndexWalk::KeyOf(const Row& row, size_t j) const {
  return row.values[index_->columns[j]];
}

std::string IndexWalk::Column(size_t j) const {
  if (!index_->keySql.empty()) return "(" + index_->keySql[j] + ")";
  return QuoteName(layout_.columns[index_->columns[j]].sqlName);
}

// Parameter j + 1 compared as key j: on SQLite with the key's collation, on
// the side SQLite takes it from; on a server folded as the key expression is.
std::string IndexWalk::Param(size_t j, size_t number) const {
  std::string param = "?" + std::to_string(number != 0 ? number : j + 1);
  if (server_) {
    // Folded under the "C" collation as the key is, so that only ASCII letters
    // change, whatever the database's locale.
    return index_->collations[j] == Collation::NoCase ? "lower(" + param + " COLLATE \"C\")"
                                                      : param;
  }
  return param + " COLLATE " + CollationName(index_->collations[j]);
}

// "key0 IS ?1 AND key1 IS ?2 ..." for the first `count` keys. A server's
// planner seeks an index with "=" only, which a key known not NULL allows.
std::string IndexWalk::Prefix(size_t count, bool nullSafe) const {
  const char* same = !server_ ? " IS " : nullSafe ? " IS NOT DISTINCT FROM " : " = ";
  std::string text;
  for (size_t j = 0; j < count; ++j) text += (j ? " AND " : "") + Column(j) + same + Param(j);
  return text;
}

std::string IndexWalk::Order(size_t from, bool descending) const {
  const char* direction = descending ? " DESC" : "";
  std::string text = " ORDER BY ";
  for (size_t j = from; j < KeyCount(); ++j) {
    if (server_) {
      text += Column(j) + (descending ? " DESC NULLS LAST, " : " NULLS FIRST, ");
    } else {
      text += Column(j) + " COLLATE " + CollationName(index_->collations[j]) + direction + ", ";
    }
  }
  return text + layout_.rowid + direction;
}

Statement& IndexWalk::Query(const std::string& where, size_t orderFrom, bool descending) {
  std::string sql = select_;
  if (!where.empty()) sql += " WHERE " + where;
  return connection_.Prepare(sql + Order(orderFrom, descending) + " LIMIT 1" + lock_, layout_.name);
}

std::string IndexWalk::RowidOf(const std::string& where, size_t orderFrom, bool descending) const {
  return "(SELECT " + layout_.rowid + " FROM " + QuoteName(layout_.sqlName) + " WHERE " + where +
         Order(orderFrom, descending) + " LIMIT 1)";
}

// COALESCE needs two arguments at least; a single subquery stands alone.
std::string IndexWalk::FirstOf(const std::vector<std::string>& subqueries) {
  assert(!subqueries.empty());
  if (subqueries.size() == 1) return subqueries[0];
  std::string text = "COALESCE(";
  for (size_t i = 0; i < subqueries.size(); ++i) text += (i ? ", " : "") + subqueries[i];
  return text + ")";
}

bool IndexWalk::HasNullKey(const Row& row) const {
  for (size_t j = 0; j < KeyCount(); ++j) {
    if (KeyOf(row, j).IsNull()) return true;
  }
  return false;
}

Statement& IndexWalk::PreviousNull(size_t j) {
  if (previousNull_[j] == nullptr) {
    std::string where = Prefix(j) + (j ? " AND " : "") + Column(j) + " IS NULL";
    previousNull_[j] = &Query(where, j + 1, true);
  }
  return *previousNull_[j];
}

// The two moves, prepared together the first time either is needed.
void IndexWalk::PrepareMoves() {
  const std::string& rowid = layout_.rowid;
  size_t k = KeyCount();
  if (k == 0) {
    next_ = &Query(rowid + " > ?1", 0, false);
    previous_ = &Query(rowid + " < ?1", 0, true);
    return;
  }
  const std::string tie = Prefix(k, false) + " AND " + rowid + " ";
  const std::string rowidParam = "?" + std::to_string(k + 1);
  std::vector<std::string> after, before;
  if (!index_->unique) {
    after.push_back(RowidOf(tie + "> " + rowidParam, k, false));
    before.push_back(RowidOf(tie + "< " + rowidParam, k, true));
  }
  for (size_t j = k; j-- > 0;) {
    const std::string prefix = Prefix(j, false) + (j ? " AND " : "") + Column(j);
    after.push_back(RowidOf(prefix + " > " + Param(j), j, false));
    before.push_back(RowidOf(prefix + " < " + Param(j), j, true));
    before.push_back(RowidOf(prefix + " IS NULL", j + 1, true));
  }
  next_ = &connection_.Prepare(select_ + " WHERE " + rowid + " = " + FirstOf(after) + lock_,
                               layout_.name);
  previous_ = &connection_.Prepare(select_ + " WHERE " + rowid + " = " + FirstOf(before) + lock_,
                                   layout_.name);
}

bool IndexWalk::First(Row& out) {
  if (Windowed()) return EndInWindow(false, out);
  if (first_ == nullptr) first_ = &Query("", 0, false);
  return Run(*first_, 0, NoKey, nullptr, out);
}

bool IndexWalk::Last(Row& out) {
  if (Windowed()) return EndInWindow(true, out);
  if (last_ == nullptr) last_ = &Query("", 0, true);
  return Run(*last_, 0, NoKey, nullptr, out);
}

bool IndexWalk::ByRowid(int64_t rowid, Row& out) {
  size_t at = 0;
  if (const Window* window = Windowed() ? Find(rowid, at) : nullptr) {
    out = window->rows[at];
    return true;
  }
  if (Windowed()) return ByRowidInWindow(rowid, out);
  if (byRowid_ == nullptr) {
    byRowid_ =
        &connection_.Prepare(select_ + " WHERE " + layout_.rowid + " = ?1" + lock_, layout_.name);
  }
  return Run(*byRowid_, 0, NoKey, &rowid, out);
}

bool IndexWalk::Next(const Row& from, Row& out) {
  if (next_ == nullptr) PrepareMoves();
  size_t k = KeyCount();
  auto keyAt = [&](size_t j) -> const SqlValue& { return KeyOf(from, j); };
  if (Windowed()) return StepInWindow(from, true, out);
  if (k == 0) return Run(*next_, 0, keyAt, &from.rowid, out);
  if (HasNullKey(from)) return NextWithNulls(from, out);
  return Run(*next_, k, keyAt, index_->unique ? nullptr : &from.rowid, out);
}

bool IndexWalk::Previous(const Row& from, Row& out) {
  if (previous_ == nullptr) PrepareMoves();
  size_t k = KeyCount();
  auto keyAt = [&](size_t j) -> const SqlValue& { return KeyOf(from, j); };
  if (Windowed()) return StepInWindow(from, false, out);
  if (k == 0) return Run(*previous_, 0, keyAt, &from.rowid, out);
  if (HasNullKey(from)) return PreviousWithNulls(from, out);
  return Run(*previous_, k, keyAt, index_->unique ? nullptr : &from.rowid, out);
}

// The slow path for a row with NULL keys: for each key position j from the
// last to the first, the nearest row equal to `from` before j and after it at
// j (NULL sorts first), then ties by rowid before all of those.
bool IndexWalk::NextWithNulls(const Row& from, Row& out) {
  size_t k = KeyCount();
  auto keyAt = [&](size_t j) -> const SqlValue& { return KeyOf(from, j); };
  std::string tie = Prefix(k) + " AND " + layout_.rowid + " > ?" + std::to_string(k + 1);
  if (Run(Query(tie, k, false), k, keyAt, &from.rowid, out)) return true;
  for (size_t j = k; j-- > 0;) {
    std::string where = Prefix(j) + (j ? " AND " : "") + Column(j);
    bool found = KeyOf(from, j).IsNull()
                     ? Run(Query(where + " IS NOT NULL", j, false), j, keyAt, nullptr, out)
                     : Run(Query(where + " > " + Param(j), j, false), j + 1, keyAt, nullptr, out);
    if (found) return true;
  }
  return false;
}

bool IndexWalk::PreviousWithNulls(const Row& from, Row& out) {
  size_t k = KeyCount();
  auto keyAt = [&](size_t j) -> const SqlValue& { return KeyOf(from, j); };
  std::string tie = Prefix(k) + " AND " + layout_.rowid + " < ?" + std::to_string(k + 1);
  if (Run(Query(tie, k, true), k, keyAt, &from.rowid, out)) return true;
  for (size_t j = k; j-- > 0;) {
    if (KeyOf(from, j).IsNull()) continue;  // nothing sorts before NULL
    std::string where = Prefix(j) + (j ? " AND " : "") + Column(j) + " < " + Param(j);
    if (Run(Query(where, j, true), j + 1, keyAt, nullptr, out)) return true;
    if (Run(PreviousNull(j), j, keyAt, nullptr, out)) return true;
  }
  return false;
}

// A server compares a whole-number field with a parameter of the field's own
// type (an integer for Long, a smallint for the others), so a key is brought
// to a value of that type that gives the same answer. For "=" a fractional
// key or one beyond the type finds nothing (false). For ">=" a fractional key
// becomes the next whole number and one below the type the type's smallest,
// after which the later keys no longer narrow the seek (`count` is cut to
// j + 1); a first key beyond the type finds nothing (false). A later key
// beyond the type is left to the server, which refuses it (error 3000): the
// answer, the first row past the keys before it, needs a seek the walk lacks.
bool IndexWalk::WholeNumberKeys(std::vector<SqlValue>& keys, bool atOrAfter) const {
  if (!server_) return true;
  for (size_t j = 0; j < keys.size(); ++j) {
    const int type = layout_.columns[index_->columns[j]].type;
    const bool whole =
        type == kBooleanField || type == kByteField || type == kIntegerField || type == kLongField;
    const SqlValue::Kind kind = keys[j].kind;
    if (!whole || (kind != SqlValue::Kind::Real && kind != SqlValue::Kind::Integer)) continue;
    const double value = kind == SqlValue::Kind::Real ? keys[j].real : keys[j].integer;
    if (std::isnan(value)) return false;  // no row holds it
    const double low = type == kLongField ? INT32_MIN : INT16_MIN;
    const double high = type == kLongField ? INT32_MAX : INT16_MAX;
    if (value == std::floor(value) && value >= low && value <= high) {
      keys[j] = SqlValue::Int(static_cast<int64_t>(value));
      continue;
    }
    if (!atOrAfter || (j == 0 && value > high)) return false;
    if (value > high) continue;
    keys[j] = SqlValue::Int(static_cast<int64_t>(std::max(std::ceil(value), low)));
    keys.resize(j + 1);
    return true;
  }
  return true;
}

bool IndexWalk::SeekEqual(const std::vector<SqlValue>& given, Row& out) {
  std::vector<SqlValue> keys = given;
  if (!WholeNumberKeys(keys, false)) return false;
  size_t n = keys.size();
  assert(n >= 1 && n <= KeyCount());
  bool nullKey = false;
  for (const SqlValue& key : keys) nullKey = nullKey || key.IsNull();
  bool found = false;
  if (Windowed() && SeekRemembered(true, keys, found, out)) return found;
  Statement*& statement = nullKey ? seekEqualNull_[n] : seekEqual_[n];
  if (statement == nullptr) statement = &Query(Prefix(n, nullKey), 0, false);
  found = Run(
      *statement, n, [&](size_t j) -> const SqlValue& { return keys[j]; }, nullptr, out);
  if (Windowed()) {
    size_t at = 0;
    if (found && Find(out.rowid, at) == nullptr) AddWindow({out}, false, false);
    Remember(true, keys, found, out);
  }
  return found;
}

bool IndexWalk::SeekAtOrAfter(const std::vector<SqlValue>& given, Row& out) {
  std::vector<SqlValue> keys = given;
  if (!WholeNumberKeys(keys, true)) return false;
  assert(keys.size() >= 1 && keys.size() <= KeyCount());
  // Every value sorts at or after NULL, so the keys from the first NULL on do
  // not narrow the search.
  size_t n = 0;
  while (n < keys.size() && !keys[n].IsNull()) ++n;
  if (n == 0) return First(out);
  if (Windowed()) {
    keys.resize(n);
    bool found = false;
    if (SeekRemembered(false, keys, found, out)) return found;
    found = SeekInWindow(keys, out);
    Remember(false, keys, found, out);
    return found;
  }
  if (seekAtOrAfter_[n] == nullptr) {
    std::string columns, params;
    for (size_t j = 0; j < n; ++j) {
      columns += (j ? ", " : "") + Column(j);
      params += (j ? ", " : "") + Param(j);
    }
    seekAtOrAfter_[n] = &Query("(" + columns + ") >= (" + params + ")", 0, false);
  }
  return Run(
      *seekAtOrAfter_[n], n, [&](size_t j) -> const SqlValue& { return keys[j]; }, nullptr, out);
}

}  // namespace recordstore
