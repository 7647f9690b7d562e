// The shared bookmark pager: the key mapping of the pages and the moves that
// both pages make alike. Relies on the owner's PageRows, the toolkit's key
// codes and ztBasicSet (blank tests).
#include "services/bookmark_pager.h"

#include "services/screen/keys.h"
#include "services/ztBasicSet.h"

namespace paging {

using ztBasicSet::IsBlank;
using ztBasicSet::IsNotBlank;

int16_t PageMoveOf(int16_t keyCode) {
  switch (keyCode) {
    case screen::kKeyDown:
    case screen::kKeyRight:
      return screen::kKeyDown;
    case screen::kKeyUp:
    case screen::kKeyLeft:
      return screen::kKeyUp;
    case screen::kKeyPageDown:
    case screen::kKeyPageUp:
    case screen::kKeyHome:
    case screen::kKeyEnd:
      return keyCode;
    default:
      return 0;
  }
}

void BookmarkPage::MoveDown(PageRows& rows) {
  if (IsBlank(CurrentBookmark)) return;  // already on the end marker
  rows.Paint(CurrentRow, false);
  rows.Go(CurrentBookmark);
  rows.Step(true);
  const bool onRow = rows.OnRow();
  CurrentRow = static_cast<int16_t>(CurrentRow + 1);
  CurrentBookmark = onRow ? rows.Mark() : " ";
  if (CurrentRow > LastRowIndex) {
    CurrentRow = LastRowIndex;
    rows.Go(TopBookmark);
    rows.Step(true);
    TopBookmark = rows.Mark();
    rows.ShiftUp();
    if (onRow) rows.Go(CurrentBookmark);
  }
  if (onRow) {
    rows.Fill(CurrentRow);
  } else {
    rows.ShowEnd(CurrentRow);
  }
  rows.Paint(CurrentRow, true);
}

void BookmarkPage::MoveUp(PageRows& rows) {
  if (IsBlank(CurrentBookmark)) {
    CurrentBookmark = LastBookmark;
    rows.Paint(CurrentRow, false);
    CurrentRow = static_cast<int16_t>(CurrentRow - 1);
    if (CurrentRow < 0) {
      // The end marker stood in grid row 0: the last row becomes the top row.
      CurrentRow = 0;
      TopBookmark = LastBookmark;
      Draw(rows);
    } else {
      rows.Paint(CurrentRow, true);  // the end marker stays drawn below
    }
    return;
  }
  rows.Paint(CurrentRow, false);
  rows.Go(CurrentBookmark);
  rows.Step(false);
  if (rows.OnRow()) {
    CurrentRow = static_cast<int16_t>(CurrentRow - 1);
    CurrentBookmark = rows.Mark();
    if (CurrentRow < 0) {
      CurrentRow = 0;
      TopBookmark = CurrentBookmark;
      rows.ShiftDown();
      rows.Fill(0);
    } else {
      rows.Fill(CurrentRow);
    }
  } else {
    TopBookmark = CurrentBookmark;
    rows.Go(CurrentBookmark);
  }
  rows.Paint(CurrentRow, true);
}

std::string BookmarkPage::Walk(PageRows& rows, const std::string& from, bool forward) {
  std::string reached = from;
  rows.Go(from);
  for (int16_t counter = 0; counter <= LastRowIndex && rows.OnRow(); ++counter) {
    reached = rows.Mark();
    rows.Step(forward);
  }
  return reached;
}

void BookmarkPage::Draw(PageRows& rows) {
  const bool fromTop = IsNotBlank(TopBookmark);
  if (fromTop) {
    rows.Go(TopBookmark);
    rows.BeforeDraw();
  }
  bool endPending = true;
  for (int16_t row = 0; row <= LastRowIndex; ++row) {
    if (!fromTop) {
      rows.Clear(row);
      if (row == 0) rows.ShowEnd(0);
    } else if (rows.OnRow()) {
      rows.Fill(row);
      rows.Step(true);
    } else if (endPending) {
      rows.ShowEnd(row);
      endPending = false;
    } else {
      rows.Clear(row);
    }
    rows.Paint(row, false);
  }
  rows.Paint(CurrentRow, true);
}

}  // namespace paging
