// ztDorvane's list navigation: the key dispatcher reached through the
// control's key preview, the moves of the highlight (one row and a page by
// the shared bookmark pager, the two ends of the list), the five picture
// buttons and the clicks on the row labels. The page is followed through
// bookmarks: each move sets the TJLIST recordset on a stored bookmark and
// steps at most four records from it, so a key costs the same on a list of
// ten records as on one of a million.
// Relies on the page drawing of ztDorvane_page.cpp, the entry editing of
// ztDorvane_entry.cpp, the record store and ztBasicSet (blank tests).
#include <cassert>

#include "control/ztDorvane_impl.h"
#include "services/ztBasicSet.h"

using ztBasicSet::IsBlank;
using ztBasicSet::IsNotBlank;

// Binds the picture buttons and the clicks of the three row arrays.
void ztDorvane::Impl::WirePage() {
  cmdHKBPGUP.Click = [this] { cmdHKBPGUP_Click(); };
  cmdHKBPGDN.Click = [this] { cmdHKBPGDN_Click(); };
  cmdHKBUPARROW.Click = [this] { cmdHKBUPARROW_Click(); };
  cmdHKBDNARROW.Click = [this] { cmdHKBDNARROW_Click(); };
  cmdHKBACTION.Click = [this] { cmdHKBACTION_Click(); };
  lblCONO.SetClick([this](int index) { lblCONO_Click(static_cast<int16_t>(index)); });
  lblJOBNO.SetClick([this](int index) { lblJOBNO_Click(static_cast<int16_t>(index)); });
  lblJOBNAME.SetClick([this](int index) { lblJOBNAME_Click(static_cast<int16_t>(index)); });
}

// Moves the highlight for a navigation key: Down, Up, Home, End, Page Down or
// Page Up (other codes do nothing). On an empty list nothing moves. A page
// that another workstation has changed under the highlight is drawn again
// from the records left, and the key then moves from there.
void ztDorvane::Impl::MoveInList(int16_t keyCode) {
  if (!MoveToFirstRecord()) return;
  KeepPageInStep([this, keyCode] { MoveOnPage(keyCode); }, true);
}

// The move of one navigation key on a list that has records. Home and End go
// to the list's ends as the table has them now.
void ztDorvane::Impl::MoveOnPage(int16_t keyCode) {
  recordstore::Recordset& tjlist = ListRecordset();
  switch (keyCode) {
    case screen::kKeyDown:
    case screen::kKeyUp: {
      ListRows rows(*this);
      keyCode == screen::kKeyDown ? page.MoveDown(rows) : page.MoveUp(rows);
      break;
    }
    case screen::kKeyHome:
    case screen::kKeyEnd:
      if (keyCode == screen::kKeyHome) {
        tjlist.MoveFirst();
      } else {
        tjlist.MoveLast();
      }
      page.TopBookmark = PageMark();
      (keyCode == screen::kKeyHome ? page.FirstBookmark : page.LastBookmark) = page.TopBookmark;
      page.CurrentBookmark = page.TopBookmark;
      page.CurrentRow = 0;
      ShowPage();
      break;
    case screen::kKeyPageDown:
      MovePage(true);
      break;
    case screen::kKeyPageUp:
      MovePage(false);
      break;
    default:
      break;
  }
}

// Page Down (forward) or Page Up: the highlighted record and the top record
// both move three records, each stopping at the end of the list, and the page
// is drawn again. Page Down does nothing on the end marker; Page Up starts
// from the last record there.
void ztDorvane::Impl::MovePage(bool forward) {
  if (IsBlank(page.CurrentBookmark)) {
    if (forward) return;
    page.CurrentBookmark = page.LastBookmark;
  }
  PaintRowNormal(page.CurrentRow);
  ListRows rows(*this);
  page.CurrentBookmark = page.Walk(rows, page.CurrentBookmark, forward);
  page.TopBookmark = page.Walk(rows, page.TopBookmark, forward);
  FindCurrentRow();
  ShowPage();
}

// Sets CurrentRow to the row of the page (from TopBookmark on) that shows
// CurrentBookmark's record. Both page walks cover the same records, so it is
// always on the page; should another program have changed the list between
// two moves so that it is not, the page starts at the highlighted record.
void ztDorvane::Impl::FindCurrentRow() {
  recordstore::Recordset& tjlist = ListRecordset();
  tjlist.SetBookmark(page.TopBookmark);
  page.CurrentRow = 0;
  bool found = false;
  while (HasCurrentRecord() && page.CurrentRow <= page.LastRowIndex) {
    if (tjlist.Bookmark() == page.CurrentBookmark) {
      found = true;
      break;
    }
    tjlist.MoveNext();
    ++page.CurrentRow;
  }
  if (!found) {
    page.TopBookmark = page.CurrentBookmark;
    page.CurrentRow = 0;
  }
  assert(page.CurrentRow >= 0 && page.CurrentRow <= page.LastRowIndex);
}

// The list's key dispatcher, reached through the key preview outside the edit
// modes and by the picture buttons. Shift is ignored; the key is not consumed.
void ztDorvane::Impl::HandleListKey(int16_t keyCode, int16_t shift) {
  (void)shift;
  if (const int16_t move = paging::PageMoveOf(keyCode)) {
    MoveInList(move);
    return;
  }
  switch (keyCode) {
    case screen::kKeyReturn:
      if (IsBlank(page.CurrentBookmark)) {
        CmdAdd_Click();
      } else {
        CmdEdit_Click();
      }
      break;
    case screen::kKeyDelete:
      if (IsNotBlank(page.CurrentBookmark)) CmdDelete_Click();
      break;
    case 'A':
      CmdAdd_Click();
      break;
    case 'E':
      CmdEdit_Click();
      break;
    case 'D':
      CmdDelete_Click();
      break;
    case 'X':
      CmdCancel_Click();
      break;
    default:
      break;
  }
}

// The picture buttons act only while no row is being edited; the four moves
// give the keyboard back to the list.
void ztDorvane::Impl::cmdHKBPGUP_Click() {
  if (entry.EntryMode != RowEdit::None) return;
  HandleListKey(screen::kKeyPageUp, 0);
  hsbMAIN.SetFocus();
}

void ztDorvane::Impl::cmdHKBPGDN_Click() {
  if (entry.EntryMode != RowEdit::None) return;
  HandleListKey(screen::kKeyPageDown, 0);
  hsbMAIN.SetFocus();
}

void ztDorvane::Impl::cmdHKBUPARROW_Click() {
  if (entry.EntryMode != RowEdit::None) return;
  HandleListKey(screen::kKeyUp, 0);
  hsbMAIN.SetFocus();
}

void ztDorvane::Impl::cmdHKBDNARROW_Click() {
  if (entry.EntryMode != RowEdit::None) return;
  HandleListKey(screen::kKeyDown, 0);
  hsbMAIN.SetFocus();
}

// The action button edits the highlighted record, or adds on the end marker.
void ztDorvane::Impl::cmdHKBACTION_Click() {
  if (entry.EntryMode != RowEdit::None) return;
  if (IsNotBlank(page.CurrentBookmark)) {
    CmdEdit_Click();
  } else {
    CmdAdd_Click();
  }
}

// A click on the company or job name column: an edit it starts focuses the
// company box. Clicks do nothing while a row is being edited.
void ztDorvane::Impl::lblCONO_Click(int16_t index) {
  if (entry.EntryMode != RowEdit::None) return;
  entry.FocusColumn = EntryBox::Company;
  RowClick(index);
}

void ztDorvane::Impl::lblJOBNAME_Click(int16_t index) {
  if (entry.EntryMode != RowEdit::None) return;
  entry.FocusColumn = EntryBox::Company;
  RowClick(index);
}

// A click on the job number column: an edit it starts focuses the job box.
void ztDorvane::Impl::lblJOBNO_Click(int16_t index) {
  if (entry.EntryMode != RowEdit::None) return;
  entry.FocusColumn = EntryBox::Job;
  RowClick(index);
}

// A click on a row: on a record row other than the highlighted one the
// highlight moves there; on the highlighted record an edit starts. A marker
// or empty row only gives the keyboard back to the list. In every case the
// scroll bar ends up with the focus, so an edit started here has its box
// checked at once as the focus leaves it. A click on a page that another
// workstation has changed draws the page again and moves no highlight: the
// row clicked may show another record now.
void ztDorvane::Impl::RowClick(int16_t row) {
  if (IsBlank(lblCONO(row).Caption())) {
    hsbMAIN.SetFocus();
    return;
  }
  if (row != page.CurrentRow) {
    KeepPageInStep(
        [this, row] {
          recordstore::Recordset& tjlist = ListRecordset();
          PaintRowNormal(page.CurrentRow);
          page.CurrentRow = row;
          PaintRowHighlight(row);
          tjlist.SetBookmark(page.TopBookmark);
          for (int16_t rowCounter = 0; HasCurrentRecord(); ++rowCounter) {
            page.CurrentBookmark = PageMark();
            if (rowCounter == page.CurrentRow) break;
            tjlist.MoveNext();
          }
        },
        false);
  } else if (IsBlank(page.CurrentBookmark)) {
    CmdAdd_Click();
  } else {
    CmdEdit_Click();
  }
  hsbMAIN.SetVisible(true);
  hsbMAIN.SetFocus();
}
