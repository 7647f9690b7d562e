// ztDorvane's edit mode, the one state in which the list's navigation and
// buttons give way to cmdUpdate and CmdCancel: for a list row (the entry boxes
// laid over the row), for the date-edit mode and for the save-list mode.
// Turning it on and off and the two buttons that end it live here; each mode's
// own end is written beside the mode (RowEditUpdate in ztDorvane_entry.cpp,
// PEDateUpdate in ztDorvane_perange.cpp, SaveListUpdate in ztDorvane_lists.cpp).
// Relies on the page of ztDorvane_page.cpp (row colours).
#include "control/ztDorvane_impl.h"

// Binds the two buttons that end every edit mode.
void ztDorvane::Impl::WireEditMode() {
  cmdUpdate.Click = [this] { cmdUpdate_Click(); };
  CmdCancel.Click = [this] { CmdCancel_Click(); };
}

// Shows (visible) or hides the six list buttons, and the opposite for
// cmdUpdate and CmdCancel.
void ztDorvane::Impl::ShowListControls(bool visible) {
  screen::Control* const listButtons[] = {&CmdAdd,      &CmdEdit,         &CmdDelete,
                                          &cmdSaveList, &cmdRetreiveList, &cmdNewList};
  for (screen::Control* c : listButtons) c->SetVisible(visible);
  cmdUpdate.SetVisible(!visible);
  CmdCancel.SetVisible(!visible);
}

// Moves the entry boxes and the job name label to top, the two search buttons
// searchOffset twips below it.
void ztDorvane::Impl::PlaceEntryControls(int32_t top, int32_t searchOffset) {
  btnCOSearch.SetTop(top + searchOffset);
  btnJOBSearch.SetTop(top + searchOffset);
  txtCONO.SetTop(top);
  txtJOBNO.SetTop(top);
  lblDJOBNAME.SetTop(top);
}

// Turns an edit mode on: no row highlighted, no key preview, the list's
// navigation and buttons hidden, cmdUpdate and CmdCancel shown. For a list row
// (not the date-edit mode) the period-ending controls make way and the entry
// controls are laid over the row at EntryRowTop, one box focused.
void ztDorvane::Impl::BeginEditMode() {
  PaintRowNormal(page.CurrentRow);
  owner.SetKeyPreview(false);
  screen::Control* const navigation[] = {&hsbMAIN,       &cmdHKBPGUP,   &cmdHKBPGDN,
                                         &cmdHKBUPARROW, &cmdHKBACTION, &cmdHKBDNARROW};
  for (screen::Control* c : navigation) c->SetVisible(false);
  ShowListControls(false);
  if (peRange.IsPEEditing) return;

  entry.IsListOK = false;
  screen::Control* const periodEnding[] = {&txtBPEDATE,   &txtEPEDATE,     &lblBPEDATE,
                                           &lblEPEDATE,   &lblBPETEXTDATE, &lblEPETEXTDATE,
                                           &btnBPESearch, &btnEPESearch,   &btnMakeLastFirst};
  for (screen::Control* c : periodEnding) c->SetVisible(false);
  PlaceEntryControls(static_cast<int32_t>(entry.EntryRowTop), 15);
  btnCOSearch.SetVisible(true);
  btnJOBSearch.SetVisible(true);
  txtCONO.SetEnabled(true);
  txtJOBNO.SetEnabled(true);
  txtCONO.SetVisible(true);
  txtJOBNO.SetVisible(true);
  lblDJOBNAME.SetVisible(true);
  if (entry.FocusColumn == EntryBox::Job) {
    txtJOBNO.SetFocus();
  } else {
    txtCONO.SetFocus();
  }
}

// Turns an edit mode off: the list buttons and navigation come back, the
// current row is highlighted again and the scroll bar takes the keyboard.
// Outside the date-edit mode the entry controls go home, hidden, and the
// period-ending controls return.
void ztDorvane::Impl::EndEditMode() {
  ShowListControls(true);
  if (!peRange.IsPEEditing) {
    entry.IsListOK = true;
    screen::Control* const periodEnding[] = {&txtBPEDATE,   &txtEPEDATE,     &lblBPEDATE,
                                             &lblEPEDATE,   &lblBPETEXTDATE, &lblEPETEXTDATE,
                                             &btnBPESearch, &btnEPESearch,   &btnMakeLastFirst};
    for (screen::Control* c : periodEnding) c->SetVisible(true);
    screen::Control* const entryControls[] = {&btnCOSearch, &btnJOBSearch, &txtCONO, &txtJOBNO,
                                              &lblDJOBNAME};
    for (screen::Control* c : entryControls) c->SetVisible(false);
    PlaceEntryControls(static_cast<int32_t>(entry.EntryHomeTop), 0);
    entry.EntryMode = RowEdit::None;
    entry.FocusColumn = EntryBox::Company;
  }
  owner.SetKeyPreview(true);
  screen::Control* const navigation[] = {&cmdHKBPGUP, &cmdHKBPGDN, &cmdHKBUPARROW, &cmdHKBACTION,
                                         &cmdHKBDNARROW};
  for (screen::Control* c : navigation) c->SetVisible(true);
  PaintRowHighlight(page.CurrentRow);
  hsbMAIN.SetVisible(true);
  hsbMAIN.SetFocus();
}

// cmdUpdate ends the edit mode that is on, tested in the order save-list mode,
// date-edit mode, list row (RowEditUpdate).
void ztDorvane::Impl::cmdUpdate_Click() {
  // The save-list mode (SaveListUpdate) and the date-edit mode (PEDateUpdate)
  // are served here, in that order, before the list row.
  if (lists.IsSavingList) {
    SaveListUpdate();
    return;
  }
  if (peRange.IsPEEditing) {
    PEDateUpdate();
    return;
  }
  RowEditUpdate();
}

// CmdCancel drops the edit mode that is on, tested in the same order as
// cmdUpdate (a list row: RowEditCancel).
void ztDorvane::Impl::CmdCancel_Click() {
  // The save-list mode (SaveListCancel) and the date-edit mode (PEDateCancel)
  // are served here, in that order, before the list row.
  if (lists.IsSavingList) {
    SaveListCancel();
    return;
  }
  if (peRange.IsPEEditing) {
    PEDateCancel();
    return;
  }
  RowEditCancel();
}
