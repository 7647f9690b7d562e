// ztDorvane's construction: the screen with every child at its design values
// (positions and sizes in twips, colours as &H00BBGGRR), the tab order, the
// binding of the whole-control events, UserControl_Initialize, and the state
// fields that the scripted host reads. Relies on the toolkit and the record
// store's engine (for the count of workspaces).
#include <algorithm>
#include <cassert>

#include "control/ztDorvane_impl.h"
#include "services/base/error_numbers.h"

namespace {

constexpr uint32_t kWhite = 0x00FFFFFF;
constexpr uint32_t kPaleCyan = 0x00FFFFC0;
constexpr uint32_t kHeaderGrey = 0x00E0E0E0;
constexpr uint32_t kControlGrey = 0x00C0C0C0;
constexpr uint32_t kLightRed = 0x008080FF;

// The colour of the given red, green and blue parts, each clamped to 0..255,
// stored as &H00BBGGRR.
uint32_t ColourOf(int red, int green, int blue) {
  auto part = [](int v) { return static_cast<uint32_t>(std::clamp(v, 0, 255)); };
  return part(red) | (part(green) << 8) | (part(blue) << 16);
}

recordstore::Variant Bool(bool v) { return recordstore::Variant::Boolean(v); }
recordstore::Variant Text(const std::string& v) { return recordstore::Variant::String(v); }
recordstore::Variant Int(int16_t v) { return recordstore::Variant::Integer(v); }

}  // namespace

// Refuses a host without a desktop, which would never see the control's
// message boxes (better refused here than discovered later), then builds the
// implementation on this user control.
ztDorvane::ztDorvane() : UserControl("ztDorvane") {
  if (!screen::DesktopInstalled()) {
    throw base::RuntimeError(base::error::kInvalidProcedureCall,
                             "ztDorvane needs a desktop: the host calls screen::SetDesktop "
                             "(or Screen::SetDesktop) before making the control");
  }
  impl_ = std::make_unique<Impl>(*this);
}

// The connection objects are released with the implementation (recordsets
// first), before the user control's children list goes.
ztDorvane::~ztDorvane() = default;

// The host members hand over to the implementation.
void ztDorvane::SetPathText(const std::string& value) { impl_->SetPathText(value); }
int16_t ztDorvane::SelectedBPETAG() const { return impl_->SelectedBPETAG(); }
int16_t ztDorvane::SelectedEPETAG() const { return impl_->SelectedEPETAG(); }
void ztDorvane::SetSelectedBPETAG(int16_t myTAG) { impl_->SetSelectedBPETAG(myTAG); }
void ztDorvane::SetSelectedEPETAG(int16_t myTAG) { impl_->SetSelectedEPETAG(myTAG); }
std::string ztDorvane::SelectedBPEDATE() const { return impl_->SelectedBPEDATE(); }
std::string ztDorvane::SelectedEPEDATE() const { return impl_->SelectedEPEDATE(); }
int16_t ztDorvane::IsListOK() const { return impl_->IsListOK(); }
int16_t ztDorvane::ArePEDatesOK() const { return impl_->ArePEDatesOK(); }
void ztDorvane::SetControlsEnabled(bool value) { impl_->SetControlsEnabled(value); }
uint64_t ztDorvane::WorkingListVersion() const { return impl_->lists.ListVersion; }
int32_t ztDorvane::WorkingListRows() { return impl_->WorkingListRows(); }
std::optional<recordstore::Variant> ztDorvane::StateField(const std::string& name) {
  return impl_->StateField(name);
}

// Builds the screen, binds the control's own events and initializes the state.
// Each group of the control's handlers is bound by its Wire routine, called
// here once that group is written (WirePage, WireEntry, WireEditMode, WireLists,
// WirePERange).
ztDorvane::Impl::Impl(ztDorvane& owner) : owner(owner) {
  BuildScreen();
  SetTabOrder();
  owner.GotFocus = [this] { UserControl_GotFocus(); };
  owner.LostFocus = [this] { UserControl_LostFocus(); };
  owner.KeyDown = [this](int16_t& keyCode, int16_t shift) { UserControl_KeyDown(keyCode, shift); };
  WirePage();
  WireEntry();
  WireEditMode();
  WireLists();
  WirePERange();
  UserControl_Initialize();
}

ztDorvane::Impl::~Impl() = default;

// Places a label at its design values and adds it to the screen.
void ztDorvane::Impl::PlaceLabel(screen::Label& lbl, int32_t left, int32_t top, int32_t width,
                                 int32_t height, uint32_t backColor, const std::string& caption) {
  lbl.SetBounds(left, top, width, height);
  lbl.SetBackColor(backColor);
  lbl.SetCaption(caption);
  owner.Add(lbl);
}

// Places a button (grey, with its caption) and adds it to the screen.
void ztDorvane::Impl::PlaceButton(screen::CommandButton& cmd, int32_t left, int32_t top,
                                  int32_t width, int32_t height, const std::string& caption) {
  cmd.SetBounds(left, top, width, height);
  cmd.SetBackColor(kControlGrey);
  cmd.SetCaption(caption);
  owner.Add(cmd);
}

// Places a text box with its colour and length limit and adds it.
void ztDorvane::Impl::PlaceTextBox(screen::TextBox& txt, int32_t left, int32_t top, int32_t width,
                                   int32_t height, uint32_t backColor, int maxLength) {
  txt.SetBounds(left, top, width, height);
  txt.SetBackColor(backColor);
  txt.SetMaxLength(maxLength);
  owner.Add(txt);
}

// The design layout. Widths and heights the layout leaves open (the list
// buttons, the navigation buttons, the date captions and date search buttons)
// are chosen to fit between their neighbours.
void ztDorvane::Impl::BuildScreen() {
  owner.SetCaption("");
  owner.SetWidth(8535);
  owner.SetHeight(3135);
  owner.SetBackColor(kControlGrey);

  PlaceLabel(lblCompany, 90, 120, 990, 255, kControlGrey, "List Identifier:");
  lblCompany.SetFont("Arial", 8.25);
  PlaceLabel(lblTJLNAME, 1170, 90, 7170, 255, kHeaderGrey, "");
  lblTJLNAME.SetFont("MS Sans Serif", 9.75);
  PlaceTextBox(txtTJLNAME, 1095, 90, 7305, 285, kPaleCyan, 50);
  PlaceLabel(lblHCONO, 75, 420, 660, 255, kHeaderGrey, "Co. #");
  PlaceLabel(lblHJOBNO, 720, 420, 1440, 255, kHeaderGrey, "Job Number");
  PlaceLabel(lblHJOBNAME, 2145, 420, 6030, 255, kHeaderGrey, " Job Name");
  for (int i = 0; i < 4; ++i) {
    const int32_t top = 660 + 270 * i;
    lblCONO(i).SetBounds(75, top, 660, 285);
    lblJOBNO(i).SetBounds(720, top, 1440, 285);
    lblJOBNAME(i).SetBounds(2145, top, 6030, 285);
  }
  owner.Add(lblCONO);
  owner.Add(lblJOBNO);
  owner.Add(lblJOBNAME);
  owner.AddRowList({"Target job list",
                    {"lblCONO", "lblJOBNO", "lblJOBNAME"},
                    {&lblHCONO, &lblHJOBNO, &lblHJOBNAME},
                    [this] { return static_cast<int>(page.CurrentRow); }});

  PlaceTextBox(txtCONO, 75, 1740, 660, 285, kPaleCyan, 2);
  PlaceButton(btnCOSearch, 525, 1755, 195, 255, "=");
  PlaceTextBox(txtJOBNO, 720, 1740, 1440, 285, kPaleCyan, 8);
  PlaceButton(btnJOBSearch, 1950, 1755, 195, 255, "=");
  PlaceLabel(lblDJOBNAME, 2145, 1740, 6030, 285, kPaleCyan, "");

  PlaceButton(CmdAdd, 75, 1905, 690, 375, "&Add");
  PlaceButton(CmdEdit, 810, 1905, 675, 375, "&Edit");
  PlaceButton(CmdDelete, 1530, 1905, 690, 375, "&Delete");
  PlaceButton(cmdSaveList, 2265, 1905, 1020, 375, "&Save List");
  PlaceButton(cmdRetreiveList, 3330, 1905, 1275, 375, "&Retrieve List");
  PlaceButton(cmdNewList, 4650, 1905, 1020, 375, "&New List");
  PlaceButton(cmdUpdate, 6795, 1905, 795, 375, "&Update");
  PlaceButton(CmdCancel, 7635, 1905, 795, 375, "&Cancel");

  // The navigation picture buttons; the pictures are named for the front end.
  PlaceButton(cmdHKBPGUP, 8175, 420, 240, 225, "");
  cmdHKBPGUP.SetPicture("pageup");
  PlaceButton(cmdHKBUPARROW, 8175, 705, 240, 225, "");
  cmdHKBUPARROW.SetPicture("up");
  PlaceButton(cmdHKBACTION, 8175, 975, 240, 225, "");
  cmdHKBACTION.SetPicture("action");
  PlaceButton(cmdHKBDNARROW, 8175, 1200, 240, 225, "");
  cmdHKBDNARROW.SetPicture("down");
  PlaceButton(cmdHKBPGDN, 8175, 1470, 240, 225, "");
  cmdHKBPGDN.SetPicture("pagedown");
  hsbMAIN.SetBounds(8280, 1050, 30, 30);
  hsbMAIN.SetBackColor(kControlGrey);
  owner.Add(hsbMAIN);

  PlaceLabel(lblBPEDATE, 105, 2415, 1335, 255, kControlGrey, "Beginning PE:");
  PlaceLabel(lblEPEDATE, 105, 2745, 1335, 255, kControlGrey, "Ending PE:");
  PlaceTextBox(txtBPEDATE, 1500, 2385, 1200, 300, kWhite, 10);
  PlaceTextBox(txtEPEDATE, 1500, 2715, 1200, 300, kWhite, 10);
  for (screen::TextBox* box : {&txtBPEDATE, &txtEPEDATE}) {
    box->SetToolTipText("Keypress \"+\" or \"-\" to Increase/Decrease PE Date");
  }
  PlaceButton(btnBPESearch, 2475, 2415, 195, 255, "=");
  PlaceButton(btnEPESearch, 2475, 2745, 195, 255, "=");
  btnBPESearch.SetToolTipText("Search PE List");
  btnEPESearch.SetToolTipText("Search PE List");
  PlaceButton(btnMakeLastFirst, 2760, 2400, 225, 615, "<=<");
  btnMakeLastFirst.SetToolTipText("Make Ending = Beginning");
  PlaceLabel(lblBPETEXTDATE, 3045, 2415, 5385, 255, kWhite, "");
  PlaceLabel(lblEPETEXTDATE, 3045, 2745, 5385, 255, kWhite, "");
}

// TabIndex from 0 in the order of the design; the labels follow the list
// buttons in design order, then the three period-ending buttons. The search,
// navigation and period-ending buttons are not tab stops.
void ztDorvane::Impl::SetTabOrder() {
  screen::Control* const ordered[] = {
      &hsbMAIN,      &btnJOBSearch,    &btnCOSearch,   &CmdAdd,     &CmdEdit,    &CmdDelete,
      &CmdCancel,    &txtCONO,         &txtJOBNO,      &txtBPEDATE, &txtEPEDATE, &cmdUpdate,
      &cmdHKBACTION, &cmdHKBDNARROW,   &cmdHKBUPARROW, &cmdHKBPGUP, &cmdHKBPGDN, &cmdSaveList,
      &txtTJLNAME,   &cmdRetreiveList, &cmdNewList};
  int tabIndex = 0;
  for (screen::Control* c : ordered) c->SetTabIndex(tabIndex++);
  for (screen::Control* c : owner.Controls()) {
    if (c->Kind() == screen::ControlKind::Label) c->SetTabIndex(tabIndex++);
  }
  screen::Control* const last[] = {&btnMakeLastFirst, &btnEPESearch, &btnBPESearch};
  for (screen::Control* c : last) c->SetTabIndex(tabIndex++);
  assert(tabIndex == static_cast<int>(owner.Controls().size()));
  screen::Control* const notStops[] = {&btnCOSearch,  &btnJOBSearch,    &cmdHKBPGUP, &cmdHKBUPARROW,
                                       &cmdHKBACTION, &cmdHKBDNARROW,   &cmdHKBPGDN, &btnBPESearch,
                                       &btnEPESearch, &btnMakeLastFirst};
  for (screen::Control* c : notStops) c->SetTabStop(false);
}

// The state's starting values, in the order of the start-up steps. Nothing is
// opened: the connection exists once the host sets PathText.
void ztDorvane::Impl::UserControl_Initialize() {
  owner.SetKeyPreview(true);
  entry.IsListOK = true;
  peRange.IsBPEOK = false;
  peRange.IsEPEOK = false;
  conn.ReopenNeeded = true;
  entry.EntryValid = false;
  entry.FocusColumn = EntryBox::Company;
  entry.EntryHomeTop = static_cast<float>(txtCONO.Top());
  entry.EntryMode = RowEdit::None;
  page.LastRowIndex = 3;
  page.CurrentRow = 0;
  entry.EntryRow = 0;
  colors.RowHighlightColor = ColourOf(256, 256, 0);
  colors.RowNormalColor = ColourOf(256, 256, 256);
  colors.EntryBoxColor = txtCONO.BackColor();
  colors.ErrorColor = kLightRed;
  colors.PEBoxColor = txtBPEDATE.BackColor();
  lists.CurrentTJLTAG = 0;
  conn.ConnectionReady = true;
  conn.CloseFlag = true;
}

// The fields the scripted host's `state` command can read.
std::optional<recordstore::Variant> ztDorvane::Impl::StateField(const std::string& name) {
  using recordstore::Variant;
  if (name == "PathText") return Text(settings.PathText);
  if (name == "ReopenNeeded") return Bool(conn.ReopenNeeded);
  if (name == "ConnectionReady") return Bool(conn.ConnectionReady);
  if (name == "JobNoSize") return Int(settings.JobNoSize);
  if (name == "JobNoType") return Text(settings.JobNoType);
  if (name == "IsListOK") return Bool(entry.IsListOK);
  if (name == "IsBPEOK") return Bool(peRange.IsBPEOK);
  if (name == "IsEPEOK") return Bool(peRange.IsEPEOK);
  if (name == "IsPEEditing") return Bool(peRange.IsPEEditing);
  if (name == "IsSavingList") return Bool(lists.IsSavingList);
  if (name == "EntryMode") {
    // The mode by its letter: " " none, "A" adding, "E" editing.
    switch (entry.EntryMode) {
      case RowEdit::Adding:
        return Text("A");
      case RowEdit::Editing:
        return Text("E");
      case RowEdit::None:
        break;
    }
    return Text(" ");
  }
  if (name == "EntryValid") return Bool(entry.EntryValid);
  if (name == "FocusColumn") return Int(static_cast<int16_t>(entry.FocusColumn));
  if (name == "CurrentRow") return Int(page.CurrentRow);
  if (name == "EntryRow") return Int(entry.EntryRow);
  if (name == "CurrentTJLTAG") return Variant::Long(lists.CurrentTJLTAG);
  if (name == "CompanyNo") return Int(entry.CompanyNo);
  if (name == "JobNoText") return Text(entry.JobNoText);
  if (name == "BPETAG") return Int(peRange.BPETAG);
  if (name == "EPETAG") return Int(peRange.EPETAG);
  if (name == "BPEDATE") return Text(peRange.BPEDATE);
  if (name == "EPEDATE") return Text(peRange.EPEDATE);
  return std::nullopt;
}
