// The bookmark pager shared by the control's list page (four rows) and the
// search dialog's grid (twelve rows). A page never holds rows: it keeps the
// bookmarks of the list's first and last rows, of the row drawn at the top and
// of the highlighted row (" " for the end marker below the last row), and the
// highlighted grid row. Its moves step the recordset from those bookmarks, so
// a key costs a few row reads whatever the size of the list. What a row is and
// how it is drawn is the owner's: it answers through PageRows.
// Relies on nothing but the standard library.
#pragma once

#include <cstdint>
#include <string>

namespace paging {

// The move a navigation key asks of a page: Right moves as Down and Left as
// Up; Down, Up, Page Down, Page Up, Home and End move as themselves; any other
// key gives 0 (no move).
int16_t PageMoveOf(int16_t keyCode);

// What the pager asks of the owner of the rows: the recordset it walks and
// the grid rows it draws.
class PageRows {
 public:
  // True when the recordset stands on a row of the list (or the range).
  virtual bool OnRow() = 0;
  // The bookmark of that row.
  virtual std::string Mark() = 0;
  // Puts the recordset on a bookmark's row; one row forward or back.
  virtual void Go(const std::string& bookmark) = 0;
  virtual void Step(bool forward) = 0;
  // Draws the recordset's row, the end marker or nothing in a grid row.
  virtual void Fill(int16_t row) = 0;
  virtual void ShowEnd(int16_t row) = 0;
  virtual void Clear(int16_t row) = 0;
  // Paints a grid row highlighted or plain.
  virtual void Paint(int16_t row, bool highlighted) = 0;
  // Moves every caption one grid row up (down); the colours stay.
  virtual void ShiftUp() = 0;
  virtual void ShiftDown() = 0;
  // Called once the recordset stands on the top row of a page about to be
  // drawn: a chance to read the next rows ahead.
  virtual void BeforeDraw() {}

 protected:
  ~PageRows() = default;
};

// The state of a page and its moves. Bookmarks are " " when they name no row.
struct BookmarkPage {
  std::string TopBookmark = " ";
  std::string CurrentBookmark = " ";
  std::string FirstBookmark = " ";
  std::string LastBookmark = " ";
  int16_t CurrentRow = 0;
  int16_t LastRowIndex = 0;  // the page's last grid row

  // One row down: from the last row onto the end marker, never beyond it;
  // past the last grid row the page scrolls one row and only the new bottom
  // row is drawn.
  void MoveDown(PageRows& rows);
  // One row up: from the end marker onto the last row, from a row onto the
  // one before it (scrolling the page down one row above grid row 0). Up on
  // the first row highlights it again and changes nothing else.
  void MoveUp(PageRows& rows);
  // The bookmark reached from `from` by stepping over up to LastRowIndex + 1
  // rows forward (back): the last (first) row when fewer follow (precede).
  std::string Walk(PageRows& rows, const std::string& from, bool forward);
  // Draws the page from TopBookmark down (the end marker after the last row,
  // blank grid rows below it) and highlights CurrentRow.
  void Draw(PageRows& rows);
};

}  // namespace paging
