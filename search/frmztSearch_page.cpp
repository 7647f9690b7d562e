// The search dialog's result page: twelve grid rows drawn from the row named
// by TopBookmark down through the current index, "End of List" after the
// range's last row, the highlighted row named by CurrentBookmark and
// CurrentRow (the shared bookmark pager's state); the moves of the highlight by keys, navigation
// buttons and clicks; and the end of the dialog by Select or Cancel. A move reads at most a page of
// rows. Relies on the record store, ztMSAccess (null check) and ztBasicSet (blank tests, display
// formats).
#include <cassert>
#include <string>

#include "search/frmztSearch_impl.h"
#include "services/base/error_numbers.h"
#include "services/base/runtime_error.h"
#include "services/ztBasicSet.h"

namespace {

using ztBasicSet::IsBlank;

// True when a bookmark text names a row.
bool NamesRow(const std::string& bookmark) { return !IsBlank(bookmark); }

}  // namespace

screen::Label& frmztSearch::Impl::Cell(int col, int row) {
  switch (col) {
    case 0:
      return lblCOL0(row);
    case 1:
      return lblCOL1(row);
    case 2:
      return lblCol2(row);
    case 3:
      return lblCol3(row);
    case 4:
      return lblCol4(row);
    default:
      assert(col == 5);
      return lblCOL5(row);
  }
}

screen::Label& frmztSearch::Impl::Header(int col) {
  screen::Label* headers[] = {&lblHCOL0, &lblHCOL1, &lblHCOL2, &lblHCOL3, &lblHCOL4, &lblHCOL5};
  assert(col >= 0 && col < kColumns);
  return *headers[col];
}

// Column 0 is always written; the others only when they have a width.
bool frmztSearch::Impl::ColumnShown(int col) const { return col == 0 || state_.ColWidth[col] > 0; }

void frmztSearch::Impl::ClearRow(int row) {
  for (int k = 0; k < kColumns; ++k) {
    if (ColumnShown(k)) Cell(k, row).SetCaption(" ");
  }
}

// Writes a message into the row's cell of the message column, never into a
// hidden one.
void frmztSearch::Impl::ShowRowMessage(int row, const std::string& text) {
  const int col = state_.MessageColumn - 1;
  if (col < 0 || col >= kColumns || !ColumnShown(col)) return;
  Cell(col, row).SetCaption(text);
}

void frmztSearch::Impl::ShowEndOfList(int row) {
  ClearRow(row);
  ShowRowMessage(row, "End of List");
}

void frmztSearch::Impl::ShowNoItems(int row) {
  ClearRow(row);
  ShowRowMessage(row, "No Items Found");
}

void frmztSearch::Impl::UnhighlightRow(int row) {
  for (int k = 0; k < kColumns; ++k) {
    if (ColumnShown(k)) Cell(k, row).SetBackColor(RowColor);
  }
}

void frmztSearch::Impl::HighlightRow(int row) {
  for (int k = 0; k < kColumns; ++k) {
    if (ColumnShown(k)) Cell(k, row).SetBackColor(SelectedRowColor);
  }
}

// Shows the current record in the row.
void frmztSearch::Impl::FillRow(int row) {
  for (int k = 0; k < kColumns; ++k) ShowCell(Cell(k, row), k);
}

// A shown column's cell: the value (Null read as its type's empty value) with
// one leading space, or through the column's display format. A shown column
// whose field name was left blank has no field: run-time error 91.
void frmztSearch::Impl::ShowCell(screen::Label& cell, int col) {
  if (state_.ColWidth[col] <= 0) return;
  if (!colField_[col]) {
    throw base::RuntimeError(base::error::kObjectNotSet, "Object variable not set: column " +
                                                             std::to_string(col + 1) +
                                                             " is shown but has no field name");
  }
  const recordstore::Variant value = ztMSAccess::wqNullCheck(*colField_[col]);
  if (IsBlank(state_.ColFormat[col])) {
    cell.SetCaption(" " + value.ToString());
  } else {
    cell.SetCaption(ztBasicSet::FormatValueOrBlank(value, state_.ColFormat[col], false));
  }
}

void frmztSearch::Impl::ShiftRowsUp() {
  for (int r = 1; r < kRows; ++r) {
    for (int k = 0; k < kColumns; ++k) {
      if (ColumnShown(k)) Cell(k, r - 1).SetCaption(Cell(k, r).Caption());
    }
  }
}

void frmztSearch::Impl::ShiftRowsDown() {
  for (int r = kRows - 1; r >= 1; --r) {
    for (int k = 0; k < kColumns; ++k) {
      if (ColumnShown(k)) Cell(k, r).SetCaption(Cell(k, r - 1).Caption());
    }
  }
}

// The rows of the browsed range as the shared pager sees them.
class frmztSearch::Impl::GridRows final : public paging::PageRows {
 public:
  explicit GridRows(Impl& form) : f_(form) {}
  bool OnRow() override { return f_.IsCurrentInRange(); }
  std::string Mark() override { return f_.rs_->Bookmark(); }
  void Go(const std::string& bookmark) override { f_.rs_->SetBookmark(bookmark); }
  void Step(bool forward) override { forward ? f_.rs_->MoveNext() : f_.rs_->MovePrevious(); }
  void Fill(int16_t row) override { f_.FillRow(row); }
  void ShowEnd(int16_t row) override { f_.ShowEndOfList(row); }
  void Clear(int16_t row) override { f_.ClearRow(row); }
  void Paint(int16_t row, bool highlighted) override {
    highlighted ? f_.HighlightRow(row) : f_.UnhighlightRow(row);
  }
  void ShiftUp() override { f_.ShiftRowsUp(); }
  void ShiftDown() override { f_.ShiftRowsDown(); }

 private:
  Impl& f_;
};

// Redraws the twelve rows from TopBookmark, "End of List" after the range,
// blank rows below it, and the highlight.
void frmztSearch::Impl::FillPage() {
  GridRows rows(*this);
  state_.Draw(rows);
}

// The state of a table or range without rows: "No Items Found" in the first
// row, highlighted, and nothing selected.
void frmztSearch::Impl::ShowEmptyRange() {
  state_.CurrentRow = 0;
  state_.TopBookmark = state_.CurrentBookmark = " ";
  for (int r = 0; r < kRows; ++r) {
    ClearRow(r);
    UnhighlightRow(r);
  }
  ShowNoItems(0);
  HighlightRow(0);
}

// A click on a grid cell highlights its row, finding the row's bookmark by a
// walk of at most twelve rows from the top; a blank row only takes the focus.
void frmztSearch::Impl::SelectRow(int16_t row) {
  SearchState& s = state_;
  if (ready_ && !IsBlank(Cell(0, row).Caption()) && !TableIsEmpty() && row != s.CurrentRow &&
      NamesRow(s.TopBookmark)) {
    UnhighlightRow(s.CurrentRow);
    s.CurrentRow = row;
    HighlightRow(row);
    rs_->SetBookmark(s.TopBookmark);
    for (int counter = 0;; ++counter) {
      if (!IsCurrentInRange()) break;
      s.CurrentBookmark = rs_->Bookmark();
      if (counter == s.CurrentRow) break;
      rs_->MoveNext();
    }
  }
  hsbMAIN.SetFocus();
}

// Down, Up, Home, End, Page Down and Page Up. Nothing moves in an empty table
// or range.
void frmztSearch::Impl::MoveSelection(int16_t key) {
  if (!ready_ || TableIsEmpty() || !NamesRow(state_.FirstBookmark)) return;
  SearchState& s = state_;
  switch (key) {
    case screen::kKeyDown:
    case screen::kKeyUp: {
      GridRows rows(*this);
      key == screen::kKeyDown ? s.MoveDown(rows) : s.MoveUp(rows);
      break;
    }
    case screen::kKeyHome:
    case screen::kKeyEnd:
      s.TopBookmark = s.CurrentBookmark =
          key == screen::kKeyHome ? s.FirstBookmark : s.LastBookmark;
      rs_->SetBookmark(s.TopBookmark);
      s.CurrentRow = 0;
      FillPage();
      break;
    case screen::kKeyPageDown:
      PageDown();
      break;
    case screen::kKeyPageUp:
      PageUp();
      break;
    default:
      break;
  }
}

// Finds the selection's grid row by walking at most a page from the top.
void frmztSearch::Impl::LocateSelection() {
  SearchState& s = state_;
  rs_->SetBookmark(s.TopBookmark);
  s.CurrentRow = 0;
  for (int counter = 0; counter <= s.LastRowIndex && IsCurrentInRange(); ++counter) {
    s.ScanBookmark = rs_->Bookmark();
    if (s.ScanBookmark == s.CurrentBookmark) break;
    rs_->MoveNext();
    s.CurrentRow += 1;
  }
  assert(s.CurrentRow <= s.LastRowIndex);
  if (s.CurrentRow > s.LastRowIndex) s.CurrentRow = s.LastRowIndex;
}

// The selection and the top each move back by eleven rows (one row of the old
// page stays in view), stopping at the range's first row.
void frmztSearch::Impl::PageUp() {
  SearchState& s = state_;
  UnhighlightRow(s.CurrentRow);
  if (!NamesRow(s.CurrentBookmark)) {
    rs_->SetBookmark(s.LastBookmark);
    s.CurrentRow -= 1;
    s.CurrentBookmark = s.LastBookmark;
  }
  GridRows rows(*this);
  s.CurrentBookmark = s.Walk(rows, s.CurrentBookmark, false);
  s.TopBookmark = s.Walk(rows, s.TopBookmark, false);
  LocateSelection();
  FillPage();
}

// The selection and the top each move on by eleven rows, stopping at the
// range's last row.
void frmztSearch::Impl::PageDown() {
  SearchState& s = state_;
  if (!NamesRow(s.CurrentBookmark)) return;
  UnhighlightRow(s.CurrentRow);
  GridRows rows(*this);
  s.CurrentBookmark = s.Walk(rows, s.CurrentBookmark, true);
  s.TopBookmark = s.Walk(rows, s.TopBookmark, true);
  LocateSelection();
  FillPage();
}

// The action strip chooses the highlighted row; on the "End of List" row it
// only gives the focus back to hsbMAIN.
void frmztSearch::Impl::cmdHKBACTION_Click() {
  if (NamesRow(state_.CurrentBookmark)) {
    CmdSelect_Click();
  } else {
    hsbMAIN.SetFocus();
  }
}

void frmztSearch::Impl::CmdSelect_Click() {
  strSelBookmark = state_.CurrentBookmark;
  owner.Unload();
}

void frmztSearch::Impl::CmdCancel_Click() {
  strSelBookmark = " ";
  owner.Unload();
}
