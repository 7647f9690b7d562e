// ztDorvane's period-ending date range: the beginning and ending date boxes
// with their day-text labels, typed dates checked against PELIST when a box
// loses the focus (the ending also against the beginning's tag), "+" and "-"
// stepping a date by a week, the PELIST search, "<=<" copying the beginning to
// the ending, the tag presets of the host, and the date-edit mode that a box
// starts when it gets the focus and cmdUpdate or CmdCancel end.
//
// The two ends are twins: every routine is written once and given a PEEnd,
// the box, label and state of one end. No message box is shown here: every
// refusal is a label caption on the error colour.
//
// Relies on the PELIST recordset of the connection, ztBasicSet (dates, text,
// keystrokes), the search launcher of ztLOOKUP, BeginEditMode/EndEditMode of
// the entry editing and the Desktop's short date text.
#include <cassert>
#include <optional>

#include "control/ztDorvane_impl.h"
#include "search/ztLOOKUP_search.h"
#include "services/ztBasicSet.h"
#include "services/ztMSAccess.h"

// One end of the range: its controls, its state fields and the caption its
// week step shows when the stepped date has no PELIST row.
struct ztDorvane::Impl::PEEnd {
  screen::TextBox& box;
  screen::Label& dayText;
  int16_t& tag;
  std::string& date;
  bool& isOK;
  const char* stepNotFound;
};

namespace {

constexpr int16_t kPlus = '+';
constexpr int16_t kMinus = '-';

// The text of a box's MaxLength in blanks: the cleared box.
std::string BlankBoxText(const screen::TextBox& box) {
  assert(box.MaxLength() > 0);
  return std::string(static_cast<size_t>(box.MaxLength()), ' ');
}

// The normalised MM/DD/YYYY form of a typed date, " " when it is none.
std::string NormalisedDate(const std::string& text) {
  int16_t outputForm = 0;
  int16_t centuryPivot = 0;
  return ztBasicSet::ValidateDateText(text, outputForm, centuryPivot);
}

// The PELIST key ("yyyymmdd") of a normalised date.
std::string DateKey(const std::string& normalised) {
  int16_t centuryPivot = 0;
  return ztBasicSet::DateTextToYMD(normalised, centuryPivot);
}

// Puts PELIST on the row of a "yyyymmdd" key through its "PELIST" index;
// true when there is one.
bool SeekPEDate(recordstore::Recordset& pelist, const std::string& key) {
  pelist.SetIndex("PELIST");
  pelist.Seek("=", {recordstore::Variant::String(key)});
  return !pelist.NoMatch();
}

}  // namespace

// The beginning end: txtBPEDATE, lblBPETEXTDATE and the B fields.
ztDorvane::Impl::PEEnd ztDorvane::Impl::BeginningEnd() {
  return {txtBPEDATE,      lblBPETEXTDATE,  peRange.BPETAG,
          peRange.BPEDATE, peRange.IsBPEOK, "Cannot Find Beginning PE Date."};
}

// The ending end: txtEPEDATE, lblEPETEXTDATE and the E fields.
ztDorvane::Impl::PEEnd ztDorvane::Impl::EndingEnd() {
  return {txtEPEDATE,      lblEPETEXTDATE,  peRange.EPETAG,
          peRange.EPEDATE, peRange.IsEPEOK, "Cannot Find Ending PE Date."};
}

// Puts the PELIST row on which the recordset stands into the end: its tag,
// its FEDATE in the box and its TDATE in the label. The date text and the
// colours are left to the caller.
void ztDorvane::Impl::ShowPERow(const PEEnd& end, recordstore::Recordset& pelist) {
  end.tag = ztMSAccess::FieldValue(pelist, "PETAG").ToInteger();
  end.box.SetText(ztMSAccess::FieldValue(pelist, "FEDATE").ToString());
  end.dayText.SetCaption(ztMSAccess::FieldValue(pelist, "TDATE").ToString());
}

// Binds the handlers of the date boxes and the three period-ending buttons.
void ztDorvane::Impl::WirePERange() {
  btnBPESearch.Click = [this] { btnBPESearch_Click(); };
  btnEPESearch.Click = [this] { btnEPESearch_Click(); };
  btnMakeLastFirst.Click = [this] { btnMakeLastFirst_Click(); };
  txtBPEDATE.Change = [this] { txtBPEDATE_Change(); };
  txtEPEDATE.Change = [this] { txtEPEDATE_Change(); };
  txtBPEDATE.GotFocus = [this] { txtBPEDATE_GotFocus(); };
  txtEPEDATE.GotFocus = [this] { txtEPEDATE_GotFocus(); };
  txtBPEDATE.LostFocus = [this] { txtBPEDATE_LostFocus(); };
  txtEPEDATE.LostFocus = [this] { txtEPEDATE_LostFocus(); };
  txtBPEDATE.KeyPress = [this](int16_t& keyAscii) { txtBPEDATE_KeyPress(keyAscii); };
  txtEPEDATE.KeyPress = [this](int16_t& keyAscii) { txtEPEDATE_KeyPress(keyAscii); };
}

// --- Handlers ---

// The search buttons open the PELIST search for their end.
void ztDorvane::Impl::btnBPESearch_Click() { SearchBeginningPEDate(); }
void ztDorvane::Impl::btnEPESearch_Click() { SearchEndingPEDate(); }

// "/" or "?" typed as the first character of a box opens the search.
void ztDorvane::Impl::txtBPEDATE_Change() {
  if (ztBasicSet::IsSearchRequest(txtBPEDATE.Text(), conn.ConnectionReady)) SearchBeginningPEDate();
}
void ztDorvane::Impl::txtEPEDATE_Change() {
  if (ztBasicSet::IsSearchRequest(txtEPEDATE.Text(), conn.ConnectionReady)) SearchEndingPEDate();
}

// A box getting the focus turns the date-edit mode on. Like the checks below,
// this applies only to a box on show: the list-row and save-list modes hide both.
void ztDorvane::Impl::txtBPEDATE_GotFocus() {
  if (txtBPEDATE.Visible()) PEDateGotFocus(BeginningEnd());
}
void ztDorvane::Impl::txtEPEDATE_GotFocus() {
  if (txtEPEDATE.Visible()) PEDateGotFocus(EndingEnd());
}

// A box on show losing the focus checks its date.
void ztDorvane::Impl::txtBPEDATE_LostFocus() {
  if (txtBPEDATE.Visible()) ValidateBeginningPEDate();
}
void ztDorvane::Impl::txtEPEDATE_LostFocus() {
  if (txtEPEDATE.Visible()) ValidateEndingPEDate();
}

// "+" and "-" step the date a week; Enter moves on.
void ztDorvane::Impl::txtBPEDATE_KeyPress(int16_t& keyAscii) {
  StepPEDate(BeginningEnd(), keyAscii);
}
void ztDorvane::Impl::txtEPEDATE_KeyPress(int16_t& keyAscii) { StepPEDate(EndingEnd(), keyAscii); }

// "Make Ending = Beginning": the ending box takes the beginning's text, caption
// and colours; its tag and date text follow when the ending box is checked on
// losing the focus it gets here.
void ztDorvane::Impl::btnMakeLastFirst_Click() {
  txtEPEDATE.SetText(txtBPEDATE.Text());
  txtEPEDATE.SetBackColor(txtBPEDATE.BackColor());
  lblEPETEXTDATE.SetCaption(lblBPETEXTDATE.Caption());
  lblEPETEXTDATE.SetBackColor(lblBPETEXTDATE.BackColor());
  txtEPEDATE.SetFocus();
}

// --- Searching, checking and stepping ---

// Opens the PELIST search for the beginning date.
void ztDorvane::Impl::SearchBeginningPEDate() { SearchPEDate(BeginningEnd()); }
// Opens the PELIST search for the ending date.
void ztDorvane::Impl::SearchEndingPEDate() { SearchPEDate(EndingEnd()); }

// Opens the PELIST search and shows the chosen row in the box and the label;
// without a choice the box gets its last date text back. The OK flag is left
// to the check that runs when the box loses the focus.
void ztDorvane::Impl::SearchPEDate(const PEEnd& end) {
  const std::string savedDate = end.date;
  const std::string searchBookmarkText = ztLOOKUP::SearchPeriodEndingDates(settings.PathText);
  // The dialog took the focus from the control, which marks the reopen.
  EnsureConnection();
  if (ztBasicSet::IsNotBlank(searchBookmarkText)) {
    recordstore::Recordset& pelist = Opened(conn.rsPELIST, "PELIST");
    pelist.SetBookmark(searchBookmarkText);
    ShowPERow(end, pelist);
    end.date = end.box.Text();
    PaintPEEnd(end, colors.PEBoxColor);
  } else {
    end.box.SetText(savedDate);
  }
  end.box.SetFocus();
  ztBasicSet::SelectAllText(end.box);
}

// Checks the typed beginning date against PELIST.
void ztDorvane::Impl::ValidateBeginningPEDate() {
  const PEEnd end = BeginningEnd();
  if (FindTypedPEDate(end)) PaintPEEnd(end, colors.PEBoxColor);
}

// Checks the typed ending date against PELIST, then its tag against the
// beginning's: a lower tag is refused but kept; an equal one passes.
void ztDorvane::Impl::ValidateEndingPEDate() {
  const PEEnd end = EndingEnd();
  if (!FindTypedPEDate(end)) return;
  if (peRange.EPETAG < peRange.BPETAG) {
    peRange.IsEPEOK = false;
    lblEPETEXTDATE.SetCaption("Ending PE Date is Less Than Beginning PE Date.");
    PaintPEEnd(end, colors.ErrorColor);
  } else {
    PaintPEEnd(end, colors.PEBoxColor);
  }
}

// The shared part of both checks: the box text must be a date with a PELIST
// row. Found, the end is OK with the row's tag, FEDATE and TDATE and the
// result is True (the caller paints); refused, the label says why on the error
// colour, the tag is 0, the flag False and the box keeps the typed text. The
// date text keeps the normalised entry either way. The flag turns True only
// once the row is found, so a run-time error on the way (no PELIST open) leaves
// the end not OK, as its GotFocus left it.
bool ztDorvane::Impl::FindTypedPEDate(const PEEnd& end) {
  EnsureConnection();
  end.date = NormalisedDate(end.box.Text());
  const char* refusal = nullptr;
  recordstore::Recordset* pelist = nullptr;
  if (ztBasicSet::IsBlank(end.date)) {
    refusal = "Invalid Date.";
  } else {
    const std::string seekKey = DateKey(end.date);
    pelist = &Opened(conn.rsPELIST, "PELIST");
    if (!SeekPEDate(*pelist, seekKey)) refusal = "Cannot Find Date in Period Ending List.";
  }
  if (refusal != nullptr) {
    end.isOK = false;
    end.tag = 0;
    end.dayText.SetCaption(refusal);
    PaintPEEnd(end, colors.ErrorColor);
    return false;
  }
  end.isOK = true;
  ShowPERow(end, *pelist);
  return true;
}

// KeyPress of a date box. "+" or "-" moves the date seven calendar days and
// looks that date up: found, the box shows the row; not found, the label says
// so and the box gets its old text back. Colours and the OK flag are left to
// the check on losing the focus. A key that leaves the text as it was (every
// key but "+" and "-") goes on as typed, Enter becoming a move to the next
// control.
//
// The box text is read as a date through its normalised MM/DD/YYYY form, so
// compact entries such as 010501 step too; the stepped date is written as the
// Desktop's short date text (M/D/YYYY), which the lookup normalises again. A
// text that is no date (or a date the Desktop cannot read, such as a
// three-digit year) becomes the cleared box, which has no row.
void ztDorvane::Impl::StepPEDate(const PEEnd& end, int16_t& keyAscii) {
  const std::string boxBefore = end.box.Text();
  if (keyAscii == kPlus || keyAscii == kMinus) {
    const std::string normalised = NormalisedDate(boxBefore);
    std::optional<double> serial;
    if (ztBasicSet::IsNotBlank(normalised)) serial = screen::GetDesktop().ReadShortDate(normalised);
    if (!serial) {
      end.box.SetText(BlankBoxText(end.box));
    } else {
      const double stepDate = *serial + (keyAscii == kPlus ? 7 : -7);
      end.box.SetText(screen::GetDesktop().ShortDateText(stepDate));
    }
  }
  if (end.box.Text() == boxBefore) {
    keyAscii = ztBasicSet::TranslateKeyPress(keyAscii, false);
    return;
  }
  keyAscii = 0;  // the "+" or "-" never reaches the box, even after an error below
  end.date = NormalisedDate(end.box.Text());
  const std::string seekKey = DateKey(end.date);
  EnsureConnection();
  // Without PELIST no lookup can be made: the box is put back before the error.
  if (!conn.rsPELIST) end.box.SetText(boxBefore);
  recordstore::Recordset& pelist = Opened(conn.rsPELIST, "PELIST");
  if (SeekPEDate(pelist, seekKey)) {
    ShowPERow(end, pelist);
  } else {
    end.dayText.SetCaption(end.stepNotFound);
    end.box.SetText(boxBefore);
  }
  ztBasicSet::SelectAllText(end.box);
}

// --- Presets, the date-edit mode and painting ---

// The Let sides of the tags preset one end from a PETAG.
void ztDorvane::Impl::SetSelectedBPETAG(int16_t myTAG) { PresetPETag(BeginningEnd(), myTAG); }
void ztDorvane::Impl::SetSelectedEPETAG(int16_t myTAG) { PresetPETag(EndingEnd(), myTAG); }

// Shows the PELIST row of a tag in the end's box and label; tag 0 clears the
// end and counts as a valid choice. A tag without a row clears the box, keeps
// the given tag and shows the refusal on the error colour; so does any tag
// while no PELIST recordset is open (PathText not set yet, or its connection
// failed). A found row leaves the colours as they are.
void ztDorvane::Impl::PresetPETag(const PEEnd& end, int16_t myTAG) {
  end.isOK = true;
  end.tag = myTAG;
  if (myTAG == 0) {
    end.box.SetText(BlankBoxText(end.box));
    end.date = end.box.Text();
    end.dayText.SetCaption(" ");
    return;
  }
  bool found = false;
  if (conn.rsPELIST) {
    conn.rsPELIST->SetIndex("PETAG");
    conn.rsPELIST->Seek("=", {recordstore::Variant::Integer(myTAG)});
    found = !conn.rsPELIST->NoMatch();
  }
  if (!found) {
    end.isOK = false;
    end.box.SetText(BlankBoxText(end.box));
    end.date = end.box.Text();
    end.dayText.SetCaption("Cannot Find Period Ending Tag in PE List.");
    PaintPEEnd(end, colors.ErrorColor);
    return;
  }
  ShowPERow(end, *conn.rsPELIST);
  end.date = end.box.Text();
}

// A box that gets the focus is being edited: its end is not OK until checked,
// and the date-edit mode hides the list's navigation and buttons.
void ztDorvane::Impl::PEDateGotFocus(const PEEnd& end) {
  end.isOK = false;
  peRange.IsPEEditing = true;
  BeginEditMode();
  ztBasicSet::SelectAllText(end.box);
}

// cmdUpdate in the date-edit mode: the box that had the focus was checked
// when the button took it, so the verdict stands.
void ztDorvane::Impl::PEDateUpdate() {
  assert(peRange.IsPEEditing);
  peRange.IsPEEditing = false;
  EndEditMode();
}

// CmdCancel in the date-edit mode: both ends count as OK again; boxes,
// labels, tags and date texts stay as they are.
void ztDorvane::Impl::PEDateCancel() {
  assert(peRange.IsPEEditing);
  peRange.IsPEEditing = false;
  peRange.IsBPEOK = true;
  peRange.IsEPEOK = true;
  EndEditMode();
}

// Paints the end's label, then its box.
void ztDorvane::Impl::PaintPEEnd(const PEEnd& end, uint32_t color) {
  end.dayText.SetBackColor(color);
  end.box.SetBackColor(color);
}
