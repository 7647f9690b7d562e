// ztDorvane's saved target job lists: starting a new, empty working list,
// retrieving a saved list (TJLGROUPS row plus TJLITEMS rows) into the working
// table TJLIST through the list search, and the save-list mode, in which the
// list's name is typed into txtTJLNAME and cmdUpdate saves the working list
// under it (CmdCancel drops it).
//
// Every change of the tables made here is one transaction of the control's
// workspace, committed with a forced write: a saved list is either its old
// self or its new self, and the working list either what it was or the list
// retrieved, whenever the program stops. The tag of a new list comes from the
// allocator before that transaction begins, as the allocator takes the write
// lock of MAIN.MDB through a workspace of its own.
//
// Relies on the page of ztDorvane_page.cpp (LoadTargetJobList, the row
// colours, HasCurrentRecord), the record store, ztMSAccess (null check, keyed
// scans, tag allocator), ztBasicSet (blank tests, keystrokes) and the search
// opener of ztSearchMod.
#include <cassert>
#include <vector>

#include "control/ztDorvane_impl.h"
#include "search/ztSearchMod.h"
#include "services/base/error_numbers.h"
#include "services/ztBasicSet.h"
#include "services/ztMSAccess.h"

using ztBasicSet::IsBlank;
using ztBasicSet::IsNotBlank;

namespace {

// The one key pair of the scans on a list's rows: the tag against TJLTAG.
std::vector<ztMSAccess::KeyField> TagKey(recordstore::Recordset& rs, int32_t tag) {
  return {{recordstore::Variant::Long(tag), rs.Fields("TJLTAG")}};
}

// One transaction of a workspace: begun when made, committed with a forced
// write by Commit, rolled back when left uncommitted (an error on the way).
class ListTransaction {
 public:
  explicit ListTransaction(recordstore::Workspace& wks) : wks_(wks) { wks_.BeginTrans(); }
  ~ListTransaction() {
    if (!open_) return;
    try {
      wks_.Rollback();
    } catch (const base::RuntimeError&) {
      // The workspace is already closed, which rolled the writes back.
    }
  }
  ListTransaction(const ListTransaction&) = delete;
  ListTransaction& operator=(const ListTransaction&) = delete;

  // Makes the writes visible together and forces them to disk.
  void Commit() {
    wks_.CommitTrans(1);
    open_ = false;
  }

 private:
  recordstore::Workspace& wks_;
  bool open_ = true;
};

// The control's workspace, which the open recordsets guarantee.
recordstore::Workspace& MainWorkspace(const std::shared_ptr<recordstore::Workspace>& wks) {
  assert(wks != nullptr);
  return *wks;
}

constexpr int kOkOnly = 0;  // message box style: OK only, no icon

}  // namespace

// Binds the three list buttons and the name box; cmdUpdate and CmdCancel are
// bound with the entry editing, which hands the save-list mode over here.
void ztDorvane::Impl::WireLists() {
  cmdNewList.Click = [this] { cmdNewList_Click(); };
  cmdRetreiveList.Click = [this] { cmdRetreiveList_Click(); };
  cmdSaveList.Click = [this] { cmdSaveList_Click(); };
  txtTJLNAME.KeyPress = [this](int16_t& keyAscii) { txtTJLNAME_KeyPress(keyAscii); };
}

// --- New and retrieved lists ---

// Deletes every row of TJLIST, first row first, and opens the recordset
// afresh. A row that another workstation deleted first (emptying the list at
// the same time) is gone all the same; should it still be found afterwards,
// the deletion fails. Runs inside the caller's transaction.
void ztDorvane::Impl::EmptyWorkingList() {
  recordstore::Recordset& tjlist = Opened(conn.rsTJLIST, "TJLIST");
  std::string goneBefore;
  while (!tjlist.IsEmpty()) {
    try {
      tjlist.MoveFirst();
    } catch (const base::RuntimeError& error) {
      if (error.Number() != base::error::kNoCurrentRecord) throw;
      break;  // emptied by another workstation meanwhile
    }
    const std::string first = tjlist.Bookmark();
    try {
      tjlist.Delete();
    } catch (const base::RuntimeError& error) {
      if (error.Number() != base::error::kRecordDeleted || first == goneBefore) throw;
      goneBefore = first;
    }
  }
  tjlist.Close();
  conn.rsTJLIST = conn.dbMAIN->OpenRecordset("TJLIST", 1);
  ++lists.ListVersion;
}

// Replaces the working list in one transaction: `chooseTag` sets the tag of
// the list that takes its place, then the working rows go and, with
// `copySaved`, that saved list's items come in. When the database refuses the
// change (another program holds it), the working list and its tag stay as
// they were, the scroll bar takes the focus and the error goes on.
void ztDorvane::Impl::ReplaceWorkingList(const std::function<void()>& chooseTag, bool copySaved) {
  const int32_t formerTag = lists.CurrentTJLTAG;
  try {
    chooseTag();
    ListTransaction transaction(MainWorkspace(conn.wksMAIN));
    EmptyWorkingList();
    if (copySaved) CopySavedListItems();
    transaction.Commit();
  } catch (const base::RuntimeError&) {
    lists.CurrentTJLTAG = formerTag;
    hsbMAIN.SetFocus();
    throw;
  }
}

// Empties the working list without a question and shows it as a new list.
// Saved lists are not touched. When the database refuses the change (another
// program holds it), the working list and its tag stay as they were.
void ztDorvane::Impl::cmdNewList_Click() {
  ReplaceWorkingList(
      [this] {
        lists.CurrentTJLTAG = 0;
        Opened(conn.rsTJLIST, "TJLIST");
      },
      false);
  LoadTargetJobList(0);
  hsbMAIN.SetFocus();
}

// Copies the items of saved list CurrentTJLTAG, in "TJLITEMS" order, into the
// (empty) working list, each carrying the list's tag; then opens TJLIST
// afresh. Runs inside the caller's transaction.
void ztDorvane::Impl::CopySavedListItems() {
  recordstore::Recordset& items = Opened(conn.rsTJLITEMS, "TJLITEMS");
  const std::string listBookmarkText =
      ztMSAccess::SeekMatchingRecord(items, "TJLITEMS", TagKey(items, lists.CurrentTJLTAG));
  recordstore::Recordset& tjlist = Opened(conn.rsTJLIST, "TJLIST");
  if (IsNotBlank(listBookmarkText)) {
    items.SetIndex("TJLITEMS");
    items.SetBookmark(listBookmarkText);
    while (ztMSAccess::RecordMatchesKeys(items, TagKey(items, lists.CurrentTJLTAG))) {
      tjlist.AddNew();
      tjlist.Fields("TJLTAG").SetValue(recordstore::Variant::Long(lists.CurrentTJLTAG));
      tjlist.Fields("CONO").SetValue(ztMSAccess::FieldValue(items, "CONO"));
      tjlist.Fields("JOBNO").SetValue(ztMSAccess::FieldValue(items, "JOBNO"));
      tjlist.Update();
      items.MoveNext();
    }
  }
  tjlist.Close();
  conn.rsTJLIST = conn.dbMAIN->OpenRecordset("TJLIST", 1);
  ++lists.ListVersion;
}

// Lets the user choose a saved list by name and makes it the working list,
// replacing the working rows (saved or not). A search closed without a choice
// changes nothing. When the database refuses the change, the working list and
// its tag stay as they were.
void ztDorvane::Impl::cmdRetreiveList_Click() {
  ztSearchMod::SearchRequest request{.pathText = settings.PathText,
                                     .dbName = "MAIN",
                                     .tableName = "TJLGROUPS",
                                     .caption = "Search Target Job Lists",
                                     .searchTitle = "Description",
                                     .searchCol = 0};
  request.columns = {{.indexName = "TJLGROUPS",
                      .fieldName = "TJLNAME",
                      .type = "C",
                      .size = "50",
                      .header = "Description",
                      .width = "5000",
                      .align = "0"}};
  const std::string searchBookmarkText = ztSearchMod::OpenSearch(request);
  if (IsNotBlank(searchBookmarkText)) {
    ReplaceWorkingList(
        [&] {
          recordstore::Recordset& groups = Opened(conn.rsTJLGROUPS, "TJLGROUPS");
          groups.SetBookmark(searchBookmarkText);
          lists.CurrentTJLTAG = ztMSAccess::FieldValue(groups, "TJLTAG").ToLong();
        },
        true);
    LoadTargetJobList(lists.CurrentTJLTAG);
  }
  hsbMAIN.SetFocus();
}

// --- The save-list mode ---

// Shows (visible) or hides what the save-list mode covers, hsbMAIN aside: the
// navigation buttons, the list buttons and the period-ending controls.
void ztDorvane::Impl::ShowListScreen(bool visible) {
  screen::Control* const covered[] = {
      &cmdHKBPGUP,     &cmdHKBPGDN,     &cmdHKBUPARROW, &cmdHKBACTION, &cmdHKBDNARROW,
      &CmdAdd,         &CmdEdit,        &CmdDelete,     &cmdSaveList,  &cmdRetreiveList,
      &cmdNewList,     &txtBPEDATE,     &txtEPEDATE,    &lblBPEDATE,   &lblEPEDATE,
      &lblBPETEXTDATE, &lblEPETEXTDATE, &btnBPESearch,  &btnEPESearch, &btnMakeLastFirst};
  for (screen::Control* c : covered) c->SetVisible(visible);
}

// Turns the save-list mode on: the list screen makes way for the name box,
// which offers the saved list's name as stored (or 50 blanks for a list that
// was never saved or whose group row is gone), all of it selected. The page
// rows and their highlight stay as they are.
void ztDorvane::Impl::cmdSaveList_Click() {
  lists.IsSavingList = true;
  owner.SetKeyPreview(false);
  hsbMAIN.SetVisible(false);
  ShowListScreen(false);
  cmdUpdate.SetVisible(true);
  CmdCancel.SetVisible(true);

  std::string name(static_cast<size_t>(txtTJLNAME.MaxLength()), ' ');
  if (lists.CurrentTJLTAG != 0) {
    recordstore::Recordset& groups = Opened(conn.rsTJLGROUPS, "TJLGROUPS");
    const std::string listBookmarkText =
        ztMSAccess::SeekMatchingRecord(groups, "TJLGTJLTAG", TagKey(groups, lists.CurrentTJLTAG));
    if (IsNotBlank(listBookmarkText)) {
      groups.SetBookmark(listBookmarkText);
      name = ztMSAccess::FieldValue(groups, "TJLNAME").ToString();
    }
  }
  txtTJLNAME.SetText(name);
  txtTJLNAME.SetVisible(true);
  txtTJLNAME.SetFocus();
  ztBasicSet::SelectAllText(txtTJLNAME);
}

// Enter moves the focus on as a Tab would; letters keep their case.
void ztDorvane::Impl::txtTJLNAME_KeyPress(int16_t& keyAscii) {
  keyAscii = ztBasicSet::TranslateKeyPress(keyAscii, false);
}

// Takes the list screen back from the save-list mode, hsbMAIN aside.
void ztDorvane::Impl::LeaveSaveListScreen() {
  ShowListScreen(true);
  cmdUpdate.SetVisible(false);
  CmdCancel.SetVisible(false);
  txtTJLNAME.SetVisible(false);
}

// Gives the keyboard back to the list.
void ztDorvane::Impl::ReturnToList() {
  owner.SetKeyPreview(true);
  hsbMAIN.SetVisible(true);
  hsbMAIN.SetFocus();
}

// Writes the working list as saved list CurrentTJLTAG: the group row named
// as the box says (added for a new list, re-created when it has gone),
// the old items removed, then, from TJLIST's first row in its current order,
// the tag written into each working row and an item added for it. A new
// list's group row is always added: should its fresh tag already name a saved
// list (the counter lagging behind TJLGROUPS), the unique index refuses it
// and that list stays untouched. A working row that another workstation
// deletes while the save runs is left out, as if deleted before it. Returns
// the number of items written, 0 when the working list was emptied meanwhile.
// Runs inside the caller's transaction.
int ztDorvane::Impl::WriteSavedList(bool isNewList) {
  assert(lists.CurrentTJLTAG != 0);
  recordstore::Recordset& tjlist = Opened(conn.rsTJLIST, "TJLIST");
  try {
    tjlist.MoveFirst();
  } catch (const base::RuntimeError& error) {
    if (error.Number() != base::error::kNoCurrentRecord) throw;
    return 0;
  }

  recordstore::Recordset& groups = Opened(conn.rsTJLGROUPS, "TJLGROUPS");
  std::string listBookmarkText;
  if (!isNewList) {
    listBookmarkText =
        ztMSAccess::SeekMatchingRecord(groups, "TJLGTJLTAG", TagKey(groups, lists.CurrentTJLTAG));
  }
  if (isNewList || IsBlank(listBookmarkText)) {
    groups.AddNew();
    groups.Fields("TJLTAG").SetValue(recordstore::Variant::Long(lists.CurrentTJLTAG));
  } else {
    groups.SetBookmark(listBookmarkText);
    groups.Edit();
  }
  groups.Fields("TJLNAME").SetValue(recordstore::Variant::String(txtTJLNAME.Text()));
  groups.Update();

  recordstore::Recordset& oldItems = Opened(conn.rsTJLITEMS, "TJLITEMS");
  while (IsNotBlank(ztMSAccess::SeekMatchingRecord(oldItems, "TJLITEMS",
                                                   TagKey(oldItems, lists.CurrentTJLTAG)))) {
    oldItems.Delete();
  }
  oldItems.Close();
  conn.rsTJLITEMS = conn.dbMAIN->OpenRecordset("TJLITEMS", 1);

  recordstore::Recordset& items = *conn.rsTJLITEMS;
  int written = 0;
  for (; HasCurrentRecord(); tjlist.MoveNext()) {
    try {
      tjlist.Edit();
      tjlist.Fields("TJLTAG").SetValue(recordstore::Variant::Long(lists.CurrentTJLTAG));
      tjlist.Update();
    } catch (const base::RuntimeError& error) {
      if (error.Number() != base::error::kRecordDeleted) throw;
      continue;  // deleted by another workstation since it was read
    }
    items.AddNew();
    items.Fields("TJLTAG").SetValue(recordstore::Variant::Long(lists.CurrentTJLTAG));
    items.Fields("CONO").SetValue(ztMSAccess::FieldValue(tjlist, "CONO"));
    items.Fields("JOBNO").SetValue(ztMSAccess::FieldValue(tjlist, "JOBNO"));
    items.Update();
    ++written;
  }
  return written;
}

// cmdUpdate in the save-list mode: saves the working list under the typed
// name, as a new list (a new tag) or over the saved list it belongs to, whose
// items are replaced as a whole. An empty working list is refused. When no
// tag can be issued for a new list, the allocator has told the user and the
// mode stays on with the typed name, to try again or cancel; nothing is
// written. When the database refuses the save, nothing of it is written, the
// mode ends, the label and the tag stay as they were, and the error reaches
// the host's report. A working list that another workstation empties while
// the save runs is refused as empty, and nothing is written.
void ztDorvane::Impl::SaveListUpdate() {
  assert(lists.IsSavingList);
  const bool listIsEmpty = Opened(conn.rsTJLIST, "TJLIST").IsEmpty();
  int32_t tag = lists.CurrentTJLTAG;
  if (!listIsEmpty && tag == 0) {
    tag = ztMSAccess::wqGetNewTag(settings.PathText, "TJLTAG", "", "", 0);
    if (tag == 0) {
      txtTJLNAME.SetFocus();
      ztBasicSet::SelectAllText(txtTJLNAME);
      return;
    }
  }

  LeaveSaveListScreen();
  lists.IsSavingList = false;
  bool saved = false;
  if (!listIsEmpty) {
    const int32_t formerTag = lists.CurrentTJLTAG;
    try {
      lists.CurrentTJLTAG = tag;
      ListTransaction transaction(MainWorkspace(conn.wksMAIN));
      saved = WriteSavedList(formerTag == 0) > 0;
      if (saved) transaction.Commit();
    } catch (const base::RuntimeError&) {
      lists.CurrentTJLTAG = formerTag;
      ReturnToList();
      throw;
    }
    if (!saved) lists.CurrentTJLTAG = formerTag;
  }
  if (saved) {
    lblTJLNAME.SetCaption(txtTJLNAME.Text());
    screen::GetDesktop().MsgBox("This List has Been Saved.", kOkOnly, "Update Notice");
  } else {
    screen::GetDesktop().MsgBox("Cannot Save  List is Empty.", kOkOnly, "Update Notice");
  }
  lblTJLNAME.SetCaption(txtTJLNAME.Text());
  ReturnToList();
}

// CmdCancel in the save-list mode: the mode ends and nothing is written; the
// label keeps its caption and the current row its highlight.
void ztDorvane::Impl::SaveListCancel() {
  assert(lists.IsSavingList);
  LeaveSaveListScreen();
  ReturnToList();
  lists.IsSavingList = false;
  PaintRowHighlight(page.CurrentRow);
}
