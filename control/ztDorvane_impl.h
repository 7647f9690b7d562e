// ztDorvane::Impl: everything of the control behind its public face: the
// child controls in design order, the state (one struct a group) and every
// routine of the control, split by concern over the control/ztDorvane*.cpp
// files (see ztDorvane.h for the list). The public ztDorvane forwards its
// host members here; the control's own code, the scripted host and the tests
// reach the rest through this header, which is not installed.
// Relies on the toolkit (services/screen), the record store
// (services/recordstore) and the shared modules ztBasicSet, ztLOOKUP and
// ztMSAccess.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "control/ztDorvane.h"
#include "services/bookmark_pager.h"
#include "services/recordstore/recordstore.h"
#include "services/screen/screen.h"

class ztDorvane::Impl {
 public:
  // Builds the screen on `owner` (the user control the host placed), binds
  // the events and gives the state its starting values.
  explicit Impl(ztDorvane& owner);
  ~Impl();
  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;

  // The implementation of a control, for the scripted host and the tests.
  static Impl& Of(ztDorvane& control) { return *control.impl_; }

  // The user control the children are placed on.
  ztDorvane& owner;

  // --- The host members (ztDorvane.h says what each does) ---
  void SetPathText(const std::string& value);
  int16_t SelectedBPETAG() const;
  int16_t SelectedEPETAG() const;
  void SetSelectedBPETAG(int16_t myTAG);
  void SetSelectedEPETAG(int16_t myTAG);
  std::string SelectedBPEDATE() const;
  std::string SelectedEPEDATE() const;
  int16_t IsListOK() const;
  int16_t ArePEDatesOK() const;
  void SetControlsEnabled(bool value);
  int32_t WorkingListRows();
  std::optional<recordstore::Variant> StateField(const std::string& name);

  // --- ztDorvane.cpp ---
  // Gives every child its design values and adds it in design order.
  void BuildScreen();
  void PlaceLabel(screen::Label& lbl, int32_t left, int32_t top, int32_t width, int32_t height,
                  uint32_t backColor, const std::string& caption);
  void PlaceButton(screen::CommandButton& cmd, int32_t left, int32_t top, int32_t width,
                   int32_t height, const std::string& caption);
  void PlaceTextBox(screen::TextBox& txt, int32_t left, int32_t top, int32_t width, int32_t height,
                    uint32_t backColor, int maxLength);
  // Gives the children their TabIndex and TabStop values.
  void SetTabOrder();
  // Gives the state its initial values.
  void UserControl_Initialize();

  // --- ztDorvane_connection.cpp ---
  void OpenConnection(bool loadSettings);
  void CloseConnection();
  // The reopen step of every database read made in reaction to the user.
  void EnsureConnection();
  // The "wqHalvine.ocx Error" box.
  void ReportConnectionError(int32_t number, const std::string& description);
  // The recordset when the connection opened it; run-time error 91 naming the
  // table and why the open failed otherwise (OpenConnection has reported it).
  // A server that could not be reached is tried again first, once an action.
  recordstore::Recordset& Opened(const std::shared_ptr<recordstore::Recordset>& rs,
                                 const char* table);
  // Opens the connection again after an open that failed for want of the
  // server, and draws the list when it succeeds; once per user action.
  void RetryFailedOpen();
  void NoteOpenFailure(int32_t number, const std::string& description);
  void UserControl_GotFocus();
  void UserControl_LostFocus();
  void UserControl_KeyDown(int16_t& keyCode, int16_t shift);

  // --- ztDorvane_page.cpp: the target job list page ---
  void WirePage();
  void FillRow(int16_t row);
  void ClearRow(int16_t row);
  void ShowEndOfList(int16_t row);
  void ShowListEmpty(int16_t row);
  void PaintRowNormal(int16_t row);
  void PaintRowHighlight(int16_t row);
  void ShiftRowsUp();
  void ShiftRowsDown();
  bool HasCurrentRecord();
  void ShowPage();
  void MoveInList(int16_t keyCode);
  void HandleListKey(int16_t keyCode, int16_t shift);
  void RowClick(int16_t row);
  void ReloadWorkingList();
  // `pickedTag`: the saved list the user just chose (0 for New List), which
  // the working rows' tags then do not override.
  void LoadTargetJobList(std::optional<int32_t> pickedTag = std::nullopt);
  void cmdHKBPGUP_Click();
  void cmdHKBPGDN_Click();
  void cmdHKBUPARROW_Click();
  void cmdHKBDNARROW_Click();
  void cmdHKBACTION_Click();
  void lblCONO_Click(int16_t index);
  void lblJOBNO_Click(int16_t index);
  void lblJOBNAME_Click(int16_t index);
  // Helpers of the page keys and the rebuild (ztDorvane_page.cpp, ztDorvane_nav.cpp).
  recordstore::Recordset& ListRecordset();
  // The JOBLIST seek keys of a row's company and job captions, and the read
  // ahead of the next rows' job names (ztDorvane_page.cpp).
  std::vector<recordstore::Variant> JobListKey(const std::string& conoCaption,
                                               const std::string& jobnoCaption) const;
  void ExpectJobNames(int16_t rows);
  bool MoveToFirstRecord();
  // The page's rows as the shared pager walks and draws them.
  class ListRows;
  void MovePage(bool forward);
  void FindCurrentRow();
  void ReloadFallback();
  // Another workstation's deletions (ztDorvane_page.cpp): the bookmark of the
  // record the list recordset stands on, its keys noted; the nearest record
  // left of a bookmark's; the page drawn again around those; and a page step
  // run so that a deleted record it meets redraws the page instead of failing.
  std::string PageMark();
  std::string Survivor(const std::string& bookmark);
  void RedrawFromSurvivors();
  void KeepPageInStep(const std::function<void()>& step, bool again);
  void MoveOnPage(int16_t keyCode);

  // --- ztDorvane_entry.cpp: entry editing ---
  void WireEntry();
  void CmdAdd_Click();
  void CmdEdit_Click();
  void CmdDelete_Click();
  void btnCOSearch_Click();
  void btnJOBSearch_Click();
  void txtCONO_GotFocus();
  void txtCONO_LostFocus();
  void txtCONO_Change();
  void txtCONO_KeyPress(int16_t& keyAscii);
  void txtJOBNO_GotFocus();
  void txtJOBNO_LostFocus();
  void txtJOBNO_Change();
  void txtJOBNO_KeyPress(int16_t& keyAscii);
  void SearchCompany();
  void SearchJob();
  void ValidateCompanyNumber();
  void ValidateJobNumber();
  void PrepareAddRow();
  // The end of a row edit by cmdUpdate (write the checked entry) or CmdCancel.
  void RowEditUpdate();
  void RowEditCancel();
  void PaintEntry(screen::Control& box, uint32_t colour);

  // --- ztDorvane_editmode.cpp: the edit mode and the two buttons that end it ---
  void WireEditMode();
  void cmdUpdate_Click();
  void CmdCancel_Click();
  void BeginEditMode();
  void EndEditMode();
  void ShowListControls(bool visible);
  void PlaceEntryControls(int32_t top, int32_t searchOffset);

  // --- ztDorvane_lists.cpp: saved lists ---
  void WireLists();
  void cmdNewList_Click();
  void cmdRetreiveList_Click();
  void cmdSaveList_Click();
  void txtTJLNAME_KeyPress(int16_t& keyAscii);
  // End the save-list mode: cmdUpdate saves the list, CmdCancel drops the name.
  void SaveListUpdate();
  void SaveListCancel();
  // Helpers of the saved lists (ztDorvane_lists.cpp).
  void ReplaceWorkingList(const std::function<void()>& chooseTag, bool copySaved);
  void EmptyWorkingList();
  void CopySavedListItems();
  int WriteSavedList(bool isNewList);
  void ShowListScreen(bool visible);
  void LeaveSaveListScreen();
  void ReturnToList();

  // --- ztDorvane_perange.cpp: the period-ending range ---
  void WirePERange();
  void btnBPESearch_Click();
  void btnEPESearch_Click();
  void txtBPEDATE_Change();
  void txtEPEDATE_Change();
  void txtBPEDATE_GotFocus();
  void txtEPEDATE_GotFocus();
  void txtBPEDATE_LostFocus();
  void txtEPEDATE_LostFocus();
  void txtBPEDATE_KeyPress(int16_t& keyAscii);
  void txtEPEDATE_KeyPress(int16_t& keyAscii);
  void btnMakeLastFirst_Click();
  void SearchBeginningPEDate();
  void SearchEndingPEDate();
  void ValidateBeginningPEDate();
  void ValidateEndingPEDate();
  // Ends the date-edit mode: cmdUpdate keeps the checks' verdicts, CmdCancel
  // accepts both ends.
  void PEDateUpdate();
  void PEDateCancel();
  // The Let sides of the two tags share one preset, and the twin handlers one
  // body each, given one end of the range: its box, label and state.
  struct PEEnd;
  PEEnd BeginningEnd();
  PEEnd EndingEnd();
  // Shows the PELIST row on which the recordset stands in the end's box and
  // label, and takes its tag.
  void ShowPERow(const PEEnd& end, recordstore::Recordset& pelist);
  void SearchPEDate(const PEEnd& end);
  bool FindTypedPEDate(const PEEnd& end);
  void StepPEDate(const PEEnd& end, int16_t& keyAscii);
  void PresetPETag(const PEEnd& end, int16_t myTAG);
  void PEDateGotFocus(const PEEnd& end);
  void PaintPEEnd(const PEEnd& end, uint32_t color);

  // --- The screen, in design order ---
  screen::Label lblCompany{"lblCompany"};
  screen::Label lblTJLNAME{"lblTJLNAME"};
  screen::TextBox txtTJLNAME{"txtTJLNAME"};
  screen::Label lblHCONO{"lblHCONO"};
  screen::Label lblHJOBNO{"lblHJOBNO"};
  screen::Label lblHJOBNAME{"lblHJOBNAME"};
  screen::ControlArray<screen::Label> lblCONO{"lblCONO", 4};
  screen::ControlArray<screen::Label> lblJOBNO{"lblJOBNO", 4};
  screen::ControlArray<screen::Label> lblJOBNAME{"lblJOBNAME", 4};
  screen::TextBox txtCONO{"txtCONO"};
  screen::CommandButton btnCOSearch{"btnCOSearch"};
  screen::TextBox txtJOBNO{"txtJOBNO"};
  screen::CommandButton btnJOBSearch{"btnJOBSearch"};
  screen::Label lblDJOBNAME{"lblDJOBNAME"};
  screen::CommandButton CmdAdd{"CmdAdd"};
  screen::CommandButton CmdEdit{"CmdEdit"};
  screen::CommandButton CmdDelete{"CmdDelete"};
  screen::CommandButton cmdSaveList{"cmdSaveList"};
  screen::CommandButton cmdRetreiveList{"cmdRetreiveList"};
  screen::CommandButton cmdNewList{"cmdNewList"};
  screen::CommandButton cmdUpdate{"cmdUpdate"};
  screen::CommandButton CmdCancel{"CmdCancel"};
  screen::CommandButton cmdHKBPGUP{"cmdHKBPGUP"};
  screen::CommandButton cmdHKBUPARROW{"cmdHKBUPARROW"};
  screen::CommandButton cmdHKBACTION{"cmdHKBACTION"};
  screen::CommandButton cmdHKBDNARROW{"cmdHKBDNARROW"};
  screen::CommandButton cmdHKBPGDN{"cmdHKBPGDN"};
  screen::HScrollBar hsbMAIN{"hsbMAIN"};
  screen::Label lblBPEDATE{"lblBPEDATE"};
  screen::Label lblEPEDATE{"lblEPEDATE"};
  screen::TextBox txtBPEDATE{"txtBPEDATE"};
  screen::TextBox txtEPEDATE{"txtEPEDATE"};
  screen::CommandButton btnBPESearch{"btnBPESearch"};
  screen::CommandButton btnEPESearch{"btnEPESearch"};
  screen::CommandButton btnMakeLastFirst{"btnMakeLastFirst"};
  screen::Label lblBPETEXTDATE{"lblBPETEXTDATE"};
  screen::Label lblEPETEXTDATE{"lblEPETEXTDATE"};

  // --- The control's state, one struct a group ---

  // The data folder the host set and the job-number settings read from it
  // when PathText is set; kept for the life of the control.
  struct Settings {
    std::string PathText;
    int16_t JobNoSize = 0;  // width of a job number
    std::string JobNoType;  // "N" or "C"
  };

  // The connection to MAIN.MDB (workspace declared first, so it is released
  // last) and the flags of its lifecycle.
  struct Connection {
    std::shared_ptr<recordstore::Workspace> wksMAIN;
    std::shared_ptr<recordstore::Database> dbMAIN;
    std::shared_ptr<recordstore::Recordset> rsCOLIST;
    std::shared_ptr<recordstore::Recordset> rsJOBLIST;
    std::shared_ptr<recordstore::Recordset> rsTJLIST;
    std::shared_ptr<recordstore::Recordset> rsTJLGROUPS;
    std::shared_ptr<recordstore::Recordset> rsTJLITEMS;
    std::shared_ptr<recordstore::Recordset> rsPELIST;
    bool ReopenNeeded = false;     // the connection must be opened again before the next read
    bool CloseFlag = false;        // CloseConnection may run on focus loss (before the first open)
    bool ConnectionReady = false;  // the last OpenConnection ended well
    std::string OpenFailure;       // why the last OpenConnection failed ("" when it did not)
    bool RetryOpen = false;        // that failure was the server's: try again at the next action
    uint64_t RetryStamp = 0;       // the user action that tried last
  };

  // The colours the control paints with, fixed by UserControl_Initialize.
  struct Colors {
    uint32_t RowHighlightColor = 0;
    uint32_t RowNormalColor = 0;
    uint32_t EntryBoxColor = 0;  // good-state colour of the entry boxes
    uint32_t PEBoxColor = 0;     // good-state colour of the date boxes
    uint32_t ErrorColor = 0;     // bad-state colour of boxes and labels
  };

  // The list page: the bookmarks it is drawn from and the highlighted row
  // (the shared pager's), and the keys of the rows they name.
  struct PageState : paging::BookmarkPage {
    // The "TJLIST" keys (company, job number) of the records that the
    // bookmarks above name, and of a few others the page took lately: where
    // another workstation deletes one, the page finds its neighbours by them.
    std::map<std::string, std::vector<recordstore::Variant>> RowKeys;
  };

  // The row edit that is on, if any.
  enum class RowEdit { None, Adding, Editing };
  // The entry box that a row edit starts in.
  enum class EntryBox : int16_t { Company = 1, Job = 2 };

  // The entry boxes and the row edit.
  struct EntryState {
    RowEdit EntryMode = RowEdit::None;
    bool EntryValid = false;
    bool IsListOK = false;  // no list row is being edited
    int16_t CompanyNo = 0;
    std::string JobNoText;
    EntryBox FocusColumn = EntryBox::Company;
    int16_t EntryRow = 0;
    float EntryRowTop = 0;
    float EntryHomeTop = 0;
  };

  // The saved list the working list belongs to and the save-list mode.
  struct SavedListState {
    int32_t CurrentTJLTAG = 0;
    bool IsSavingList = false;
    uint64_t ListVersion = 0;  // see WorkingListVersion
  };

  // The period-ending range: both ends and the date-edit mode.
  struct PERangeState {
    int16_t BPETAG = 0;
    int16_t EPETAG = 0;
    std::string BPEDATE;
    std::string EPEDATE;
    bool IsBPEOK = false;
    bool IsEPEOK = false;
    bool IsPEEditing = false;
  };

  Connection conn;
  Settings settings;
  Colors colors;
  PageState page;
  EntryState entry;
  SavedListState lists;
  PERangeState peRange;
};

// The TJLIST rows of the page as the shared pager sees them. The recordset
// is asked for when a move first needs it, in "TJLIST" order.
class ztDorvane::Impl::ListRows final : public paging::PageRows {
 public:
  explicit ListRows(Impl& control) : c_(control) {}
  bool OnRow() override { return c_.HasCurrentRecord(); }
  std::string Mark() override { return c_.PageMark(); }
  void Go(const std::string& bookmark) override { List().SetBookmark(bookmark); }
  void Step(bool forward) override { forward ? List().MoveNext() : List().MovePrevious(); }
  void Fill(int16_t row) override { c_.FillRow(row); }
  void ShowEnd(int16_t row) override { c_.ShowEndOfList(row); }
  void Clear(int16_t row) override { c_.ClearRow(row); }
  void Paint(int16_t row, bool highlighted) override {
    highlighted ? c_.PaintRowHighlight(row) : c_.PaintRowNormal(row);
  }
  void ShiftUp() override { c_.ShiftRowsUp(); }
  void ShiftDown() override { c_.ShiftRowsDown(); }
  void BeforeDraw() override { c_.ExpectJobNames(static_cast<int16_t>(c_.page.LastRowIndex + 1)); }

 private:
  recordstore::Recordset& List() {
    if (rs_ == nullptr) rs_ = &c_.ListRecordset();
    return *rs_;
  }
  Impl& c_;
  recordstore::Recordset* rs_ = nullptr;
};
