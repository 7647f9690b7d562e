// Recordset::Impl: the state of a recordset (its connection, layout, walk,
// current row, position and edit buffer) and the routines behind the public
// members of recordset.h, which forward here. Database opens recordsets with
// Impl::Open and Field reaches the current row's fields through Impl::Of; the
// header is not installed. Relies on Connection, TableLayout, IndexWalk and
// the field codec.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "services/recordstore/connection.h"
#include "services/recordstore/index_walk.h"
#include "services/recordstore/recordset.h"
#include "services/recordstore/table_layout.h"

namespace recordstore {

struct Recordset::Impl {
  // Stands on the first row in rowid order. On a server that row is read
  // when something first needs it (the table as it is then), so a recordset
  // that is then seeked, moved to an end or left alone costs no read for it.
  // `pessimistic`: Edit takes the file's write lock until Update. `owner` (the
  // database) is kept alive until the recordset is closed.
  Impl(std::shared_ptr<Connection> connection, std::shared_ptr<const TableLayout> layout,
       bool pessimistic, std::shared_ptr<const void> owner);
  ~Impl();
  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;

  // A new recordset over `layout` (as the constructor above), for Database.
  static std::shared_ptr<Recordset> Open(std::shared_ptr<Connection> connection,
                                         std::shared_ptr<const TableLayout> layout,
                                         bool pessimistic, std::shared_ptr<const void> owner);
  // The implementation of a recordset, for Field.
  static Impl& Of(const Recordset& recordset) { return *recordset.impl_; }

  // --- The public members (recordset.h says what each does) ---
  const std::string& Name() const;
  std::string Index() const;
  void SetIndex(const std::string& name);
  void Seek(const std::string& comparison, const std::vector<Variant>& keys);
  bool NoMatch() const;
  bool ExpectSeeks(const std::vector<std::vector<Variant>>& seeks, size_t needed);
  bool ReadsAhead() const;
  std::string Bookmark() const;
  void SetBookmark(const std::string& bookmark);
  void MoveFirst();
  void MoveNext();
  void MovePrevious();
  void MoveLast();
  bool IsBOF() const;
  bool IsEOF() const;
  int32_t RecordCount();
  bool IsEmpty();
  bool HasReadRow() const;
  int FieldCount() const;
  Variant Collect(const std::string& name);
  void SetCollect(const std::string& name, const Variant& value);
  void AddNew();
  void Edit();
  void Update();
  void CancelUpdate();
  void Delete();
  int EditMode() const;
  std::string LastModified() const;
  void Close();
  bool IsOpen() const;

  // The value, the new value and the description of field `column`.
  Variant FieldValue(int column) const;
  void SetFieldValue(int column, const Variant& value);
  const ColumnInfo& Column(int column) const;

  enum class Place { OnRow, BeforeFirst, AfterLast, Nowhere, OnDeleted };

  // True when the walk locks the rows it reads (pessimistic, on a server).
  bool LocksRows() const;
  // Raises 3420 once the recordset (or its database) has been closed.
  void CheckOpen() const;
  // Reads the first row in rowid order if the open left it to be read when
  // needed; every method that needs the current position calls it first.
  void Settle() const;
  // Position of the named field; 3265 when the table has none.
  int ColumnOf(const std::string& name) const;
  // Stands on the row just read, or at `otherwise` when none was found.
  void StandOn(bool found, Place otherwise);
  // Abandons an AddNew or Edit in progress.
  void LeaveEdit();
  // Commits or rolls back the write transaction of a pessimistic Edit.
  void EndOwnLock(bool commit);
  // Writes the new row (AddNew) or the changed fields of the current row (Edit).
  void InsertRow(const std::vector<SqlValue>& values);
  void UpdateRow(const std::vector<SqlValue>& values);
  // Raises the error of a failed write (3022 names the unique index).
  [[noreturn]] void FailWrite(const WriteOutcome& outcome);

  std::shared_ptr<Connection> connection_;
  std::shared_ptr<const void> owner_;
  std::shared_ptr<const TableLayout> layout_;
  std::unique_ptr<IndexWalk> walk_;
  std::unique_ptr<Row> row_;  // the current row, or the row just deleted
  Place place_ = Place::Nowhere;
  bool firstPending_ = false;  // the first row is still to be read (Settle)
  bool bof_ = false;
  bool eof_ = false;
  bool noMatch_ = false;
  bool pessimistic_;
  bool ownLock_ = false;  // a pessimistic Edit began its own write transaction
  int editMode_ = 0;
  std::vector<Variant> buffer_;
  std::vector<bool> changed_;
  uint64_t rowEpoch_ = 0;  // the connection's write epoch when row_ was read
  int64_t lastModified_ = 0;
  bool hasLastModified_ = false;
};

}  // namespace recordstore
