// frmztSearch set-up: the controls at their design values, the load that turns
// the search request into an open recordset and a laid-out grid, the unload,
// the header clicks that change the search column, and the state fields that
// the scripted host reads. Relies on the record store, the toolkit, ztBasicSet
// (blank tests, dates) and ztMSAccess (the load-failure report).
#include <exception>
#include <string>

#include "search/frmztSearch_impl.h"
#include "services/base/error_numbers.h"
#include "services/ztBasicSet.h"

namespace {

using base::RuntimeError;
using recordstore::Variant;
using ztBasicSet::IsBlank;
using ztBasicSet::IsNotBlank;

constexpr uint32_t kFormColor = 0x00FFFFC0;
constexpr uint32_t kHeaderDesignColor = 0x00C0C0C0;
constexpr uint32_t kButtonColor = 0x00C0C0C0;
constexpr int32_t kRowTop = 1725;
constexpr int32_t kRowStep = 240;
constexpr int32_t kCellHeight = 255;
constexpr int32_t kColumnOverlap = 15;
// The form's design width; every load starts from it, so a failed load does
// not keep the width the previous request laid out.
constexpr int32_t kDesignWidth = 4875;

const char* const kInstructText = "1. Type the first few characters you are looking for.";
const char* const kInstructNumber = "1. Enter the number of the item you are searching for.";

// The number a column item begins with (0 for an empty or non-numeric item);
// the callers take it to the nearest whole number, half to even.
double ItemNumber(const std::string& item) { return recordstore::Val(item); }

// Splits a column text at "|": one item per column, the last item always
// stored. More than six items raise the subscript error.
std::vector<std::string> SplitColumnItems(const std::string& text) {
  std::vector<std::string> items = ztBasicSet::SplitAtBars(text);
  if (items.size() > static_cast<size_t>(frmztSearch::Impl::kColumns)) {
    throw RuntimeError(
        base::error::kSubscriptOutOfRange,
        "Subscript out of range: the column text \"" + text + "\" has more than six items");
  }
  return items;
}

}  // namespace

// Builds the form; the implementation adds the controls and binds the
// handlers.
frmztSearch::frmztSearch() : screen::Form("frmztSearch") { impl_ = std::make_unique<Impl>(*this); }

// The shared instance lives to the end of the program; a loaded form closes
// its connection first, while the implementation still stands.
frmztSearch::~frmztSearch() {
  if (IsLoaded()) Unload();
}

std::optional<Variant> frmztSearch::StateField(const std::string& name) {
  return impl_->StateField(name);
}

// Builds the form with its controls at their design values and binds the
// event handlers.
frmztSearch::Impl::Impl(frmztSearch& owner) : owner(owner) {
  AddControls();
  SetDesignValues();
  BindEvents();
}

frmztSearch::Impl::~Impl() = default;

// Adds the controls in design order (the order in which `screen` lists them)
// and describes the grid as a list of rows.
void frmztSearch::Impl::AddControls() {
  for (screen::Label* label :
       {&lblSearchTitle, &lblInstructA, &lblSearch, &lblInstructB, &lblInstructC}) {
    owner.Add(*label);
  }
  owner.Add(lblDisplay);
  for (int k = 0; k < kColumns; ++k) owner.Add(Header(k));
  for (auto* column : {&lblCOL0, &lblCOL1, &lblCol2, &lblCol3, &lblCol4, &lblCOL5}) {
    owner.Add(*column);
  }
  owner.AddRowList({"Search results",
                    {"lblCOL0", "lblCOL1", "lblCol2", "lblCol3", "lblCol4", "lblCOL5"},
                    {&lblHCOL0, &lblHCOL1, &lblHCOL2, &lblHCOL3, &lblHCOL4, &lblHCOL5},
                    [this] { return static_cast<int>(state_.CurrentRow); }});
  for (screen::CommandButton* button :
       {&cmdHKBHOME, &cmdHKBPGUP, &cmdHKBUPARROW, &cmdHKBACTION, &cmdHKBDNARROW, &cmdHKBPGDN,
        &cmdHKBEND, &CmdSelect, &CmdCancel}) {
    owner.Add(*button);
  }
  owner.Add(hsbMAIN);
}

// Design values in twips; the load changes widths and lefts from the request.
void frmztSearch::Impl::SetDesignValues() {
  owner.SetCaption("Search for an item");
  owner.SetBackColor(kFormColor);
  owner.SetWidth(kDesignWidth);
  owner.SetHeight(5760);

  auto label = [](screen::Label& l, int32_t left, int32_t top, int32_t width, int32_t height,
                  const std::string& caption, uint32_t colour) {
    l.SetBounds(left, top, width, height);
    l.SetCaption(caption);
    l.SetBackColor(colour);
  };
  label(lblSearchTitle, 240, 120, 3810, 255, "Name of Search Item ", kFormColor);
  label(lblInstructA, 240, 480, 3930, 255, kInstructText, kFormColor);
  label(lblSearch, 255, 750, 3915, 285, "", RowColor);
  label(lblInstructB, 240, 1110, 3930, 255, "2. Click on the desired item and then click Select .",
        kFormColor);
  label(lblInstructC, 240, 4830, 3000, 450,
        "To search by the other column click on title bar of that column.", kFormColor);
  label(lblDisplay(0), 240, 1410, 3930, 3255, "", RowColor);

  // Columns: 0 and 1 fill the panel; 2 to 5 follow at a narrow width.
  const int32_t designWidths[kColumns] = {540, 3345, 540, 540, 540, 540};
  int32_t left = 285;
  for (int k = 0; k < kColumns; ++k) {
    label(Header(k), left, 1455, designWidths[k], kCellHeight, "Col " + std::to_string(k),
          kHeaderDesignColor);
    for (int r = 0; r < kRows; ++r) {
      label(Cell(k, r), left, kRowTop + kRowStep * r, designWidths[k], kCellHeight, "", RowColor);
    }
    left += designWidths[k] - kColumnOverlap;
  }

  struct Nav {
    screen::CommandButton* button;
    int32_t top;
    int32_t height;
    const char* picture;
  };
  const Nav navs[] = {{&cmdHKBHOME, 1440, 285, "home"},    {&cmdHKBPGUP, 1725, 285, "pageup"},
                      {&cmdHKBUPARROW, 2010, 285, "up"},   {&cmdHKBACTION, 2295, 1470, ""},
                      {&cmdHKBDNARROW, 3765, 285, "down"}, {&cmdHKBPGDN, 4050, 285, "pagedown"},
                      {&cmdHKBEND, 4350, 285, "end"}};
  int tabIndex = 3;
  for (const Nav& nav : navs) {
    nav.button->SetBounds(4170, nav.top, 255, nav.height);
    nav.button->SetPicture(nav.picture);
    nav.button->SetBackColor(kButtonColor);
    nav.button->SetTabStop(false);
    nav.button->SetTabIndex(tabIndex++);
  }

  CmdSelect.SetBounds(2985, 4830, 765, 345);
  CmdSelect.SetCaption("&Select");
  CmdSelect.SetDefault(true);
  CmdSelect.SetBackColor(kButtonColor);
  CmdSelect.SetTabIndex(1);
  CmdCancel.SetBounds(3855, 4830, 765, 345);
  CmdCancel.SetCaption("&Cancel");
  CmdCancel.SetBackColor(kButtonColor);
  CmdCancel.SetTabIndex(2);
  hsbMAIN.SetBounds(4445, 120, 30, 30);
  hsbMAIN.SetTabIndex(0);
}

// Binds every handler of the form and its controls.
void frmztSearch::Impl::BindEvents() {
  owner.OnLoad = [this] { Form_Load(); };
  owner.OnUnload = [this] { Form_Unload(); };
  owner.KeyDown = [this](int16_t& keyCode, int16_t shift) { Form_KeyDown(keyCode, shift); };
  for (int k = 0; k < kColumns; ++k) {
    Header(k).Click = [this, k] { HeaderClick(static_cast<int16_t>(k)); };
  }
  for (auto* column : {&lblCOL0, &lblCOL1, &lblCol2, &lblCol3, &lblCol4, &lblCOL5}) {
    column->SetClick([this](int index) { SelectRow(static_cast<int16_t>(index)); });
    column->SetDblClick([this](int) { CmdSelect_Click(); });
  }
  WireNavigationButtons();
  cmdHKBACTION.Click = [this] { cmdHKBACTION_Click(); };
  CmdSelect.Click = [this] { CmdSelect_Click(); };
  CmdCancel.Click = [this] { CmdCancel_Click(); };
}

// The load: the request becomes an open recordset, a laid-out grid and the
// first page. Any error ends it with the load-failure report, which leaves
// only CmdCancel on the form.
void frmztSearch::Impl::Form_Load() {
  owner.SetKeyPreview(true);
  owner.SetCaption("Search for an item");
  owner.SetWidth(kDesignWidth);
  ready_ = false;
  state_ = SearchState{};
  try {
    OpenTable();
    strSelBookmark = " ";
    state_.SearchText = "";
    lblSearch.SetCaption("");
    state_.KeyCount = IsNotBlank(strIndexField4)   ? 4
                      : IsNotBlank(strIndexField3) ? 3
                      : IsNotBlank(strIndexField2) ? 2
                      : IsNotBlank(strIndexField1) ? 1
                                                   : 0;
    ParseColumnTexts();
    LayOutGrid();
    ChooseSearchColumn();
    BindFields();
    LayOutHeaders();
    SizeForm();
    ShowFirstPage();
    ready_ = true;
  } catch (const RuntimeError& error) {
    ztMSAccess::ShowFormLoadError(owner, CmdCancel, "frmztSearch", std::to_string(error.Number()),
                                  error.Description());
  } catch (const std::exception& error) {
    ztMSAccess::ShowFormLoadError(owner, CmdCancel, "frmztSearch", "0", error.what());
  }
}

// Closes the dialog's connection; the request and its result stay.
void frmztSearch::Impl::Form_Unload() {
  ready_ = false;
  colField_.fill(std::nullopt);
  keyField_.fill(std::nullopt);
  rs_.reset();
  db_.reset();
  if (wks_) wks_->Close();
  wks_.reset();
}

// Key preview: every key-down goes to the search key handler first.
void frmztSearch::Impl::Form_KeyDown(int16_t& keyCode, int16_t shift) {
  HandleSearchKey(keyCode, shift);
}

// Opens the workspace "wksSEARCH", the database (in strPathText's folder when
// one is given) and the table as a table-type recordset.
void frmztSearch::Impl::OpenTable() {
  strDBNAME = ztBasicSet::FileInFolder(strPathText, strDBNAME);
  wks_ = recordstore::DBEngine::Instance()->CreateWorkspace("wksSEARCH", "admin", "", 2);
  db_ = wks_->OpenDatabase(strDBNAME);
  rs_ = db_->OpenRecordset(strTable, 1);
}

// Parses the seven column texts into the column arrays; a type item longer
// than one character is a type letter followed by a display format.
void frmztSearch::Impl::ParseColumnTexts() {
  SearchState& s = state_;
  for (int k = 0; k < kColumns; ++k) {
    s.ColIndexName[k] = s.ColFieldName[k] = s.ColType[k] = s.ColFormat[k] = s.ColHeader[k] = " ";
    s.ColSize[k] = s.ColAlign[k] = 0;
    s.ColWidth[k] = 0;
  }
  auto texts = [](const std::string& text, std::array<std::string, kColumns>& into) {
    const std::vector<std::string> items = SplitColumnItems(text);
    for (size_t k = 0; k < items.size(); ++k) into[k] = items[k];
  };
  auto shorts = [](const std::string& text, std::array<int16_t, kColumns>& into) {
    const std::vector<std::string> items = SplitColumnItems(text);
    for (size_t k = 0; k < items.size(); ++k) {
      into[k] = Variant::Double(ItemNumber(items[k])).ToInteger();
    }
  };
  texts(strColIName, s.ColIndexName);
  texts(strColFName, s.ColFieldName);
  texts(strColFType, s.ColType);
  shorts(strColFSize, s.ColSize);
  const std::vector<std::string> widths = SplitColumnItems(strColWidth);
  for (size_t k = 0; k < widths.size(); ++k) {
    s.ColWidth[k] = Variant::Double(ItemNumber(widths[k])).ToLong();
  }
  texts(strColHText, s.ColHeader);
  shorts(strColAlign, s.ColAlign);
  for (int k = 0; k < kColumns; ++k) {
    if (s.ColType[k].size() > 1) {
      s.ColFormat[k] = s.ColType[k].substr(1);
      s.ColType[k] = s.ColType[k].substr(0, 1);
    }
  }
}

// Sizes and places the grid cells: hidden columns get width 0, each shown
// column starts where the one before it ends, sharing its 15-twip border.
void frmztSearch::Impl::LayOutGrid() {
  const SearchState& s = state_;
  for (int r = 0; r < kRows; ++r) {
    Cell(0, r).SetAlignment(s.ColAlign[0]);
    Cell(0, r).SetWidth(s.ColWidth[0]);
    for (int k = 1; k < kColumns; ++k) {
      screen::Label& cell = Cell(k, r);
      if (s.ColWidth[k] == 0) {
        cell.SetVisible(false);
        cell.SetWidth(0);
      } else {
        cell.SetAlignment(s.ColAlign[k]);
        cell.SetWidth(s.ColWidth[k]);
        cell.SetLeft(Cell(k - 1, 0).Left() + Cell(k - 1, 0).Width() - kColumnOverlap);
      }
    }
    ClearRow(r);
    UnhighlightRow(r);
  }
}

// The search column: intSearchCol (1-based; 0 means column 1), or column 1
// when that column has no index. MessageColumn follows the column taken.
void frmztSearch::Impl::ChooseSearchColumn() {
  SearchState& s = state_;
  int col = intSearchCol != 0 ? intSearchCol - 1 : 0;
  if (col < 0 || col >= kColumns) {
    throw RuntimeError(base::error::kSubscriptOutOfRange,
                       "Subscript out of range: search column " + std::to_string(intSearchCol));
  }
  if (IsBlank(s.ColIndexName[col])) col = 0;
  s.SearchIndexName = s.ColIndexName[col];
  s.SearchTextLimit = s.ColSize[col];
  s.MessageColumn = static_cast<int16_t>(col + 1);
}

// The field objects of the shown columns and of the leading keys.
void frmztSearch::Impl::BindFields() {
  for (int k = 0; k < kColumns; ++k) {
    if (k == 0 || IsNotBlank(state_.ColFieldName[k])) {
      colField_[k] = rs_->Fields(state_.ColFieldName[k]);
    }
  }
  const std::string* names[] = {&strIndexField1, &strIndexField2, &strIndexField3, &strIndexField4};
  for (int n = 1; n <= 4; ++n) {
    if (IsNotBlank(*names[n - 1])) keyField_[n] = rs_->Fields(*names[n - 1]);
  }
}

// Headers over the shown columns with their captions and colours, the
// navigation strip at the grid's right edge, and the first instruction.
void frmztSearch::Impl::LayOutHeaders() {
  SearchState& s = state_;
  s.GridRight = Cell(0, 0).Left() + Cell(0, 0).Width() + 10;
  lblHCOL0.SetWidth(Cell(0, 0).Width());
  lblHCOL0.SetCaption(" " + s.ColHeader[0]);
  lblHCOL0.SetAlignment(s.ColAlign[0]);
  for (int k = 1; k < kColumns; ++k) {
    screen::Label& header = Header(k);
    if (s.ColWidth[k] > 0) {
      const screen::Label& cell = Cell(k, 0);
      s.GridRight = cell.Left() + cell.Width() + 10;
      header.SetWidth(cell.Width());
      header.SetLeft(cell.Left());
      header.SetCaption(" " + s.ColHeader[k]);
      header.SetAlignment(s.ColAlign[k]);
    } else {
      header.SetVisible(false);
    }
  }
  if (IsNotBlank(s.ColIndexName[0])) lblHCOL0.SetBackColor(SearchHeaderColor);
  for (int k = 1; k < kColumns; ++k) {
    if (IsNotBlank(s.ColIndexName[k])) Header(k).SetBackColor(IndexedHeaderColor);
  }
  for (screen::CommandButton* button : {&cmdHKBHOME, &cmdHKBPGUP, &cmdHKBUPARROW, &cmdHKBACTION,
                                        &cmdHKBDNARROW, &cmdHKBPGDN, &cmdHKBEND}) {
    button->SetLeft(s.GridRight);
  }
  hsbMAIN.SetLeft(s.GridRight + 20);
  SetInstruction(0);
  if (IsBlank(s.ColIndexName[1])) lblInstructC.SetVisible(false);
}

// The panel, the search echo, the title and the form follow the grid's width;
// the two buttons stay at the form's right edge.
void frmztSearch::Impl::SizeForm() {
  int32_t gridWidth = 0;
  for (int k = 0; k < kColumns; ++k) gridWidth += Cell(k, 0).Width();
  state_.GridWidth = gridWidth;
  const int32_t panelWidth = cmdHKBACTION.Width() + gridWidth + 10;
  lblDisplay(0).SetWidth(panelWidth);
  lblSearch.SetWidth(panelWidth);
  lblSearchTitle.SetWidth(panelWidth);
  owner.SetWidth(panelWidth + 600);
  CmdCancel.SetLeft(owner.Width() - (CmdCancel.Width() + 380));
  CmdSelect.SetLeft(CmdCancel.Left() - (CmdSelect.Width() + 100));
}

// Finds the range's ends, the start row (for a request with periodEndingStart,
// the row before the first period-ending date within seven days of today) and fills the first page;
// an empty range shows "No Items Found" without the Select button.
void frmztSearch::Impl::ShowFirstPage() {
  SearchState& s = state_;
  s.FirstBookmark = s.TopBookmark = s.CurrentBookmark = " ";
  s.ScanBookmark = s.LastBookmark = " ";
  rs_->SetIndex(s.SearchIndexName);
  const std::string first = FindFirstInRange();
  if (IsNotBlank(first)) {
    rs_->SetBookmark(first);
    s.FirstBookmark = s.TopBookmark = s.CurrentBookmark = first;
    s.LastBookmark = FindLastInRange(first);
    screen::GetDesktop().DoEvents();
    if (periodEndingStart) FindPeriodEndingStart();
    FillPage();
  } else {
    ClearRow(s.CurrentRow);
    ShowNoItems(s.CurrentRow);
    HighlightRow(s.CurrentRow);
    CmdSelect.SetVisible(false);
  }
}

// Seeks today's date key, then each of the next six days; the row before the
// first one found becomes the top and the selection. When that row is the
// table's first, the first row stays.
void frmztSearch::Impl::FindPeriodEndingStart() {
  screen::Desktop& desktop = screen::GetDesktop();
  int16_t form = 0;
  int16_t pivot = 0;
  std::string dateText =
      ztBasicSet::ValidateDateText(desktop.ShortDateText(desktop.Today()), form, pivot);
  pivot = 0;
  std::string key = ztBasicSet::DateTextToYMD(dateText, pivot);
  for (int attempt = 1; attempt <= 7; ++attempt) {
    rs_->Seek("=", {Variant::String(key)});
    if (!rs_->NoMatch()) {
      rs_->MovePrevious();
      if (!rs_->IsBOF()) state_.TopBookmark = state_.CurrentBookmark = rs_->Bookmark();
      return;
    }
    const std::optional<double> date = desktop.ReadShortDate(dateText);
    if (!date) return;
    dateText = desktop.ShortDateText(*date + 1);
    pivot = 0;
    key = ztBasicSet::DateTextToYMD(dateText, pivot);
  }
}

void frmztSearch::Impl::SetInstruction(int16_t col) {
  if (col < 0 || col >= kColumns) {
    throw RuntimeError(base::error::kSubscriptOutOfRange,
                       "Subscript out of range: column " + std::to_string(col));
  }
  state_.SearchColumnType = state_.ColType[col];
  lblInstructA.SetCaption(state_.SearchColumnType == "N" ? kInstructNumber : kInstructText);
}

// A header click: the column becomes the search column (or the user learns
// that it has none); the focus goes back to hsbMAIN.
void frmztSearch::Impl::HeaderClick(int16_t col) {
  ChangeSearchColumn(col);
  hsbMAIN.SetFocus();
}

void frmztSearch::Impl::ChangeSearchColumn(int16_t col) {
  if (col < 0 || col >= kColumns) {
    throw RuntimeError(base::error::kSubscriptOutOfRange,
                       "Subscript out of range: column " + std::to_string(col));
  }
  SearchState& s = state_;
  if (IsBlank(s.ColIndexName[col])) {
    screen::GetDesktop().MsgBox("There is no Search Available by Column: " + s.ColHeader[col], 64,
                                "Search Not Available");
    return;
  }
  if (s.ColIndexName[col] == s.SearchIndexName || !ready_) return;
  s.SearchIndexName = s.ColIndexName[col];
  s.CurrentRow = 0;
  s.SearchText = "";
  lblSearch.SetCaption("");
  s.SearchColumnChanged = true;
  s.SearchTextLimit = s.ColSize[col];
  s.MessageColumn = static_cast<int16_t>(col + 1);
  for (int k = 0; k < kColumns; ++k) {
    if (IsNotBlank(s.ColIndexName[k])) Header(k).SetBackColor(IndexedHeaderColor);
  }
  Header(col).SetBackColor(SearchHeaderColor);
  SetInstruction(col);
  RefreshAfterSearch();
}

// SelectedRow SearchText SearchIndexName SearchTextLimit SearchColumnType
// KeyCount MessageColumn.
std::optional<Variant> frmztSearch::Impl::StateField(const std::string& name) {
  const SearchState& s = state_;
  if (name == "SelectedRow") return Variant::Integer(s.CurrentRow);
  if (name == "SearchText") return Variant::String(s.SearchText);
  if (name == "SearchIndexName") return Variant::String(s.SearchIndexName);
  if (name == "SearchTextLimit") return Variant::Integer(s.SearchTextLimit);
  if (name == "SearchColumnType") return Variant::String(s.SearchColumnType);
  if (name == "KeyCount") return Variant::Integer(s.KeyCount);
  if (name == "MessageColumn") return Variant::Integer(s.MessageColumn);
  return std::nullopt;
}
