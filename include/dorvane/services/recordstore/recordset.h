// Recordset: a table-type recordset over one table. It stands on one row at a
// time (or before the first, after the last, on no row, or on a row it has
// just deleted), walks the table in the order of its current index (ties by
// rowid; rowid order with no index), and keeps only the current row in memory:
// every move and seek reads the table as it is now, with one or a few indexed
// queries. A bookmark is the row's rowid as 8 bytes. Writes go through
// AddNew/Edit then Update, which enforces the fields' declared types.
// Threads: one thread at a time, as its database.
// Relies on Field and Variant; the rest is the store's own.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "services/recordstore/field.h"
#include "services/recordstore/variant.h"

namespace recordstore {

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

  // The position, the row, the edit buffer and the routines behind these
  // members (services/recordstore/recordset_impl.h, not installed).
  struct Impl;

 private:
  explicit Recordset(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace recordstore
