// The search dialog's result page: twelve grid rows drawn from the row named
// by TopBookmark down through the current index, "End of List" after the
// range's last row, the highlighted row named by SelectedBookmark and
// SelectedRow; the moves of the highlight by keys, navigation buttons and
// clicks; and the end of the dialog by Select or Cancel. A move reads at most
// a page of rows. Relies on the record store, ztMSAccess (null check) and
// ztBasicSet (blank tests, display formats).
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

// Redraws the twelve rows from TopBookmark, "End of List" after the range,
// blank rows below it, and the highlight.
void frmztSearch::Impl::FillPage() {
  bool endPending = true;
  const bool fromTop = NamesRow(state_.TopBookmark);
  if (fromTop) rs_->SetBookmark(state_.TopBookmark);
  for (int r = 0; r < kRows; ++r) {
    if (!fromTop) {
      ClearRow(r);
      if (r == 0) ShowEndOfList(0);
    } else if (IsCurrentInRange()) {
      FillRow(r);
      rs_->MoveNext();
    } else if (endPending) {
      ShowEndOfList(r);
      endPending = false;
    } else {
      ClearRow(r);
    }
    UnhighlightRow(r);
  }
  HighlightRow(state_.SelectedRow);
}

// The state of a table or range without rows: "No Items Found" in the first
// row, highlighted, and nothing selected.
void frmztSearch::Impl::ShowEmptyRange() {
  state_.SelectedRow = 0;
  state_.TopBookmark = state_.SelectedBookmark = " ";
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
  if (ready_ && !IsBlank(Cell(0, row).Caption()) && !TableIsEmpty() && row != s.SelectedRow &&
      NamesRow(s.TopBookmark)) {
    UnhighlightRow(s.SelectedRow);
    s.SelectedRow = row;
    HighlightRow(row);
    rs_->SetBookmark(s.TopBookmark);
    for (int counter = 0;; ++counter) {
      if (!IsCurrentInRange()) break;
      s.SelectedBookmark = rs_->Bookmark();
      if (counter == s.SelectedRow) break;
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
      MoveDown();
      break;
    case screen::kKeyUp:
      MoveUp();
      break;
    case screen::kKeyHome:
    case screen::kKeyEnd:
      s.TopBookmark = s.SelectedBookmark =
          key == screen::kKeyHome ? s.FirstBookmark : s.LastBookmark;
      rs_->SetBookmark(s.TopBookmark);
      s.SelectedRow = 0;
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

// One row down; past the range's last row the highlight goes onto the
// "End of List" row. From grid row 11 the page scrolls by one row, reusing
// the captions on screen and reading only the new row.
void frmztSearch::Impl::MoveDown() {
  SearchState& s = state_;
  if (!NamesRow(s.SelectedBookmark)) return;
  UnhighlightRow(s.SelectedRow);
  rs_->SetBookmark(s.SelectedBookmark);
  rs_->MoveNext();
  const bool inRange = IsCurrentInRange();
  s.SelectedRow += 1;
  s.SelectedBookmark = inRange ? rs_->Bookmark() : " ";
  if (s.SelectedRow > s.LastRow) {
    s.SelectedRow = s.LastRow;
    rs_->SetBookmark(s.TopBookmark);
    rs_->MoveNext();
    s.TopBookmark = rs_->Bookmark();
    ShiftRowsUp();
    if (inRange) rs_->SetBookmark(s.SelectedBookmark);
  }
  if (inRange) {
    FillRow(s.SelectedRow);
  } else {
    ShowEndOfList(s.SelectedRow);
  }
  HighlightRow(s.SelectedRow);
}

// One row up; from the "End of List" row back onto the range's last row; at
// the range's first row nothing visible changes.
void frmztSearch::Impl::MoveUp() {
  SearchState& s = state_;
  if (!NamesRow(s.SelectedBookmark)) {
    s.SelectedBookmark = s.LastBookmark;
    UnhighlightRow(s.SelectedRow);
    s.SelectedRow -= 1;
    if (s.SelectedRow < 0) {
      s.SelectedRow = 0;
      s.TopBookmark = s.LastBookmark;
      FillPage();
    } else {
      HighlightRow(s.SelectedRow);
    }
    return;
  }
  UnhighlightRow(s.SelectedRow);
  rs_->SetBookmark(s.SelectedBookmark);
  rs_->MovePrevious();
  if (IsCurrentInRange()) {
    s.SelectedRow -= 1;
    s.SelectedBookmark = rs_->Bookmark();
    if (s.SelectedRow < 0) {
      s.SelectedRow = 0;
      s.TopBookmark = s.SelectedBookmark;
      ShiftRowsDown();
      FillRow(0);
    } else {
      FillRow(s.SelectedRow);
    }
  } else {
    s.TopBookmark = s.SelectedBookmark;
    rs_->SetBookmark(s.SelectedBookmark);
  }
  HighlightRow(s.SelectedRow);
}

// From the row of bookmark, steps over up to eleven rows of the range
// (forward or back) and returns the bookmark of the row reached.
std::string frmztSearch::Impl::StepFrom(const std::string& bookmark, bool forward) {
  std::string reached = bookmark;
  rs_->SetBookmark(bookmark);
  for (int counter = 0; counter <= state_.LastRow && IsCurrentInRange(); ++counter) {
    reached = rs_->Bookmark();
    if (forward) {
      rs_->MoveNext();
    } else {
      rs_->MovePrevious();
    }
  }
  return reached;
}

// Finds the selection's grid row by walking at most a page from the top.
void frmztSearch::Impl::LocateSelection() {
  SearchState& s = state_;
  rs_->SetBookmark(s.TopBookmark);
  s.SelectedRow = 0;
  for (int counter = 0; counter <= s.LastRow && IsCurrentInRange(); ++counter) {
    s.ScanBookmark = rs_->Bookmark();
    if (s.ScanBookmark == s.SelectedBookmark) break;
    rs_->MoveNext();
    s.SelectedRow += 1;
  }
  assert(s.SelectedRow <= s.LastRow);
  if (s.SelectedRow > s.LastRow) s.SelectedRow = s.LastRow;
}

// The selection and the top each move back by eleven rows (one row of the old
// page stays in view), stopping at the range's first row.
void frmztSearch::Impl::PageUp() {
  SearchState& s = state_;
  UnhighlightRow(s.SelectedRow);
  if (!NamesRow(s.SelectedBookmark)) {
    rs_->SetBookmark(s.LastBookmark);
    s.SelectedRow -= 1;
    s.SelectedBookmark = s.LastBookmark;
  }
  s.SelectedBookmark = StepFrom(s.SelectedBookmark, false);
  s.TopBookmark = StepFrom(s.TopBookmark, false);
  LocateSelection();
  FillPage();
}

// The selection and the top each move on by eleven rows, stopping at the
// range's last row.
void frmztSearch::Impl::PageDown() {
  SearchState& s = state_;
  if (!NamesRow(s.SelectedBookmark)) return;
  UnhighlightRow(s.SelectedRow);
  s.SelectedBookmark = StepFrom(s.SelectedBookmark, true);
  s.TopBookmark = StepFrom(s.TopBookmark, true);
  LocateSelection();
  FillPage();
}

// The action strip chooses the highlighted row; on the "End of List" row it
// only gives the focus back to hsbMAIN.
void frmztSearch::Impl::cmdHKBACTION_Click() {
  if (NamesRow(state_.SelectedBookmark)) {
    CmdSelect_Click();
  } else {
    hsbMAIN.SetFocus();
  }
}

void frmztSearch::Impl::CmdSelect_Click() {
  strSelBookmark = state_.SelectedBookmark;
  owner.Unload();
}

void frmztSearch::Impl::CmdCancel_Click() {
  strSelBookmark = " ";
  owner.Unload();
}
