// ztDorvane's target job list page: drawing the four rows from the TJLIST
// recordset (with the job names from JOBLIST), the end and empty markers, the
// row colours, LoadTargetJobList, which shows the working list from its first
// record and names the list it belongs to, and ReloadWorkingList, which
// rebuilds the page around the highlighted record after a change, and the
// redraw from the nearest records left when another workstation has deleted
// a record the page names (the page notes the keys of the records it names,
// so as to find their neighbours). The page keeps bookmarks, never rows;
// every routine here moves at most a few records from a stored bookmark, so
// its cost does not grow with the list.
// The keys, the picture buttons and the row clicks are in ztDorvane_nav.cpp.
// Relies on the record store, ztMSAccess (null check), ztBasicSet (job
// numbers, text) and the Desktop.
#include <cassert>

#include "control/ztDorvane_impl.h"
#include "services/base/error_numbers.h"
#include "services/ztBasicSet.h"
#include "services/ztMSAccess.h"

// Draws the TJLIST record on which the recordset stands into the row, without
// moving it. Drawing sets CompanyNo and JobNoText, which the entry checks share.
void ztDorvane::Impl::FillRow(int16_t row) {
  assert(row >= 0 && row <= page.LastRowIndex);
  recordstore::Recordset& tjlist = Opened(conn.rsTJLIST, "TJLIST");
  lblCONO(row).SetCaption(ztMSAccess::FieldValue(tjlist, "CONO").ToString());
  lblJOBNO(row).SetCaption(ztMSAccess::FieldValue(tjlist, "JOBNO").ToString());
  std::vector<recordstore::Variant> key =
      JobListKey(lblCONO(row).Caption(), lblJOBNO(row).Caption());
  entry.CompanyNo = key[0].ToInteger();
  entry.JobNoText = key[1].ToString();
  recordstore::Recordset& joblist = Opened(conn.rsJOBLIST, "JOBLIST");
  joblist.SetIndex("JOBLIST");
  joblist.Seek("=", key);
  if (joblist.NoMatch()) {
    lblJOBNAME(row).SetCaption(ztBasicSet::RepeatText("?", 30));
  } else {
    lblJOBNAME(row).SetCaption(ztMSAccess::FieldValue(joblist, "JOBNAME").ToString());
  }
}

// The JOBLIST key of a record shown with these company and job captions.
std::vector<recordstore::Variant> ztDorvane::Impl::JobListKey(
    const std::string& conoCaption, const std::string& jobnoCaption) const {
  int16_t cono = recordstore::Variant::Double(recordstore::Val(conoCaption)).ToInteger();
  return {recordstore::Variant::Integer(cono),
          recordstore::Variant::String(ztBasicSet::FormatJobNumber(jobnoCaption, settings.JobNoType,
                                                                   settings.JobNoSize, false))};
}

// Where the store reads ahead (a server), names the JOBLIST seeks of the
// records from the list recordset's position on, so that the rows drawn next
// find their job names without a request each; the records of the next two
// pages are named too, as likely, so that a key that scrolls the list finds
// its new rows' names already read. The recordset is left where it was.
void ztDorvane::Impl::ExpectJobNames(int16_t rows) {
  constexpr int16_t kLikelyPages = 3;
  recordstore::Recordset& joblist = Opened(conn.rsJOBLIST, "JOBLIST");
  joblist.SetIndex("JOBLIST");
  if (!joblist.ReadsAhead()) return;
  recordstore::Recordset& tjlist = ListRecordset();
  const std::string start = tjlist.Bookmark();
  std::vector<std::vector<recordstore::Variant>> keys;
  for (int16_t i = 0; i < rows * kLikelyPages && HasCurrentRecord(); ++i) {
    keys.push_back(JobListKey(ztMSAccess::FieldValue(tjlist, "CONO").ToString(),
                              ztMSAccess::FieldValue(tjlist, "JOBNO").ToString()));
    tjlist.MoveNext();
  }
  tjlist.SetBookmark(start);
  joblist.ExpectSeeks(keys, static_cast<size_t>(rows));
}

// Blanks the three captions of the row.
void ztDorvane::Impl::ClearRow(int16_t row) {
  lblCONO(row).SetCaption(" ");
  lblJOBNO(row).SetCaption(" ");
  lblJOBNAME(row).SetCaption(" ");
}

// The end marker: the row after the last record.
void ztDorvane::Impl::ShowEndOfList(int16_t row) {
  ClearRow(row);
  lblJOBNAME(row).SetCaption("End of List");
}

// The marker of a list without records.
void ztDorvane::Impl::ShowListEmpty(int16_t row) {
  ClearRow(row);
  lblJOBNAME(row).SetCaption("List is Empty");
}

// Paints the row in the normal colour.
void ztDorvane::Impl::PaintRowNormal(int16_t row) {
  lblCONO(row).SetBackColor(colors.RowNormalColor);
  lblJOBNO(row).SetBackColor(colors.RowNormalColor);
  lblJOBNAME(row).SetBackColor(colors.RowNormalColor);
}

// Paints the row in the highlight colour.
void ztDorvane::Impl::PaintRowHighlight(int16_t row) {
  lblCONO(row).SetBackColor(colors.RowHighlightColor);
  lblJOBNO(row).SetBackColor(colors.RowHighlightColor);
  lblJOBNAME(row).SetBackColor(colors.RowHighlightColor);
}

// Copies the captions of rows 1 to 3 one row up (company, job number, job
// name, in that order); the colours stay.
void ztDorvane::Impl::ShiftRowsUp() {
  for (int16_t i = 1; i <= page.LastRowIndex; ++i) {
    lblCONO(i - 1).SetCaption(lblCONO(i).Caption());
    lblJOBNO(i - 1).SetCaption(lblJOBNO(i).Caption());
    lblJOBNAME(i - 1).SetCaption(lblJOBNAME(i).Caption());
  }
}

// Copies the captions of rows 2 down to 0 one row down; the colours stay.
void ztDorvane::Impl::ShiftRowsDown() {
  for (int16_t i = page.LastRowIndex; i >= 1; --i) {
    lblCONO(i).SetCaption(lblCONO(i - 1).Caption());
    lblJOBNO(i).SetCaption(lblJOBNO(i - 1).Caption());
    lblJOBNAME(i).SetCaption(lblJOBNAME(i - 1).Caption());
  }
}

// True when the TJLIST recordset stands on a record (not before the first,
// not after the last). This gives the answer of RecordMatchesKeys without
// keys, from the recordset's own position alone.
bool ztDorvane::Impl::HasCurrentRecord() {
  recordstore::Recordset& tjlist = Opened(conn.rsTJLIST, "TJLIST");
  try {
    if (tjlist.IsBOF() || tjlist.IsEOF()) return false;
    const std::string bookmark = tjlist.Bookmark();  // raises when on no record
    assert(bookmark != " ");
    return true;
  } catch (const base::RuntimeError&) {
    return false;  // no current record, or one deleted meanwhile
  }
}

// The TJLIST recordset that the page follows, in "TJLIST" order. A reopen of
// the connection (after a focus loss) replaces the recordset with one in no
// index, so every routine that steps through the list asks for it here.
recordstore::Recordset& ztDorvane::Impl::ListRecordset() {
  recordstore::Recordset& tjlist = Opened(conn.rsTJLIST, "TJLIST");
  tjlist.SetIndex("TJLIST");
  return tjlist;
}

// Moves TJLIST to its first record in the current index and tells whether
// there was one. Stands for the test RecordCount > 0 followed by MoveFirst:
// the same answer with one indexed step instead of a count of the table.
bool ztDorvane::Impl::MoveToFirstRecord() {
  if (!conn.rsTJLIST) RetryFailedOpen();  // a server that was down may be back
  if (!conn.rsTJLIST) return false;       // the connection never opened the list: nothing to show
  try {
    ListRecordset().MoveFirst();
  } catch (const base::RuntimeError& error) {
    if (error.Number() != base::error::kNoCurrentRecord) throw;
    return false;
  }
  return true;
}

// Redraws the four rows from TopBookmark on (the row after the last record
// reads "End of List", the rows below it are empty) and highlights CurrentRow.
void ztDorvane::Impl::ShowPage() {
  ListRows rows(*this);
  page.Draw(rows);
}

// Shows the working list from its first record and names it in lblTJLNAME.
// CurrentTJLTAG comes from the last record in "TJLIST" order, reached by one
// move instead of a walk through the list, and whether there is a record at
// all by one move instead of a count; a list the user has just picked
// (pickedTag) keeps its tag, whatever rows another workstation has put in the
// working table meanwhile, so that a later save never writes over a list the
// user did not choose. When the connection never opened the tables (its
// report has been shown), the page is left as it is.
void ztDorvane::Impl::LoadTargetJobList(std::optional<int32_t> pickedTag) {
  if (pickedTag) lists.CurrentTJLTAG = *pickedTag;
  EnsureConnection();
  if (!conn.rsTJLIST || !conn.rsJOBLIST || !conn.rsTJLGROUPS) return;
  for (int16_t i = 0; i <= page.LastRowIndex; ++i) {
    ClearRow(i);
    PaintRowNormal(i);
  }
  page.CurrentRow = 0;
  page.FirstBookmark = page.TopBookmark = page.CurrentBookmark = page.LastBookmark = " ";
  page.RowKeys.clear();
  recordstore::Recordset& tjlist = *conn.rsTJLIST;
  tjlist.SetIndex("TJLIST");
  if (!MoveToFirstRecord()) {
    ShowListEmpty(page.CurrentRow);
    PaintRowHighlight(page.CurrentRow);
  } else {
    try {
      page.FirstBookmark = page.TopBookmark = page.CurrentBookmark = PageMark();
      tjlist.MoveLast();
      page.LastBookmark = PageMark();
      if (!pickedTag) lists.CurrentTJLTAG = ztMSAccess::FieldValue(tjlist, "TJLTAG").ToLong();
      screen::GetDesktop().DoEvents();
      KeepPageInStep([this] { ShowPage(); }, false);
    } catch (const base::RuntimeError&) {
      // The page was not drawn (a failing disk): no record stays current that
      // the user has not been shown, so D, E and Enter cannot act on one.
      page.FirstBookmark = page.TopBookmark = page.CurrentBookmark = page.LastBookmark = " ";
      throw;
    }
  }
  if (lists.CurrentTJLTAG == 0) {
    lblTJLNAME.SetCaption("New List.");
    return;
  }
  recordstore::Recordset& groups = *conn.rsTJLGROUPS;
  groups.SetIndex("TJLGTJLTAG");
  groups.Seek("=", {recordstore::Variant::Long(lists.CurrentTJLTAG)});
  if (groups.NoMatch()) {
    lblTJLNAME.SetCaption("Cannot Find List Identifier in List Table");
  } else {
    lblTJLNAME.SetCaption(ztMSAccess::FieldValue(groups, "TJLNAME").ToString());
  }
}

// Rebuilds the page after TJLIST changed, keeping CurrentBookmark's record
// highlighted on CurrentRow where the list allows it (with too few records
// above it, it moves up). The TJLIST recordset is opened afresh. Any run-time
// error falls back to the list's first page.
void ztDorvane::Impl::ReloadWorkingList() {
  try {
    page.TopBookmark = page.FirstBookmark = page.LastBookmark = " ";
    // The new recordset is opened before the old one is closed, so that when
    // the open fails (a failing disk) the fallback still has a recordset.
    std::shared_ptr<recordstore::Recordset> reopened = conn.dbMAIN->OpenRecordset("TJLIST", 1);
    Opened(conn.rsTJLIST, "TJLIST").Close();
    conn.rsTJLIST = reopened;
    recordstore::Recordset& tjlist = *conn.rsTJLIST;
    tjlist.SetIndex("TJLIST");
    if (MoveToFirstRecord()) {
      page.FirstBookmark = PageMark();
      tjlist.MoveLast();
      page.LastBookmark = PageMark();
      page.TopBookmark = page.CurrentBookmark;
      int16_t countdown = 0;
      if (ztBasicSet::IsNotBlank(page.CurrentBookmark)) {
        countdown = page.CurrentRow;
        tjlist.SetBookmark(page.CurrentBookmark);
        PageMark();  // notes the keys of the record to keep highlighted
      } else {
        countdown = static_cast<int16_t>(page.CurrentRow - 1);
        tjlist.SetBookmark(page.LastBookmark);
      }
      // Walk back over the rows above the highlighted one.
      while (HasCurrentRecord() && countdown >= 0) {
        page.TopBookmark = PageMark();
        --countdown;
        tjlist.MovePrevious();
      }
      if (countdown >= 0) page.CurrentRow = static_cast<int16_t>(page.CurrentRow - (countdown + 1));
    }
    if (ztBasicSet::IsBlank(page.FirstBookmark)) {
      page.CurrentRow = 0;
      page.CurrentBookmark = " ";
      for (int16_t i = 0; i <= page.LastRowIndex; ++i) ClearRow(i);
      ShowListEmpty(0);
      PaintRowHighlight(0);
    } else {
      ShowPage();
    }
  } catch (const base::RuntimeError&) {
    ReloadFallback();
  }
}

// The rebuild's fallback: when the page is on show, it starts again from the
// list's first record, highlighted in row 0, and the keyboard returns to the
// list.
void ztDorvane::Impl::ReloadFallback() {
  if (!lblCONO(0).Visible()) return;
  if (MoveToFirstRecord()) {
    page.TopBookmark = page.CurrentBookmark = PageMark();
  } else {
    page.TopBookmark = page.CurrentBookmark = " ";
  }
  page.CurrentRow = 0;
  ShowPage();
  hsbMAIN.SetFocus();
}

// --- Another workstation's deletions ---

// The bookmark of the TJLIST record on which the recordset stands, taken for
// the page's position. The record's keys are noted with it (the row is in
// memory, so this costs no read); the notes of bookmarks the page no longer
// names are dropped once there are a few.
std::string ztDorvane::Impl::PageMark() {
  constexpr size_t kNotesKept = 16;
  recordstore::Recordset& tjlist = Opened(conn.rsTJLIST, "TJLIST");
  std::string bookmark = tjlist.Bookmark();
  if (page.RowKeys.size() >= kNotesKept) {
    std::erase_if(page.RowKeys, [this](const auto& note) {
      const std::string& named = note.first;
      return named != page.TopBookmark && named != page.CurrentBookmark &&
             named != page.FirstBookmark && named != page.LastBookmark;
    });
  }
  page.RowKeys[bookmark] = {ztMSAccess::FieldValue(tjlist, "CONO"),
                            ztMSAccess::FieldValue(tjlist, "JOBNO")};
  return bookmark;
}

// The record nearest to the bookmark's that TJLIST still holds: that record
// itself, else the first one at or after its keys in "TJLIST" order (the one
// after it, or one equal to it), else the last record (the one before it);
// " " for a blank bookmark or an empty list. A deleted record whose keys were
// never noted gives the first record.
std::string ztDorvane::Impl::Survivor(const std::string& bookmark) {
  if (ztBasicSet::IsBlank(bookmark)) return " ";
  recordstore::Recordset& tjlist = ListRecordset();
  try {
    tjlist.SetBookmark(bookmark);
    return bookmark;
  } catch (const base::RuntimeError& error) {
    if (error.Number() != base::error::kRecordDeleted) throw;
  }
  const auto noted = page.RowKeys.find(bookmark);
  if (noted == page.RowKeys.end()) return MoveToFirstRecord() ? PageMark() : " ";
  tjlist.Seek(">=", noted->second);
  if (!tjlist.NoMatch()) return PageMark();
  try {
    tjlist.MoveLast();
  } catch (const base::RuntimeError& error) {
    if (error.Number() != base::error::kNoCurrentRecord) throw;
    return " ";  // the list is empty now
  }
  return PageMark();
}

// Draws the page again after another workstation deleted a record it names:
// the highlight goes to the nearest record left, on the same row where the
// list allows it, as after a Delete made here; on the end marker it stays
// there. An empty list shows "List is Empty".
void ztDorvane::Impl::RedrawFromSurvivors() {
  page.CurrentBookmark = Survivor(page.CurrentBookmark);
  for (int16_t i = 0; i <= page.LastRowIndex; ++i) PaintRowNormal(i);
  ReloadWorkingList();
}

// Runs one step of the page (a key, a click, an add's choice of row). When it
// meets a record that another workstation has deleted, the step's own changes
// of the position are dropped, the page is drawn again from the nearest
// records left and, when `again`, the step runs once more from there; so a
// stale page never makes a key fail twice.
void ztDorvane::Impl::KeepPageInStep(const std::function<void()>& step, bool again) {
  const PageState before = page;
  try {
    step();
    return;
  } catch (const base::RuntimeError& error) {
    if (error.Number() != base::error::kRecordDeleted) throw;
  }
  page = before;
  RedrawFromSurvivors();
  if (again) step();
}
