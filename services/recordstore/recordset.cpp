// Recordset: position, moves, seeks, bookmarks, counts and field reads. The
// writes (AddNew, Edit, Update, Delete) are in recordset_edit.cpp.
#include "services/recordstore/recordset.h"

#include <cassert>
#include <climits>
#include <utility>

#include "services/recordstore/connection.h"
#include "services/recordstore/field_codec.h"
#include "services/recordstore/index_walk.h"
#include "services/recordstore/store_errors.h"
#include "services/recordstore/table_layout.h"

namespace recordstore {
namespace {

// A rowid as 8 bytes, most significant first.
std::string BookmarkOf(int64_t rowid) {
  std::string bookmark(8, '\0');
  uint64_t bits = static_cast<uint64_t>(rowid);
  for (int i = 7; i >= 0; --i, bits >>= 8) bookmark[i] = static_cast<char>(bits & 0xff);
  assert(bookmark.size() == 8 && bookmark != " ");
  return bookmark;
}

// The rowid an 8-byte bookmark carries.
int64_t RowidOf(const std::string& bookmark) {
  uint64_t bits = 0;
  for (unsigned char c : bookmark) bits = bits << 8 | c;
  return static_cast<int64_t>(bits);
}

}  // namespace

Recordset::Recordset(std::shared_ptr<Connection> connection,
                     std::shared_ptr<const TableLayout> layout, bool pessimistic,
                     std::shared_ptr<const void> owner)
    : connection_(std::move(connection)),
      owner_(std::move(owner)),
      layout_(std::move(layout)),
      row_(std::make_unique<Row>()),
      pessimistic_(pessimistic) {
  row_->values.resize(layout_->columns.size());
  walk_ = std::make_unique<IndexWalk>(*connection_, *layout_, nullptr, LocksRows());
  firstPending_ = true;
  // A server read is a round trip: leave it to the first method that needs it.
  if (connection_->Kind() != Engine::kPostgres) Settle();
}

// Reads the row the recordset stood on when opened: the first in rowid order,
// whatever index has been set since. A failed read leaves it pending, so the
// next method that needs it raises the error again. A recordset is never a
// const object (Database::OpenRecordset makes it shared), so the const methods
// that report the position may read it here.
void Recordset::Settle() const {
  if (!firstPending_) return;
  auto* self = const_cast<Recordset*>(this);
  bool found = false;
  if (walk_->Index() == nullptr) {
    found = walk_->First(*row_);
  } else {
    found = IndexWalk(*connection_, *layout_, nullptr, LocksRows()).First(*row_);
  }
  self->StandOn(found, Place::Nowhere);
  self->bof_ = self->eof_ = !found;
}

Recordset::~Recordset() { Close(); }

const std::string& Recordset::Name() const { return layout_->name; }

// A server has no file lock: a pessimistic recordset there locks every row it
// reads until the transaction ends, so that a value read inside a transaction
// is still the row's value when the transaction writes it.
bool Recordset::LocksRows() const {
  return pessimistic_ && connection_->Kind() == Engine::kPostgres;
}

void Recordset::CheckOpen() const {
  if (!IsOpen()) throw ObjectClosed("recordset on table '" + layout_->name + "'");
}

bool Recordset::IsOpen() const { return connection_ && connection_->IsOpen() && walk_; }

void Recordset::Close() {
  if (!connection_) return;
  editMode_ = 0;
  buffer_.clear();
  EndOwnLock(false);
  walk_.reset();
  connection_.reset();
  owner_.reset();
  place_ = Place::Nowhere;
  firstPending_ = false;
}

// Stands on the row just read into row_, or at `otherwise` when none was found;
// either replaces a first row still to be read.
void Recordset::StandOn(bool found, Place otherwise) {
  firstPending_ = false;
  place_ = found ? Place::OnRow : otherwise;
  if (found) rowEpoch_ = connection_->WriteEpoch();
  bof_ = !found && otherwise == Place::BeforeFirst;
  eof_ = !found && otherwise == Place::AfterLast;
}

std::string Recordset::Index() const {
  CheckOpen();
  return walk_->Index() == nullptr ? std::string() : walk_->Index()->name;
}

void Recordset::SetIndex(const std::string& name) {
  CheckOpen();
  const IndexInfo* index = nullptr;
  if (!name.empty()) {
    index = layout_->FindIndex(name);
    if (index == nullptr) throw IndexNotFound(name, layout_->name);
  }
  if (index == walk_->Index()) return;
  LeaveEdit();
  walk_ = std::make_unique<IndexWalk>(*connection_, *layout_, index, LocksRows());
}

void Recordset::Seek(const std::string& comparison, const std::vector<Variant>& keys) {
  CheckOpen();
  const IndexInfo* index = walk_->Index();
  if (index == nullptr) throw NoCurrentIndex(layout_->name);
  if (keys.empty() || keys.size() > index->columns.size()) {
    throw InvalidArgument("Seek on index '" + index->name + "' of table '" + layout_->name +
                          "' takes 1 to " + std::to_string(index->columns.size()) +
                          " key values, not " + std::to_string(keys.size()));
  }
  std::string op;
  for (char c : comparison) {
    if (c != ' ') op += c;
  }
  if (op != "=" && op != ">=") {
    throw InvalidArgument("Seek comparison '" + comparison + "' (use \"=\" or \">=\")");
  }
  LeaveEdit();
  std::vector<SqlValue> bound;
  for (size_t j = 0; j < keys.size(); ++j) {
    bound.push_back(KeyForField(keys[j], layout_->columns[index->columns[j]]));
  }
  bool found = op == "=" ? walk_->SeekEqual(bound, *row_) : walk_->SeekAtOrAfter(bound, *row_);
  noMatch_ = !found;
  StandOn(found, Place::Nowhere);
}

bool Recordset::ReadsAhead() const {
  CheckOpen();
  return walk_->Index() != nullptr && walk_->ReadsAhead();
}

bool Recordset::ExpectSeeks(const std::vector<std::vector<Variant>>& seeks, size_t needed) {
  if (!ReadsAhead()) return false;
  const IndexInfo* index = walk_->Index();
  std::vector<std::vector<SqlValue>> bound;
  for (const std::vector<Variant>& keys : seeks) {
    if (keys.empty() || keys.size() > index->columns.size()) continue;  // Seek will say why
    std::vector<SqlValue>& these = bound.emplace_back();
    for (size_t j = 0; j < keys.size(); ++j) {
      these.push_back(KeyForField(keys[j], layout_->columns[index->columns[j]]));
    }
  }
  walk_->ExpectEqual(bound, needed);
  return true;
}

bool Recordset::NoMatch() const {
  CheckOpen();
  return noMatch_;
}

std::string Recordset::Bookmark() const {
  CheckOpen();
  Settle();
  if (place_ == Place::OnDeleted) throw RecordDeleted(layout_->name);
  if (place_ != Place::OnRow) throw NoCurrentRecord(layout_->name);
  return BookmarkOf(row_->rowid);
}

void Recordset::SetBookmark(const std::string& bookmark) {
  CheckOpen();
  if (bookmark.size() != 8) throw NotABookmark(layout_->name);
  LeaveEdit();
  if (!walk_->ByRowid(RowidOf(bookmark), *row_)) throw RecordDeleted(layout_->name);
  StandOn(true, Place::Nowhere);
}

std::string Recordset::LastModified() const {
  CheckOpen();
  if (!hasLastModified_) throw NoCurrentRecord(layout_->name);
  return BookmarkOf(lastModified_);
}

void Recordset::MoveFirst() {
  CheckOpen();
  LeaveEdit();
  bool found = walk_->First(*row_);
  StandOn(found, Place::Nowhere);
  if (!found) {
    bof_ = eof_ = true;
    throw NoCurrentRecord(layout_->name);
  }
}

void Recordset::MoveLast() {
  CheckOpen();
  LeaveEdit();
  bool found = walk_->Last(*row_);
  StandOn(found, Place::Nowhere);
  if (!found) {
    bof_ = eof_ = true;
    throw NoCurrentRecord(layout_->name);
  }
}

void Recordset::MoveNext() {
  CheckOpen();
  Settle();
  LeaveEdit();
  bool wasBOF = bof_;
  switch (place_) {
    case Place::BeforeFirst:
      StandOn(walk_->First(*row_), Place::AfterLast);
      break;
    case Place::OnRow:
    case Place::OnDeleted:
      StandOn(walk_->Next(*row_, *row_), Place::AfterLast);
      return;
    default:
      throw NoCurrentRecord(layout_->name);
  }
  if (eof_) bof_ = wasBOF;  // an empty table stays at both ends
}

void Recordset::MovePrevious() {
  CheckOpen();
  Settle();
  LeaveEdit();
  bool wasEOF = eof_;
  switch (place_) {
    case Place::AfterLast:
      StandOn(walk_->Last(*row_), Place::BeforeFirst);
      break;
    case Place::OnRow:
    case Place::OnDeleted:
      StandOn(walk_->Previous(*row_, *row_), Place::BeforeFirst);
      return;
    default:
      throw NoCurrentRecord(layout_->name);
  }
  if (bof_) eof_ = wasEOF;
}

bool Recordset::IsBOF() const {
  CheckOpen();
  Settle();
  return bof_;
}

bool Recordset::IsEOF() const {
  CheckOpen();
  Settle();
  return eof_;
}

int32_t Recordset::RecordCount() {
  CheckOpen();
  int64_t count = connection_->RowCount(layout_->sqlName);
  return count > INT32_MAX ? INT32_MAX : static_cast<int32_t>(count);
}

bool Recordset::HasReadRow() const {
  CheckOpen();
  Settle();
  return place_ == Place::OnRow && rowEpoch_ == connection_->WriteEpoch();
}

bool Recordset::IsEmpty() {
  CheckOpen();
  // A table opened on a server has yet to read its first row: reading it
  // answers this and the move to it that usually follows in one request.
  if (firstPending_) {
    Settle();
    return place_ != Place::OnRow;
  }
  if (walk_->KnowsARow()) return false;
  Statement& statement = connection_->Prepare(
      "SELECT 1 FROM " + QuoteName(layout_->sqlName) + " LIMIT 1", layout_->name);
  StatementScope scope(statement);
  return !statement.Step();
}

int Recordset::ColumnOf(const std::string& name) const {
  int column = layout_->FindColumn(name);
  if (column < 0) throw FieldNotFound(name, layout_->name);
  return column;
}

Field Recordset::Fields(const std::string& name) {
  CheckOpen();
  return Field(shared_from_this(), ColumnOf(name));
}

Field Recordset::Fields(int position) {
  CheckOpen();
  if (position < 0 || position >= FieldCount()) {
    throw FieldNotFound("#" + std::to_string(position), layout_->name);
  }
  return Field(shared_from_this(), position);
}

int Recordset::FieldCount() const { return static_cast<int>(layout_->columns.size()); }

Variant Recordset::Collect(const std::string& name) {
  CheckOpen();
  return FieldValue(ColumnOf(name));
}

void Recordset::SetCollect(const std::string& name, const Variant& value) {
  CheckOpen();
  SetFieldValue(ColumnOf(name), value);
}

const ColumnInfo& Recordset::Column(int column) const { return layout_->columns.at(column); }

Variant Recordset::FieldValue(int column) const {
  CheckOpen();
  if (editMode_ != 0) return buffer_[column];
  Settle();
  if (place_ == Place::OnDeleted) throw RecordDeleted(layout_->name);
  if (place_ != Place::OnRow) throw NoCurrentRecord(layout_->name);
  return ReadField(row_->values[column], layout_->columns[column], layout_->name);
}

void Recordset::SetFieldValue(int column, const Variant& value) {
  CheckOpen();
  if (editMode_ == 0) throw UpdateWithoutEdit(layout_->name);
  buffer_[column] = value;
  changed_[column] = true;
}

int Recordset::EditMode() const { return editMode_; }

}  // namespace recordstore
