// ztDorvane's entry editing: adding, editing and deleting rows of the working
// list in place (the edit mode that lays the entry controls over one list row
// is ztDorvane_editmode.cpp's), the checks of the two boxes against COLIST and
// JOBLIST (reported in the job name label and by colour), the company and job
// searches, and the end of a row edit by cmdUpdate or CmdCancel. A row reaches
// TJLIST only through cmdUpdate, and only when the checks passed.
// Relies on the page of ztDorvane_page.cpp (rows, bookmarks, the rebuild), the
// record store, ztBasicSet (text, job numbers, keystrokes), ztMSAccess (null
// check, neighbour search) and the search launchers of ztLOOKUP.
#include <cassert>

#include "control/ztDorvane_impl.h"
#include "search/ztLOOKUP_search.h"
#include "services/base/error_numbers.h"
#include "services/ztBasicSet.h"
#include "services/ztMSAccess.h"

using ztBasicSet::IsBlank;
using ztBasicSet::IsNotBlank;

namespace {

// The numeric value of a typed text (leading blanks skipped, no digits give 0)
// rounded to a 16-bit whole number, half to even.
int16_t WholeNumberOf(const std::string& text) {
  return recordstore::Variant::Double(recordstore::Val(text)).ToInteger();
}

// True when the text holds "?" or "/" anywhere: a search request, typed or
// left by a cancelled search, which the checks pass over.
bool HoldsSearchMark(const std::string& text) {
  return text.find_first_of("?/") != std::string::npos;
}

}  // namespace

// Binds the list buttons, the search buttons and the events of the two entry
// boxes.
void ztDorvane::Impl::WireEntry() {
  CmdAdd.Click = [this] { CmdAdd_Click(); };
  CmdEdit.Click = [this] { CmdEdit_Click(); };
  CmdDelete.Click = [this] { CmdDelete_Click(); };
  btnCOSearch.Click = [this] { btnCOSearch_Click(); };
  btnJOBSearch.Click = [this] { btnJOBSearch_Click(); };
  txtCONO.GotFocus = [this] { txtCONO_GotFocus(); };
  txtCONO.LostFocus = [this] { txtCONO_LostFocus(); };
  txtCONO.Change = [this] { txtCONO_Change(); };
  txtCONO.KeyPress = [this](int16_t& keyAscii) { txtCONO_KeyPress(keyAscii); };
  txtJOBNO.GotFocus = [this] { txtJOBNO_GotFocus(); };
  txtJOBNO.LostFocus = [this] { txtJOBNO_LostFocus(); };
  txtJOBNO.Change = [this] { txtJOBNO_Change(); };
  txtJOBNO.KeyPress = [this](int16_t& keyAscii) { txtJOBNO_KeyPress(keyAscii); };
}

// --- Starting and ending an edit ---

// Starts adding a row: blank boxes, the row after the records on the page
// (scrolling a full page one record), the edit mode with the company box
// focused. The row is chosen first, so that when it cannot be (the list
// cannot be read) no edit mode is left on with its boxes hidden; a page that
// another workstation has changed is drawn again before the row is chosen.
void ztDorvane::Impl::CmdAdd_Click() {
  KeepPageInStep([this] { PrepareAddRow(); }, true);
  entry.EntryValid = true;
  txtCONO.SetText(std::string(2, ' '));
  lblDJOBNAME.SetCaption(std::string(50, ' '));
  txtJOBNO.SetText(ztBasicSet::RepeatText(" ", settings.JobNoSize));
  entry.JobNoText = ztBasicSet::RepeatText(" ", settings.JobNoSize);
  entry.EntryMode = RowEdit::Adding;
  entry.FocusColumn = EntryBox::Company;
  entry.EntryRowTop = static_cast<float>(lblCONO(entry.EntryRow).Top());
  BeginEditMode();
}

// Chooses EntryRow, the row over which a new entry is typed: the end marker's
// row. When four records fill the page, the page scrolls one record and the
// entry goes over row 3, marked "End of List" meanwhile.
void ztDorvane::Impl::PrepareAddRow() {
  if (IsBlank(page.CurrentBookmark)) {
    entry.EntryRow = page.CurrentRow;
    return;
  }
  recordstore::Recordset& tjlist = ListRecordset();
  entry.EntryRow = 0;
  if (IsNotBlank(page.TopBookmark)) {
    tjlist.SetBookmark(page.TopBookmark);
    while (entry.EntryRow <= page.LastRowIndex && HasCurrentRecord()) {
      tjlist.MoveNext();
      entry.EntryRow = static_cast<int16_t>(entry.EntryRow + 1);
    }
  }
  if (entry.EntryRow > page.LastRowIndex) {
    entry.EntryRow = page.LastRowIndex;
    ShiftRowsUp();
    ShowEndOfList(page.LastRowIndex);
    tjlist.SetBookmark(page.TopBookmark);
    tjlist.MoveNext();
    page.TopBookmark = PageMark();
    // The highlight's row index stays: it now names the record shifted into it.
    tjlist.SetBookmark(page.CurrentBookmark);
    tjlist.MoveNext();
    page.CurrentBookmark = HasCurrentRecord() ? PageMark() : " ";
  }
}

// Starts editing the highlighted record: its company and job in the boxes,
// its job name (or thirty "?" when the job is gone) in the label. The end
// marker cannot be edited. FocusColumn says which box gets the focus. When
// another workstation has deleted the record, the edit cannot start: the page
// is drawn again from the records left and the deletion is reported.
void ztDorvane::Impl::CmdEdit_Click() {
  entry.EntryValid = true;
  if (IsBlank(page.CurrentBookmark)) {
    hsbMAIN.SetFocus();
    return;
  }
  recordstore::Recordset& tjlist = Opened(conn.rsTJLIST, "TJLIST");
  try {
    tjlist.SetBookmark(page.CurrentBookmark);
  } catch (const base::RuntimeError& error) {
    if (error.Number() == base::error::kRecordDeleted) RedrawFromSurvivors();
    throw;
  }
  txtCONO.SetText(ztMSAccess::FieldValue(tjlist, "CONO").ToString());
  entry.JobNoText = ztBasicSet::FormatJobNumber(ztMSAccess::FieldValue(tjlist, "JOBNO").ToString(),
                                                settings.JobNoType, settings.JobNoSize, false);
  txtJOBNO.SetText(entry.JobNoText);
  entry.CompanyNo = WholeNumberOf(txtCONO.Text());
  recordstore::Recordset& joblist = Opened(conn.rsJOBLIST, "JOBLIST");
  joblist.SetIndex("JOBLIST");
  joblist.Seek("=", {recordstore::Variant::Integer(entry.CompanyNo),
                     recordstore::Variant::String(entry.JobNoText)});
  if (joblist.NoMatch()) {
    lblDJOBNAME.SetCaption(ztBasicSet::RepeatText("?", 30));
  } else {
    lblDJOBNAME.SetCaption(ztMSAccess::FieldValue(joblist, "JOBNAME").ToString());
  }
  entry.EntryRowTop = static_cast<float>(lblCONO(page.CurrentRow).Top());
  entry.EntryMode = RowEdit::Editing;
  BeginEditMode();
}

// Deletes the highlighted record without a question; the record after it (or
// before it, at the end of the list) takes the highlight. When another
// program has removed the record first there is nothing left to delete: the
// nearest record left takes the highlight all the same.
void ztDorvane::Impl::CmdDelete_Click() {
  if (IsBlank(page.CurrentBookmark)) {
    hsbMAIN.SetFocus();
    return;
  }
  recordstore::Recordset& tjlist = ListRecordset();
  try {
    const std::string neighbour = ztMSAccess::FindAdjacentMatch(tjlist, page.CurrentBookmark, {});
    tjlist.SetBookmark(page.CurrentBookmark);
    tjlist.Delete();
    ++lists.ListVersion;
    page.CurrentBookmark = neighbour;
  } catch (const base::RuntimeError& error) {
    if (error.Number() != base::error::kRecordDeleted) throw;
    page.CurrentBookmark = Survivor(page.CurrentBookmark);
  }
  ReloadWorkingList();
  hsbMAIN.SetFocus();
}

// --- Ending a row edit ---

// cmdUpdate for a list row: writes the entry to TJLIST when the checks passed
// (a new record for an add, the highlighted one for an edit) and rebuilds the
// page with the written record highlighted.
void ztDorvane::Impl::RowEditUpdate() {
  if (!entry.EntryValid) return;
  if (entry.EntryMode == RowEdit::None) return;  // no row edit in progress: nothing to write
  recordstore::Recordset& tjlist = Opened(conn.rsTJLIST, "TJLIST");
  if (entry.EntryMode == RowEdit::Adding) {
    tjlist.AddNew();
  } else {
    tjlist.SetBookmark(page.CurrentBookmark);
    tjlist.Edit();
  }
  tjlist.Fields("CONO").SetValue(recordstore::Variant::Integer(entry.CompanyNo));
  tjlist.Fields("JOBNO").SetValue(recordstore::Variant::String(entry.JobNoText));
  tjlist.Update();
  ++lists.ListVersion;
  page.CurrentBookmark = tjlist.LastModified();
  tjlist.SetIndex("TJLIST");
  if (entry.EntryMode == RowEdit::Adding) page.CurrentRow = entry.EntryRow;
  EndEditMode();
  ReloadWorkingList();
}

// CmdCancel for a list row: nothing is written and the rows are not redrawn.
void ztDorvane::Impl::RowEditCancel() {
  if (entry.EntryMode == RowEdit::None) return;
  EndEditMode();
  PaintRowHighlight(page.CurrentRow);
}

// --- The entry boxes ---

void ztDorvane::Impl::txtCONO_GotFocus() { ztBasicSet::SelectAllText(txtCONO); }
void ztDorvane::Impl::txtJOBNO_GotFocus() { ztBasicSet::SelectAllText(txtJOBNO); }

// Enter moves on to the next box or button, as a Tab; nothing is upper-cased.
void ztDorvane::Impl::txtCONO_KeyPress(int16_t& keyAscii) {
  keyAscii = ztBasicSet::TranslateKeyPress(keyAscii, false);
}

void ztDorvane::Impl::txtJOBNO_KeyPress(int16_t& keyAscii) {
  keyAscii = ztBasicSet::TranslateKeyPress(keyAscii, false);
}

// A "/" or "?" typed as the first character opens the search at once.
void ztDorvane::Impl::txtCONO_Change() {
  if (ztBasicSet::IsSearchRequest(txtCONO.Text(), conn.ConnectionReady)) SearchCompany();
}

void ztDorvane::Impl::txtJOBNO_Change() {
  if (ztBasicSet::IsSearchRequest(txtJOBNO.Text(), conn.ConnectionReady)) SearchJob();
}

// Leaving a shown box checks it, unless it holds a search request.
void ztDorvane::Impl::txtCONO_LostFocus() {
  if (txtCONO.Visible() && !ztBasicSet::IsSearchRequest(txtCONO.Text(), conn.ConnectionReady)) {
    ValidateCompanyNumber();
  }
}

void ztDorvane::Impl::txtJOBNO_LostFocus() {
  if (txtJOBNO.Visible() && !ztBasicSet::IsSearchRequest(txtJOBNO.Text(), conn.ConnectionReady)) {
    ValidateJobNumber();
  }
}

void ztDorvane::Impl::btnCOSearch_Click() { SearchCompany(); }
void ztDorvane::Impl::btnJOBSearch_Click() { SearchJob(); }

// --- Searches ---

// Opens the company search; a chosen company goes into the box right-aligned
// in two characters. The box keeps the focus, its text selected; after a
// cancelled search it keeps what it had.
void ztDorvane::Impl::SearchCompany() {
  const std::string searchBookmarkText = ztLOOKUP::SearchCompanyNumbers(settings.PathText);
  if (IsNotBlank(searchBookmarkText)) {
    recordstore::Recordset& colist = Opened(conn.rsCOLIST, "COLIST");
    colist.SetBookmark(searchBookmarkText);
    entry.CompanyNo = ztMSAccess::FieldValue(colist, "CONO").ToInteger();
    txtCONO.SetText(ztBasicSet::RightAlignInteger(entry.CompanyNo, 2));
  }
  txtCONO.SetFocus();
  ztBasicSet::SelectAllText(txtCONO);
}

// Opens the search of CompanyNo's jobs; a chosen job goes into the box in its
// stored form, with its name in the label.
void ztDorvane::Impl::SearchJob() {
  const std::string searchBookmarkText =
      ztLOOKUP::SearchJobNumbers(settings.PathText, entry.CompanyNo);
  if (IsNotBlank(searchBookmarkText)) {
    recordstore::Recordset& joblist = Opened(conn.rsJOBLIST, "JOBLIST");
    joblist.SetBookmark(searchBookmarkText);
    entry.JobNoText =
        ztBasicSet::FormatJobNumber(ztMSAccess::FieldValue(joblist, "JOBNO").ToString(),
                                    settings.JobNoType, settings.JobNoSize, false);
    txtJOBNO.SetText(entry.JobNoText);
    lblDJOBNAME.SetCaption(ztMSAccess::FieldValue(joblist, "JOBNAME").ToString());
  }
  txtJOBNO.SetFocus();
  ztBasicSet::SelectAllText(txtJOBNO);
}

// --- Checks ---

// Paints a box and the job name label that reports on it.
void ztDorvane::Impl::PaintEntry(screen::Control& box, uint32_t colour) {
  lblDJOBNAME.SetBackColor(colour);
  box.SetBackColor(colour);
}

// Checks the company box against COLIST. A missing or zero company blanks the
// job and refuses the entry; an unknown one is shown in red but, alone, does
// not refuse it (the job check that follows fails for it).
void ztDorvane::Impl::ValidateCompanyNumber() {
  EnsureConnection();
  entry.EntryValid = true;
  if (HoldsSearchMark(txtCONO.Text())) return;
  entry.CompanyNo = WholeNumberOf(txtCONO.Text());
  if (entry.CompanyNo == 0) {
    entry.JobNoText = ztBasicSet::RepeatText(" ", settings.JobNoSize);
    txtJOBNO.SetText(entry.JobNoText);
    entry.EntryValid = false;
    lblDJOBNAME.SetCaption("Company Number has not been Selected.");
    PaintEntry(txtCONO, colors.ErrorColor);
    return;
  }
  recordstore::Recordset& colist = Opened(conn.rsCOLIST, "COLIST");
  colist.SetIndex("CONO");
  colist.Seek("=", {recordstore::Variant::Integer(entry.CompanyNo)});
  if (colist.NoMatch()) {
    lblDJOBNAME.SetCaption("Cannot Find Company Number.");
    PaintEntry(txtCONO, colors.ErrorColor);
  } else {
    PaintEntry(txtCONO, colors.EntryBoxColor);
  }
}

// Checks the job box against JOBLIST for CompanyNo: the box shows the job
// number in its stored form at once, the label the job's name or the reason
// for refusing it.
void ztDorvane::Impl::ValidateJobNumber() {
  EnsureConnection();
  entry.EntryValid = true;
  if (HoldsSearchMark(txtJOBNO.Text())) return;
  if (IsBlank(txtJOBNO.Text())) {
    entry.EntryValid = false;
    lblDJOBNAME.SetCaption("Blank Job Number. Must Enter a Job #.");
    lblDJOBNAME.Refresh();
    PaintEntry(txtJOBNO, colors.ErrorColor);
    return;
  }
  entry.JobNoText =
      ztBasicSet::FormatJobNumber(txtJOBNO.Text(), settings.JobNoType, settings.JobNoSize, false);
  txtJOBNO.SetText(entry.JobNoText);
  recordstore::Recordset& joblist = Opened(conn.rsJOBLIST, "JOBLIST");
  joblist.SetIndex("JOBLIST");
  joblist.Seek("=", {recordstore::Variant::Integer(entry.CompanyNo),
                     recordstore::Variant::String(entry.JobNoText)});
  if (!joblist.NoMatch()) {
    entry.JobNoText = ztMSAccess::FieldValue(joblist, "JOBNO").ToString();
    lblDJOBNAME.SetCaption(ztMSAccess::FieldValue(joblist, "JOBNAME").ToString());
    lblDJOBNAME.Refresh();
    PaintEntry(txtJOBNO, colors.EntryBoxColor);
  } else {
    entry.EntryValid = false;
    lblDJOBNAME.SetCaption("Cannot Find Job Number.");
    lblDJOBNAME.Refresh();
    PaintEntry(txtJOBNO, colors.ErrorColor);
  }
}
