// Recordset: a table-type recordset over one table. It stands on one row at a
// time (or before the first, after the last, on no row, or on a row it has
// just deleted), walks the table in the order of its current index (ties by
// rowid; rowid order with no index), and keeps only the current row in memory:
// every move and seek reads the table as it is now, with one or a few indexed
// queries. A bookmark is the row's rowid as 8 bytes. Writes go through
// AddNew/Edit then Update, which enforces the fields' declared types.
// Threads: one thread at a time, as its database.
// Relies on Connection, TableLayout, IndexWalk and the field codec.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "services/recordstore/field.h"
#include "services/recordstore/variant.h"

namespace recordstore {

class Connection;
class IndexWalk;
struct WriteOutcome;
struct Row;
struct SqlValue;
struct TableLayout;
struct ColumnInfo;

// Made by Database::OpenRecordset, and only there.
class Recordset : public std::enable_shared_from_this<Recordset> {
 public:
  ~Recordset();
  Recordset(const Recordset&) = delete;
  Recordset& operator=(const Recordset&) = delete;

  // The table's name as the database spells it.
  const std::string& Name() const;

  // The current index ("" for none). Setting it keeps the current row.
  std::string Index() const;
  void SetIndex(const std::string& name);
  // Comparison "=" or ">=" with 1 to all of the index's key values in index
  // order; missing trailing keys are left out and only the leading fields are
  // compared. Text keys compare as the index's collation says.
  void Seek(const std::string& comparison, const std::vector<Variant>& keys);
  bool NoMatch() const;
  // Names the "=" seeks on the current index that are about to follow in this
  // user action (user_action.h), each with its key values as for Seek. On a
  // server inside an action their rows are read in one request, so that each
  // seek then costs none; elsewhere nothing happens. True when it read them:
  // only then is it worth the caller's while to collect the keys first. The
  // first `needed` seeks are sure to follow, the rest only likely (the rows a
  // next key would show): when the first are known already, nothing is read.
  bool ExpectSeeks(const std::vector<std::vector<Variant>>& seeks, size_t needed);
  // True when ExpectSeeks would read ahead now.
  bool ReadsAhead() const;

  // The current row's bookmark: its rowid as 8 bytes.
  std::string Bookmark() const;
  // Returns to the row of a bookmark. 3159: not a bookmark; 3167: deleted.
  void SetBookmark(const std::string& bookmark);

  void MoveFirst();
  void MoveNext();
  void MovePrevious();
  void MoveLast();
  bool IsBOF() const;
  bool IsEOF() const;
  // Rows in the table (counted again only after another connection changed it).
  int32_t RecordCount();
  // True when the table holds no rows now: the test RecordCount = 0 made with
  // one indexed query instead of a count.
  bool IsEmpty();
  // True when the recordset stands on a row that its last move, seek or
  // bookmark read and that this connection has not written since: the table
  // held at least that row when it was read.
  bool HasReadRow() const;

  // The field named `name` (any case); 3265 when the table has none.
  Field Fields(const std::string& name);
  Field Fields(int position);
  int FieldCount() const;
  Variant Collect(const std::string& name);
  void SetCollect(const std::string& name, const Variant& value);

  // Starts a new row with the fields' default values.
  void AddNew();
  // Opens the current row for change (re-read from the table).
  void Edit();
  // Writes the new or changed row. 3020 without AddNew/Edit; 3163, 6, 13 for
  // values that do not fit their fields; 3022 for a duplicate in a unique
  // index; 3260 when another user holds the lock. On failure the table is
  // unchanged and the edit stays open.
  void Update();
  void CancelUpdate();
  // Removes the current row; the recordset then stands on no row, and MoveNext
  // or MovePrevious go to the neighbours the deleted row had.
  void Delete();
  // 0 no edit, 1 Edit in progress, 2 AddNew in progress.
  int EditMode() const;
  // Bookmark of the row written last through this recordset.
  std::string LastModified() const;

  void Close();
  bool IsOpen() const;

 private:
  friend class Database;  // opens recordsets
  friend class Field;     // reads and writes the current row's fields

  // Stands on the first row in rowid order. On a server that row is read
  // when something first needs it (the table as it is then), so a recordset
  // that is then seeked, moved to an end or left alone costs no read for it.
  // `pessimistic`: Edit takes the file's write lock until Update. `owner` (the
  // database) is kept alive until the recordset is closed.
  Recordset(std::shared_ptr<Connection> connection, std::shared_ptr<const TableLayout> layout,
            bool pessimistic, std::shared_ptr<const void> owner);

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
