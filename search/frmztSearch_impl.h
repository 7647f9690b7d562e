// frmztSearch::Impl: everything of the search dialog behind its public face:
// the search request variables, the controls in design order, the state and
// every routine (frmztSearch.cpp, frmztSearch_range.cpp, frmztSearch_page.cpp,
// frmztSearch_keys.cpp). ztSearchMod fills the request here, and the tests
// read the grid here; this header is not installed.
// Relies on the record store, the toolkit and the shared module ztMSAccess.
// Threads: the thread of the control that opens it (one dialog per thread).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "search/frmztSearch.h"
#include "services/bookmark_pager.h"
#include "services/recordstore/recordstore.h"
#include "services/screen/screen.h"
#include "services/ztMSAccess.h"

class frmztSearch::Impl {
 public:
 public:
  // Number of grid columns and rows.
  static constexpr int kColumns = 6;
  static constexpr int kRows = 12;

  // Colours, stored &H00BBGGRR.
  static constexpr uint32_t SelectedRowColor = 0x0000FFFF;
  static constexpr uint32_t RowColor = 0x00FFFFFF;
  static constexpr uint32_t SearchHeaderColor = 0x00D2D2D2;
  static constexpr uint32_t IndexedHeaderColor = 0x00A0A0A0;

  // The dialog's state, rebuilt by every load. Bookmark texts are " " when they
  // name no row.
  struct SearchState : paging::BookmarkPage {
    SearchState() { LastRowIndex = kRows - 1; }
    std::array<std::string, kColumns> ColIndexName;
    std::array<std::string, kColumns> ColFieldName;
    std::array<std::string, kColumns> ColType;
    std::array<std::string, kColumns> ColFormat;
    std::array<std::string, kColumns> ColHeader;
    std::array<int16_t, kColumns> ColSize{};
    std::array<int16_t, kColumns> ColAlign{};
    std::array<int32_t, kColumns> ColWidth{};
    int16_t KeyCount = 0;
    std::string SearchIndexName;
    int16_t SearchTextLimit = 0;
    std::string SearchColumnType;
    int16_t MessageColumn = 1;
    bool SearchColumnChanged = false;
    std::string SearchText;
    std::string ScanBookmark = " ";
    int32_t GridRight = 0;
    int32_t GridWidth = 0;
  };

  // Adds the controls to `owner` (the form) at their design values and binds
  // the event handlers.
  explicit Impl(frmztSearch& owner);
  ~Impl();
  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;

  // The implementation of a dialog, for the opener, the scripted host and the
  // tests.
  static Impl& Of(frmztSearch& form) { return *form.impl_; }

  // The form the controls are placed on.
  frmztSearch& owner;

  // --- The search request, in declaration order ---
  std::string strPathText;
  std::string strDBNAME;
  std::string strTable;
  std::string strCaption;
  std::string strSearchTitle;
  std::string strColIName;
  std::string strColFName;
  std::string strColFType;
  std::string strColFSize;
  std::string strColHText;
  std::string strColWidth;
  std::string strColAlign;
  int16_t intSearchCol = 0;
  recordstore::Variant varIndexKey1;
  std::string strIndexField1;
  recordstore::Variant varIndexKey2;
  std::string strIndexField2;
  recordstore::Variant varIndexKey3;
  std::string strIndexField3;
  recordstore::Variant varIndexKey4;
  std::string strIndexField4;
  std::string strSelBookmark = " ";
  // The request's periodEndingStart: the first page starts near today.
  bool periodEndingStart = false;

  // --- Controls, in design order ---
  screen::Label lblSearchTitle{"lblSearchTitle"};
  screen::Label lblInstructA{"lblInstructA"};
  screen::Label lblSearch{"lblSearch"};
  screen::Label lblInstructB{"lblInstructB"};
  screen::Label lblInstructC{"lblInstructC"};
  screen::ControlArray<screen::Label> lblDisplay{"lblDisplay", 1};
  screen::Label lblHCOL0{"lblHCOL0"};
  screen::Label lblHCOL1{"lblHCOL1"};
  screen::Label lblHCOL2{"lblHCOL2"};
  screen::Label lblHCOL3{"lblHCOL3"};
  screen::Label lblHCOL4{"lblHCOL4"};
  screen::Label lblHCOL5{"lblHCOL5"};
  screen::ControlArray<screen::Label> lblCOL0{"lblCOL0", kRows};
  screen::ControlArray<screen::Label> lblCOL1{"lblCOL1", kRows};
  screen::ControlArray<screen::Label> lblCol2{"lblCol2", kRows};
  screen::ControlArray<screen::Label> lblCol3{"lblCol3", kRows};
  screen::ControlArray<screen::Label> lblCol4{"lblCol4", kRows};
  screen::ControlArray<screen::Label> lblCOL5{"lblCOL5", kRows};
  screen::CommandButton cmdHKBHOME{"cmdHKBHOME"};
  screen::CommandButton cmdHKBPGUP{"cmdHKBPGUP"};
  screen::CommandButton cmdHKBUPARROW{"cmdHKBUPARROW"};
  screen::CommandButton cmdHKBACTION{"cmdHKBACTION"};
  screen::CommandButton cmdHKBDNARROW{"cmdHKBDNARROW"};
  screen::CommandButton cmdHKBPGDN{"cmdHKBPGDN"};
  screen::CommandButton cmdHKBEND{"cmdHKBEND"};
  screen::CommandButton CmdSelect{"CmdSelect"};
  screen::CommandButton CmdCancel{"CmdCancel"};
  screen::HScrollBar hsbMAIN{"hsbMAIN"};

  // The state as the last load and the user's actions left it.
  const SearchState& State() const { return state_; }
  // Fields of the state by name for the scripted host's `state` command;
  // std::nullopt for a name the dialog does not know.
  std::optional<recordstore::Variant> StateField(const std::string& name);

  // Takes the search column's type and shows the matching first instruction.
  // A column outside 0..5 raises run-time error 9.
  void SetInstruction(int16_t col);
  // Makes column col (0..5) the search column, or says that it has no index.
  void ChangeSearchColumn(int16_t col);
  // The dialog's key handler (every key-down, through key preview, and the
  // navigation buttons): type-ahead, Backspace, Esc and the navigation keys.
  // Sets keyCode to 0 except after Esc.
  void HandleSearchKey(int16_t& keyCode, int16_t shift);

  // --- frmztSearch.cpp: set-up ---
  void AddControls();
  void SetDesignValues();
  void BindEvents();
  void Form_Load();
  void Form_Unload();
  void Form_KeyDown(int16_t& keyCode, int16_t shift);
  void OpenTable();
  void ParseColumnTexts();
  void LayOutGrid();
  void ChooseSearchColumn();
  void BindFields();
  void LayOutHeaders();
  void SizeForm();
  void ShowFirstPage();
  void FindPeriodEndingStart();
  void HeaderClick(int16_t col);

  // --- frmztSearch_range.cpp: the range and its ends ---
  // Bookmark text of the range's first row; " " for an empty table, "" for a
  // keyed range without rows.
  std::string FindFirstInRange();
  // True when the recordset stands on a row of the range.
  bool IsCurrentInRange();
  // Bookmark text of the range's last row, given its first row.
  std::string FindLastInRange(const std::string& firstBookmark);
  // The key pairs of the range (leading keys and their fields).
  std::vector<ztMSAccess::KeyField> RangePairs() const;
  bool TableIsEmpty();

  // --- frmztSearch_page.cpp: the grid page and navigation ---
  screen::Label& Cell(int col, int row);
  screen::Label& Header(int col);
  bool ColumnShown(int col) const;
  void ClearRow(int row);
  void ShowRowMessage(int row, const std::string& text);
  void ShowEndOfList(int row);
  void ShowNoItems(int row);
  void UnhighlightRow(int row);
  void HighlightRow(int row);
  void FillRow(int row);
  void ShowCell(screen::Label& cell, int col);
  void ShiftRowsUp();
  void ShiftRowsDown();
  void FillPage();
  void ShowEmptyRange();
  void SelectRow(int16_t row);
  void MoveSelection(int16_t key);
  // The grid's rows as the shared pager walks and draws them.
  class GridRows;
  void PageUp();
  void PageDown();
  void LocateSelection();
  void cmdHKBACTION_Click();
  void CmdSelect_Click();
  void CmdCancel_Click();

  // --- frmztSearch_keys.cpp ---
  // The navigation buttons press their keys: each goes to HandleSearchKey,
  // then the focus goes back to hsbMAIN.
  void WireNavigationButtons();
  void NavigationClick(int16_t keyCode);
  void SeekTypedText();
  void RefreshAfterSearch();
  void ShowSearchText();

  SearchState state_;
  bool ready_ = false;  // the load opened the table and laid out the grid
  std::shared_ptr<recordstore::Workspace> wks_;
  std::shared_ptr<recordstore::Database> db_;
  std::shared_ptr<recordstore::Recordset> rs_;
  std::array<std::optional<recordstore::Field>, kColumns> colField_;
  std::array<std::optional<recordstore::Field>, 5> keyField_;  // 1..4 used
};
