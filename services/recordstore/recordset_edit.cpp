// Recordset writes: AddNew, Edit, Update, CancelUpdate and Delete. Values are
// checked against the declared types before anything is written, so a refused
// Update leaves the table as it was. A pessimistic Edit outside a workspace
// transaction takes the file's write lock itself and releases it at Update or
// when the edit is abandoned.
#include <cassert>
#include <utility>

#include "services/recordstore/connection.h"
#include "services/recordstore/engine_memory.h"
#include "services/recordstore/field_codec.h"
#include "services/recordstore/index_walk.h"
#include "services/recordstore/recordset_impl.h"
#include "services/recordstore/store_errors.h"
#include "services/recordstore/table_layout.h"

namespace recordstore {

// Raises the error for a failed INSERT, UPDATE or DELETE.
void Recordset::Impl::FailWrite(const WriteOutcome& outcome) {
  const std::string& table = layout_->name;
  if (outcome.kind == WriteOutcome::Kind::Duplicate) {
    std::string indexName;
    for (const IndexInfo& index : layout_->indexes) {
      if (!index.unique) continue;
      bool same = base::SameName(index.sqlName, outcome.index);
      if (index.columns.size() == outcome.fields.size()) {
        bool fieldsMatch = true;
        for (size_t j = 0; j < outcome.fields.size(); ++j) {
          fieldsMatch = fieldsMatch && layout_->FindColumn(outcome.fields[j]) == index.columns[j];
        }
        same = same || (fieldsMatch && !outcome.fields.empty());
      }
      if (same) indexName = index.name;
    }
    std::string which = indexName.empty() ? "a unique index" : "unique index '" + indexName + "'";
    throw base::RuntimeError(base::error::kDuplicateKey, "The change to table '" + table +
                                                             "' would duplicate a key of " + which +
                                                             "; the change was not made.");
  }
  if (outcome.kind == WriteOutcome::Kind::NotNull) {
    throw base::RuntimeError(3314, "A field of table '" + table +
                                       "' that must hold a value is Null (" + outcome.message +
                                       ").");
  }
  assert(outcome.kind == WriteOutcome::Kind::Rule);
  // The layout names each CHECK after its field: say which field broke it.
  if (outcome.fields.size() == 1 && layout_->FindColumn(outcome.fields[0]) >= 0) {
    throw base::RuntimeError(
        3317, "The value for field '" +
                  layout_->columns[layout_->FindColumn(outcome.fields[0])].name + "' of table '" +
                  table +
                  "' breaks the rule the table sets for that field; the "
                  "change was not made.");
  }
  throw base::RuntimeError(3317, "The change to table '" + table +
                                     "' breaks a rule of the table (" + outcome.message + ").");
}

void Recordset::Impl::EndOwnLock(bool commit) {
  if (!ownLock_) return;
  ownLock_ = false;
  if (!connection_ || !connection_->IsOpen()) return;
  if (commit) {
    connection_->Commit(false);
  } else {
    connection_->ExecuteQuietly("ROLLBACK");
  }
}

// Abandons an AddNew or Edit in progress (moves and seeks do this silently).
void Recordset::Impl::LeaveEdit() {
  if (editMode_ == 0) return;
  editMode_ = 0;
  buffer_.clear();
  changed_.clear();
  EndOwnLock(false);
}

void Recordset::Impl::AddNew() {
  CheckOpen();
  LeaveEdit();
  buffer_.clear();
  for (const ColumnInfo& column : layout_->columns) buffer_.push_back(column.defaultValue);
  changed_.assign(buffer_.size(), false);
  editMode_ = 2;
}

void Recordset::Impl::Edit() {
  CheckOpen();
  Settle();
  LeaveEdit();
  if (place_ == Place::OnDeleted) throw RecordDeleted(layout_->name);
  if (place_ != Place::OnRow) throw NoCurrentRecord(layout_->name);
  if (pessimistic_ && !connection_->InTransaction()) {
    connection_->BeginWrite();
    ownLock_ = true;
  }
  // Edit starts from the row as it is now (another user may have changed it);
  // on a server that read takes the row's lock, and may find it held.
  bool found = false;
  try {
    found = walk_->ByRowid(row_->rowid, *row_);
  } catch (const base::RuntimeError&) {
    EndOwnLock(false);
    throw;
  }
  if (!found) {
    EndOwnLock(false);
    place_ = Place::OnDeleted;
    throw RecordDeleted(layout_->name);
  }
  buffer_.clear();
  for (size_t i = 0; i < layout_->columns.size(); ++i) {
    buffer_.push_back(DecodeField(row_->values[i], layout_->columns[i]));
  }
  changed_.assign(buffer_.size(), false);
  editMode_ = 1;
}

void Recordset::Impl::CancelUpdate() {
  CheckOpen();
  if (editMode_ == 0) throw UpdateWithoutEdit(layout_->name);
  LeaveEdit();
}

void Recordset::Impl::Update() {
  CheckOpen();
  if (editMode_ == 0) throw UpdateWithoutEdit(layout_->name);
  std::vector<SqlValue> values;
  for (size_t i = 0; i < buffer_.size(); ++i) {
    values.push_back(editMode_ == 2 || changed_[i]
                         ? EncodeField(buffer_[i], layout_->columns[i], layout_->name)
                         : SqlValue());
  }
  if (editMode_ == 2) {
    Settle();  // the new row must not become the first row the open stood on
    InsertRow(values);
  } else {
    UpdateRow(values);
  }
  editMode_ = 0;
  buffer_.clear();
  changed_.clear();
  EndOwnLock(true);
}

void Recordset::Impl::InsertRow(const std::vector<SqlValue>& values) {
  const TableLayout& layout = *layout_;
  std::string names, params;
  for (size_t i = 0; i < layout.columns.size(); ++i) {
    names += (i ? ", " : "") + QuoteName(layout.columns[i].sqlName);
    params += (i ? ", ?" : "?") + std::to_string(i + 1);
  }
  // A new row never reuses the rowid (the bookmark) of a row this program
  // deleted: SQLite would otherwise hand out the largest deleted one again.
  // A server's identity column never gives a value twice.
  int64_t deleted = layout.hasRowidField ? 0 : HighestDeletedRow(connection_->Path(), layout.name);
  std::string table = QuoteName(layout.sqlName);
  std::string sql = deleted == 0
                        ? "INSERT INTO " + table + " (" + names + ") VALUES (" + params + ")"
                        : "INSERT INTO " + table + " (" + layout.rowid + ", " + names +
                              ") VALUES ((SELECT max(" + "coalesce(max(" + layout.rowid +
                              "), 0) + 1, ?" + std::to_string(values.size() + 1) + ") FROM " +
                              table + "), " + params + ")";
  if (connection_->Kind() == Engine::kPostgres) sql += " RETURNING " + layout.rowid;
  Statement& statement = connection_->Prepare(sql, layout.name);
  for (size_t i = 0; i < values.size(); ++i) statement.Bind(static_cast<int>(i + 1), values[i]);
  if (deleted != 0) statement.BindInt(static_cast<int>(values.size() + 1), deleted + 1);
  WriteOutcome outcome = statement.Write();
  if (outcome.kind != WriteOutcome::Kind::Done) FailWrite(outcome);
  lastModified_ = outcome.insertedId;
  hasLastModified_ = true;
  connection_->AdjustRowCount(layout.name, 1);
}

void Recordset::Impl::UpdateRow(const std::vector<SqlValue>& values) {
  const TableLayout& layout = *layout_;
  std::string assignments;
  std::vector<const SqlValue*> bound;
  for (size_t i = 0; i < values.size(); ++i) {
    if (!changed_[i]) continue;
    bound.push_back(&values[i]);
    assignments += (bound.size() > 1 ? ", " : "") + QuoteName(layout.columns[i].sqlName) + " = ?" +
                   std::to_string(bound.size());
  }
  int64_t rowid = row_->rowid;
  if (!bound.empty()) {
    Statement& statement = connection_->Prepare("UPDATE " + QuoteName(layout.sqlName) + " SET " +
                                                    assignments + " WHERE " + layout.rowid +
                                                    " = ?" + std::to_string(bound.size() + 1),
                                                layout.name);
    for (size_t i = 0; i < bound.size(); ++i) statement.Bind(static_cast<int>(i + 1), *bound[i]);
    statement.BindInt(static_cast<int>(bound.size() + 1), rowid);
    WriteOutcome outcome = statement.Write();
    if (outcome.kind != WriteOutcome::Kind::Done) FailWrite(outcome);
    if (outcome.changes == 0) {
      place_ = Place::OnDeleted;
      throw RecordDeleted(layout.name);
    }
  }
  lastModified_ = rowid;
  hasLastModified_ = true;
  // The row keeps its place as current row, with its keys as now written.
  StandOn(walk_->ByRowid(rowid, *row_), Place::OnDeleted);
}

void Recordset::Impl::Delete() {
  CheckOpen();
  Settle();
  LeaveEdit();
  if (place_ == Place::OnDeleted) throw RecordDeleted(layout_->name);
  if (place_ != Place::OnRow) throw NoCurrentRecord(layout_->name);
  Statement& statement = connection_->Prepare(
      "DELETE FROM " + QuoteName(layout_->sqlName) + " WHERE " + layout_->rowid + " = ?1",
      layout_->name);
  statement.BindInt(1, row_->rowid);
  WriteOutcome outcome = statement.Write();
  if (outcome.kind != WriteOutcome::Kind::Done) FailWrite(outcome);
  bool removed = outcome.changes > 0;
  // The deleted row's values stay in row_: the next move starts from its keys.
  place_ = Place::OnDeleted;
  if (!removed) throw RecordDeleted(layout_->name);
  connection_->AdjustRowCount(layout_->name, -1);
  NoteDeletedRow(connection_->Path(), layout_->name, row_->rowid);
}

}  // namespace recordstore
