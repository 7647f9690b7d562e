// ztDorvane's target job list page: drawing the four rows from the TJLIST
// recordset (with the job names from JOBLIST), the end and empty markers, the
// row colours, and LoadTargetJobList, which shows the working list from its
// first record and names the list it belongs to. The page keeps bookmarks, never
// rows. Navigation (MoveInList, HandleListKey, the picture buttons, row clicks)
// and ReloadWorkingList belong here too and arrive with the page navigation.
// Relies on the record store, ztMSAccess (null check, key tests), ztBasicSet
// (job numbers, text) and the Desktop.
#include <cassert>

#include "control/ztDorvane.h"
#include "services/ztBasicSet.h"
#include "services/ztMSAccess.h"

namespace {

// A field of the recordset's current row, read through the null check.
recordstore::Variant FieldValue(recordstore::Recordset& rs, const std::string& name) {
  recordstore::Field field = rs.Fields(name);
  return ztMSAccess::wqNullCheck(field);
}

}  // namespace

// Draws the TJLIST record on which the recordset stands into the row, without
// moving it. Drawing sets CompanyNo and JobNoText, which the entry checks share.
void ztDorvane::FillRow(int16_t row) {
  assert(row >= 0 && row <= LastRowIndex);
  recordstore::Recordset& tjlist = Opened(rsTJLIST, "TJLIST");
  lblCONO(row).SetCaption(FieldValue(tjlist, "CONO").ToString());
  lblJOBNO(row).SetCaption(FieldValue(tjlist, "JOBNO").ToString());
  CompanyNo = recordstore::Variant::Double(recordstore::Val(lblCONO(row).Caption())).ToInteger();
  JobNoText = ztBasicSet::FormatJobNumber(lblJOBNO(row).Caption(), JobNoType, JobNoSize, false);
  recordstore::Recordset& joblist = Opened(rsJOBLIST, "JOBLIST");
  joblist.SetIndex("JOBLIST");
  joblist.Seek("=",
               {recordstore::Variant::Integer(CompanyNo), recordstore::Variant::String(JobNoText)});
  if (joblist.NoMatch()) {
    lblJOBNAME(row).SetCaption(ztBasicSet::RepeatText("?", 30));
  } else {
    lblJOBNAME(row).SetCaption(FieldValue(joblist, "JOBNAME").ToString());
  }
}

// Blanks the three captions of the row.
void ztDorvane::ClearRow(int16_t row) {
  lblCONO(row).SetCaption(" ");
  lblJOBNO(row).SetCaption(" ");
  lblJOBNAME(row).SetCaption(" ");
}

// The end marker: the row after the last record.
void ztDorvane::ShowEndOfList(int16_t row) {
  ClearRow(row);
  lblJOBNAME(row).SetCaption("End of List");
}

// The marker of a list without records.
void ztDorvane::ShowListEmpty(int16_t row) {
  ClearRow(row);
  lblJOBNAME(row).SetCaption("List is Empty");
}

// Paints the row in the normal colour.
void ztDorvane::PaintRowNormal(int16_t row) {
  lblCONO(row).SetBackColor(RowNormalColor);
  lblJOBNO(row).SetBackColor(RowNormalColor);
  lblJOBNAME(row).SetBackColor(RowNormalColor);
}

// Paints the row in the highlight colour.
void ztDorvane::PaintRowHighlight(int16_t row) {
  lblCONO(row).SetBackColor(RowHighlightColor);
  lblJOBNO(row).SetBackColor(RowHighlightColor);
  lblJOBNAME(row).SetBackColor(RowHighlightColor);
}

// True when the TJLIST recordset stands on a record.
bool ztDorvane::HasCurrentRecord() {
  return ztMSAccess::RecordMatchesKeys(Opened(rsTJLIST, "TJLIST"), {});
}

// Redraws the four rows from TopBookmark on (the row after the last record
// reads "End of List", the rows below it are empty) and highlights CurrentRow.
void ztDorvane::ShowPage() {
  EndOfListPending = true;
  if (!ztBasicSet::IsNotBlank(TopBookmark)) {
    for (int16_t i = 0; i <= LastRowIndex; ++i) {
      ClearRow(i);
      if (i == 0) ShowEndOfList(0);
      PaintRowNormal(i);
    }
    PaintRowHighlight(CurrentRow);
    return;
  }
  recordstore::Recordset& tjlist = Opened(rsTJLIST, "TJLIST");
  tjlist.SetBookmark(TopBookmark);
  for (int16_t i = 0; i <= LastRowIndex; ++i) {
    if (HasCurrentRecord()) {
      FillRow(i);
      tjlist.MoveNext();
    } else if (EndOfListPending) {
      ShowEndOfList(i);
      EndOfListPending = false;
    } else {
      ClearRow(i);
    }
    PaintRowNormal(i);
  }
  PaintRowHighlight(CurrentRow);
}

// Shows the working list from its first record and names it in lblTJLNAME.
// CurrentTJLTAG comes from the last record in "TJLIST" order, reached by one
// move instead of a walk through the list. When the connection never opened
// the tables (its report has been shown), the page is left as it is.
void ztDorvane::LoadTargetJobList() {
  EnsureConnection();
  if (!rsTJLIST || !rsJOBLIST || !rsTJLGROUPS) return;
  for (int16_t i = 0; i <= LastRowIndex; ++i) {
    ClearRow(i);
    PaintRowNormal(i);
  }
  CurrentRow = 0;
  FirstBookmark = TopBookmark = CurrentBookmark = LastBookmark = " ";
  recordstore::Recordset& tjlist = *rsTJLIST;
  tjlist.SetIndex("TJLIST");
  if (tjlist.RecordCount() == 0) {
    ShowListEmpty(CurrentRow);
    PaintRowHighlight(CurrentRow);
  } else {
    tjlist.MoveFirst();
    FirstBookmark = TopBookmark = CurrentBookmark = tjlist.Bookmark();
    tjlist.MoveLast();
    LastBookmark = tjlist.Bookmark();
    CurrentTJLTAG = FieldValue(tjlist, "TJLTAG").ToLong();
    screen::GetDesktop().DoEvents();
    ShowPage();
  }
  if (CurrentTJLTAG == 0) {
    lblTJLNAME.SetCaption("New List.");
    return;
  }
  recordstore::Recordset& groups = *rsTJLGROUPS;
  groups.SetIndex("TJLGTJLTAG");
  groups.Seek("=", {recordstore::Variant::Long(CurrentTJLTAG)});
  if (groups.NoMatch()) {
    lblTJLNAME.SetCaption("Cannot Find List Identifier in List Table");
  } else {
    lblTJLNAME.SetCaption(FieldValue(groups, "TJLNAME").ToString());
  }
}

// The list's key dispatcher. The list keys (moves, and the keys that start an
// add, edit, delete or cancel) arrive with the page navigation; until then no
// key acts here.
void ztDorvane::HandleListKey(int16_t keyCode, int16_t shift) {
  (void)keyCode;
  (void)shift;
}
