// ztDorvane's connection and host interface: the PathText Let, opening the
// connection to MAIN.MDB (workspace "wksMAIN", six table-type recordsets, the
// job-number settings) with its "wqHalvine.ocx Error" report, the reopen on
// demand after a focus loss, the control's own focus and key handlers,
// ControlsEnabled and the property Gets. Relies on the record store, the
// settings readers of ztLOOKUP and the Desktop's message box.
#include <exception>

#include "control/ztDorvane_impl.h"
#include "services/base/error_numbers.h"
#include "services/base/user_action.h"
#include "services/recordstore/data_source.h"
#include "services/ztLOOKUP.h"

namespace {

// A Boolean as it crosses the host interface: True is -1.
int16_t HostBoolean(bool value) { return value ? -1 : 0; }

}  // namespace

// Stores the data folder, hides the edit controls, opens the connection with
// the settings and shows the working list. The folder is not checked: a wrong
// one shows up as the connection's error report.
void ztDorvane::Impl::SetPathText(const std::string& value) {
  base::UserAction action;  // the host's call is one action of its user
  settings.PathText = value;
  screen::Control* const editControls[] = {&cmdUpdate,  &CmdCancel, &btnCOSearch, &btnJOBSearch,
                                           &txtTJLNAME, &txtCONO,   &txtJOBNO,    &lblDJOBNAME};
  for (screen::Control* c : editControls) c->SetVisible(false);
  OpenConnection(true);
  ++lists.ListVersion;
  LoadTargetJobList();
}

// Opens workspace "wksMAIN" on PathText\MAIN.MDB and the six recordsets, each
// replacing (and so releasing) the object held before; with loadSettings also
// reads the job-number width and type. Any run-time error ends in the error
// report, leaving ConnectionReady False and whatever was opened in place.
void ztDorvane::Impl::OpenConnection(bool loadSettings) {
  try {
    conn.ReopenNeeded = false;
    conn.CloseFlag = false;
    conn.ConnectionReady = false;
    conn.wksMAIN = recordstore::DBEngine::Instance()->CreateWorkspace("wksMAIN", "admin", "", 2);
    conn.dbMAIN = conn.wksMAIN->OpenDatabase(settings.PathText + "\\MAIN.MDB");
    conn.rsCOLIST = conn.dbMAIN->OpenRecordset("COLIST", 1);
    conn.rsJOBLIST = conn.dbMAIN->OpenRecordset("JOBLIST", 1);
    conn.rsTJLIST = conn.dbMAIN->OpenRecordset("TJLIST", 1);
    conn.rsTJLGROUPS = conn.dbMAIN->OpenRecordset("TJLGROUPS", 1);
    conn.rsTJLITEMS = conn.dbMAIN->OpenRecordset("TJLITEMS", 1);
    conn.rsPELIST = conn.dbMAIN->OpenRecordset("PELIST", 1);
    if (loadSettings) {
      settings.JobNoSize = ztLOOKUP::GetJobNumberSize(settings.PathText);
      // The settings reader has already told the user why the width is missing.
      if (settings.JobNoSize < 1) {
        ReportConnectionError(0, "");
        return;
      }
      settings.JobNoType = ztLOOKUP::GetJobNumberType(settings.PathText);
    }
    conn.ConnectionReady = true;
    conn.OpenFailure.clear();
    conn.RetryOpen = false;
  } catch (const base::RuntimeError& error) {
    NoteOpenFailure(error.Number(), error.Description());
    ReportConnectionError(error.Number(), error.Description());
  } catch (const std::exception& error) {
    NoteOpenFailure(base::error::kInternalError, error.what());
    ReportConnectionError(base::error::kInternalError, error.what());
  }
}

// Remembers why the open failed, for the tables' error 91; a server that was
// out of reach (or lost on the way) is tried again at the next user action.
void ztDorvane::Impl::NoteOpenFailure(int32_t number, const std::string& description) {
  conn.OpenFailure = number == base::error::kFileNotFound
                         ? "the connection failed"
                         : "opening MAIN.MDB failed with error " + std::to_string(number) + " (" +
                               description + ")";
  conn.RetryOpen = recordstore::IsServerPath(settings.PathText) &&
                   (number == base::error::kFileNotFound || number == base::error::kDiskError);
}

void ztDorvane::Impl::RetryFailedOpen() {
  const uint64_t stamp = base::ActionStamp();
  if (!conn.RetryOpen || (stamp != 0 && stamp == conn.RetryStamp)) return;
  conn.RetryStamp = stamp;
  OpenConnection(settings.JobNoSize < 1);
  if (conn.ConnectionReady) LoadTargetJobList();
}

// Closes the database, then the workspace, and releases all eight objects.
// Only objects that were opened are touched.
void ztDorvane::Impl::CloseConnection() {
  if (conn.dbMAIN) conn.dbMAIN->Close();
  if (conn.wksMAIN) conn.wksMAIN->Close();
  conn.rsCOLIST.reset();
  conn.rsJOBLIST.reset();
  conn.rsTJLIST.reset();
  conn.rsTJLGROUPS.reset();
  conn.rsTJLITEMS.reset();
  conn.rsPELIST.reset();
  conn.dbMAIN.reset();
  conn.wksMAIN.reset();
  conn.CloseFlag = false;
}

// The reopen step: after a focus loss the connection is opened afresh (without
// reading the settings again) before the next database read.
void ztDorvane::Impl::EnsureConnection() {
  if (conn.ReopenNeeded) OpenConnection(false);
}

// The report of a failed open: the error number, a blank and the description;
// a host that follows errors hears of it too.
void ztDorvane::Impl::ReportConnectionError(int32_t number, const std::string& description) {
  screen::GetDesktop().MsgBox(std::to_string(number) + " " + description, 16,
                              "wqHalvine.ocx Error");
  owner.NoteReportedError(base::RuntimeError(number, description));
}

// The recordset, or run-time error 91 when the connection never opened it.
recordstore::Recordset& ztDorvane::Impl::Opened(const std::shared_ptr<recordstore::Recordset>& rs,
                                                const char* table) {
  if (!rs) RetryFailedOpen();
  if (!rs) {
    const std::string why = conn.OpenFailure.empty() ? "the connection failed" : conn.OpenFailure;
    throw base::RuntimeError(base::error::kObjectNotSet, std::string("The table ") + table +
                                                             " of MAIN.MDB is not open: " + why);
  }
  return *rs;
}

// Enables the four boxes and the scroll bar again (undoing a ControlsEnabled
// False for the boxes, not for the buttons) and puts the keyboard on the list.
// While an edit mode hides the scroll bar, the focus goes back to the box or
// button that had it instead (giving it to a hidden control is an error).
void ztDorvane::Impl::UserControl_GotFocus() {
  screen::Control* const focusable[] = {&txtCONO, &txtJOBNO, &txtBPEDATE, &txtEPEDATE, &hsbMAIN};
  for (screen::Control* c : focusable) c->SetEnabled(true);
  RetryFailedOpen();
  if (hsbMAIN.Visible()) hsbMAIN.SetFocus();
}

// Marks the connection for reopening. The connection is kept: CloseConnection
// runs only while the close flag is set, that is before the first open, when
// there is nothing to close.
void ztDorvane::Impl::UserControl_LostFocus() {
  conn.ReopenNeeded = true;
  if (conn.CloseFlag) CloseConnection();
}

// With the key preview on, every key reaches the list's key dispatcher first;
// the key is passed on unchanged to the child that has the focus.
void ztDorvane::Impl::UserControl_KeyDown(int16_t& keyCode, int16_t shift) {
  HandleListKey(keyCode, shift);
}

// Enables or disables the search buttons, "<=<" and the four boxes, in that
// order; the list rows, list buttons and hsbMAIN are not touched.
void ztDorvane::Impl::SetControlsEnabled(bool value) {
  screen::Control* const controls[] = {&btnCOSearch,  &btnJOBSearch,     &btnBPESearch,
                                       &btnEPESearch, &btnMakeLastFirst, &txtCONO,
                                       &txtJOBNO,     &txtBPEDATE,       &txtEPEDATE};
  for (screen::Control* c : controls) c->SetEnabled(value);
}

// The Gets return the stored values, with no side effects.
int16_t ztDorvane::Impl::SelectedBPETAG() const { return peRange.BPETAG; }
int16_t ztDorvane::Impl::SelectedEPETAG() const { return peRange.EPETAG; }
std::string ztDorvane::Impl::SelectedBPEDATE() const { return peRange.BPEDATE; }
std::string ztDorvane::Impl::SelectedEPEDATE() const { return peRange.EPEDATE; }
int16_t ztDorvane::Impl::IsListOK() const { return HostBoolean(entry.IsListOK); }

// The bitwise And of the two 16-bit Booleans, unless a date box is being edited.
int16_t ztDorvane::Impl::ArePEDatesOK() const {
  if (peRange.IsPEEditing) return HostBoolean(false);
  return static_cast<int16_t>(HostBoolean(peRange.IsEPEOK) & HostBoolean(peRange.IsBPEOK));
}

// RecordCount of the working list as the connection holds it; an open that
// failed has told the user already, so it counts as empty here.
int32_t ztDorvane::Impl::WorkingListRows() {
  if (!conn.ConnectionReady || !conn.rsTJLIST) return 0;
  return conn.rsTJLIST->RecordCount();
}
