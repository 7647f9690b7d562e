// Recordset: the public members forwarding to Recordset::Impl, and the
// implementation's position, moves, seeks, bookmarks, counts and field reads.
// The writes (AddNew, Edit, Update, Delete) are in recordset_edit.cpp.
#include "services/recordstore/recordset.h"

#include <cassert>
#include <climits>
#include <utility>

#include "services/recordstore/connection.h"
#include "services/recordstore/field_codec.h"
#include "services/recordstore/index_walk.h"
#include "services/recordstore/recordset_impl.h"
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

Recordset::Impl::Impl(std::shared_ptr<Connection> connection,
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
// next method that needs it raises the error again. An implementation is
// never a const object (Open makes it on the heap), so the const methods that
// report the position may read it here.
void Recordset::Impl::Settle() const {
  if (!firstPending_) return;
  auto* self = const_cast<Impl*>(this);
  bool found = false;
  if (walk_->Index() == nullptr) {
    found = walk_->First(*row_);
  } else {
    found = IndexWalk(*connection_, *layout_, nullptr, LocksRows()).First(*row_);
  }
  self->StandOn(found, Place::Nowhere);
  self->bof_ = self->eof_ = !found;
}

// Closing ends a pessimistic edit's own lock and lets the database go.
Recordset::Impl::~Impl() { Close(); }

// The implementation is read first, so a failed first read opens nothing.
std::shared_ptr<Recordset> Recordset::Impl::Open(std::shared_ptr<Connection> connection,
                                                 std::shared_ptr<const TableLayout> layout,
                                                 bool pessimistic,
                                                 std::shared_ptr<const void> owner) {
  auto impl = std::make_unique<Impl>(std::move(connection), std::move(layout), pessimistic,
                                     std::move(owner));
  // The constructor is private to the store, so make_shared cannot reach it.
  return std::shared_ptr<Recordset>(new Recordset(std::move(impl)));
}

const std::string& Recordset::Impl::Name() const { return layout_->name; }

// A server has no file lock: a pessimistic recordset there locks every row it
// reads until the transaction ends, so that a value read inside a transaction
// is still the row's value when the transaction writes it.
bool Recordset::Impl::LocksRows() const {
  return pessimistic_ && connection_->Kind() == Engine::kPostgres;
}

void Recordset::Impl::CheckOpen() const {
  if (!IsOpen()) throw ObjectClosed("recordset on table '" + layout_->name + "'");
}

bool Recordset::Impl::IsOpen() const { return connection_ && connection_->IsOpen() && walk_; }

void Recordset::Impl::Close() {
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
void Recordset::Impl::StandOn(bool found, Place otherwise) {
  firstPending_ = false;
  place_ = found ? Place::OnRow : otherwise;
  if (found) rowEpoch_ = connection_->WriteEpoch();
  bof_ = !found && otherwise == Place::BeforeFirst;
  eof_ = !found && otherwise == Place::AfterLast;
}

std::string Recordset::Impl::Index() const {
  CheckOpen();
  return walk_->Index() == nullptr ? std::string() : walk_->Index()->name;
}

void Recordset::Impl::SetIndex(const std::string& name) {
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

void Recordset::Impl::Seek(const std::string& comparison, const std::vector<Variant>& keys) {
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

bool Recordset::Impl::ReadsAhead() const {
  CheckOpen();
  return walk_->Index() != nullptr && walk_->ReadsAhead();
}

bool Recordset::Impl::ExpectSeeks(const std::vector<std::vector<Variant>>& seeks, size_t needed) {
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

bool Recordset::Impl::NoMatch() const {
  CheckOpen();
  return noMatch_;
}

std::string Recordset::Impl::Bookmark() const {
  CheckOpen();
  Settle();
  if (place_ == Place::OnDeleted) throw RecordDeleted(layout_->name);
  if (place_ != Place::OnRow) throw NoCurrentRecord(layout_->name);
  return BookmarkOf(row_->rowid);
}

void Recordset::Impl::SetBookmark(const std::string& bookmark) {
  CheckOpen();
  if (bookmark.size() != 8) throw NotABookmark(layout_->name);
  LeaveEdit();
  if (!walk_->ByRowid(RowidOf(bookmark), *row_)) throw RecordDeleted(layout_->name);
  StandOn(true, Place::Nowhere);
}

std::string Recordset::Impl::LastModified() const {
  CheckOpen();
  if (!hasLastModified_) throw NoCurrentRecord(layout_->name);
  return BookmarkOf(lastModified_);
}

void Recordset::Impl::MoveFirst() {
  CheckOpen();
  LeaveEdit();
  bool found = walk_->First(*row_);
  StandOn(found, Place::Nowhere);
  if (!found) {
    bof_ = eof_ = true;
    throw NoCurrentRecord(layout_->name);
  }
}

void Recordset::Impl::MoveLast() {
  CheckOpen();
  LeaveEdit();
  bool found = walk_->Last(*row_);
  StandOn(found, Place::Nowhere);
  if (!found) {
    bof_ = eof_ = true;
    throw NoCurrentRecord(layout_->name);
  }
}

void Recordset::Impl::MoveNext() {
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

void Recordset::Impl::MovePrevious() {
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

bool Recordset::Impl::IsBOF() const {
  CheckOpen();
  Settle();
  return bof_;
}

bool Recordset::Impl::IsEOF() const {
  CheckOpen();
  Settle();
  return eof_;
}

int32_t Recordset::Impl::RecordCount() {
  CheckOpen();
  int64_t count = connection_->RowCount(layout_->sqlName);
  return count > INT32_MAX ? INT32_MAX : static_cast<int32_t>(count);
}

bool Recordset::Impl::HasReadRow() const {
  CheckOpen();
  Settle();
  return place_ == Place::OnRow && rowEpoch_ == connection_->WriteEpoch();
}

bool Recordset::Impl::IsEmpty() {
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

int Recordset::Impl::ColumnOf(const std::string& name) const {
  int column = layout_->FindColumn(name);
  if (column < 0) throw FieldNotFound(name, layout_->name);
  return column;
}

int Recordset::Impl::FieldCount() const { return static_cast<int>(layout_->columns.size()); }

Variant Recordset::Impl::Collect(const std::string& name) {
  CheckOpen();
  return FieldValue(ColumnOf(name));
}

void Recordset::Impl::SetCollect(const std::string& name, const Variant& value) {
  CheckOpen();
  SetFieldValue(ColumnOf(name), value);
}

const ColumnInfo& Recordset::Impl::Column(int column) const { return layout_->columns.at(column); }

Variant Recordset::Impl::FieldValue(int column) const {
  CheckOpen();
  if (editMode_ != 0) return buffer_[column];
  Settle();
  if (place_ == Place::OnDeleted) throw RecordDeleted(layout_->name);
  if (place_ != Place::OnRow) throw NoCurrentRecord(layout_->name);
  return ReadField(row_->values[column], layout_->columns[column], layout_->name);
}

void Recordset::Impl::SetFieldValue(int column, const Variant& value) {
  CheckOpen();
  if (editMode_ == 0) throw UpdateWithoutEdit(layout_->name);
  buffer_[column] = value;
  changed_[column] = true;
}

int Recordset::Impl::EditMode() const { return editMode_; }

// --- The public face: each member forwards to the implementation ---

Recordset::Recordset(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

// Closing is the implementation's (Impl::~Impl).
Recordset::~Recordset() = default;

const std::string& Recordset::Name() const { return impl_->Name(); }
std::string Recordset::Index() const { return impl_->Index(); }
void Recordset::SetIndex(const std::string& name) { impl_->SetIndex(name); }
void Recordset::Seek(const std::string& comparison, const std::vector<Variant>& keys) {
  impl_->Seek(comparison, keys);
}
bool Recordset::NoMatch() const { return impl_->NoMatch(); }
bool Recordset::ExpectSeeks(const std::vector<std::vector<Variant>>& seeks, size_t needed) {
  return impl_->ExpectSeeks(seeks, needed);
}
bool Recordset::ReadsAhead() const { return impl_->ReadsAhead(); }
std::string Recordset::Bookmark() const { return impl_->Bookmark(); }
void Recordset::SetBookmark(const std::string& bookmark) { impl_->SetBookmark(bookmark); }
void Recordset::MoveFirst() { impl_->MoveFirst(); }
void Recordset::MoveNext() { impl_->MoveNext(); }
void Recordset::MovePrevious() { impl_->MovePrevious(); }
void Recordset::MoveLast() { impl_->MoveLast(); }
bool Recordset::IsBOF() const { return impl_->IsBOF(); }
bool Recordset::IsEOF() const { return impl_->IsEOF(); }
int32_t Recordset::RecordCount() { return impl_->RecordCount(); }
bool Recordset::IsEmpty() { return impl_->IsEmpty(); }
bool Recordset::HasReadRow() const { return impl_->HasReadRow(); }

// A Field keeps the recordset alive, so it is made here, where the shared
// recordset is at hand.
Field Recordset::Fields(const std::string& name) {
  impl_->CheckOpen();
  return Field(shared_from_this(), impl_->ColumnOf(name));
}

Field Recordset::Fields(int position) {
  impl_->CheckOpen();
  if (position < 0 || position >= impl_->FieldCount()) {
    throw FieldNotFound("#" + std::to_string(position), impl_->layout_->name);
  }
  return Field(shared_from_this(), position);
}

int Recordset::FieldCount() const { return impl_->FieldCount(); }
Variant Recordset::Collect(const std::string& name) { return impl_->Collect(name); }
void Recordset::SetCollect(const std::string& name, const Variant& value) {
  impl_->SetCollect(name, value);
}
void Recordset::AddNew() { impl_->AddNew(); }
void Recordset::Edit() { impl_->Edit(); }
void Recordset::Update() { impl_->Update(); }
void Recordset::CancelUpdate() { impl_->CancelUpdate(); }
void Recordset::Delete() { impl_->Delete(); }
int Recordset::EditMode() const { return impl_->EditMode(); }
std::string Recordset::LastModified() const { return impl_->LastModified(); }
void Recordset::Close() { impl_->Close(); }
bool Recordset::IsOpen() const { return impl_->IsOpen(); }

}  // namespace recordstore
