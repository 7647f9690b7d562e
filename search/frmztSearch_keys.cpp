// The search dialog's keyboard: every key-down reaches HandleSearchKey (key
// preview). Typed characters, Space and Backspace edit the search text, which
// is echoed in lblSearch and sought (">=" on the current index, after the
// leading keys) after each change; the navigation keys move the selection;
// Esc ends the dialog without a choice. The navigation buttons press their
// keys here too. RefreshAfterSearch redraws the page after a seek or a change
// of search column. Relies on the record store, the
// toolkit's key codes, ztSearchMod's KeyCodeToText and ztBasicSet.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "search/frmztSearch_impl.h"
#include "search/ztSearchMod.h"
#include "services/ztBasicSet.h"

namespace {

using recordstore::Variant;

// The 16-bit whole number nearest to the numeric value of a typed text (0 for
// an empty or non-numeric text); values beyond the 16-bit range are taken as
// its nearest end, so a long number seeks the range's end instead of failing.
Variant TypedNumber(const std::string& text) {
  const double value = std::clamp(recordstore::Val(text), -32768.0, 32767.0);
  return Variant::Integer(Variant::Double(value).ToInteger());
}

}  // namespace

// Binds each navigation button to the key it stands for.
void frmztSearch::Impl::WireNavigationButtons() {
  const std::pair<screen::CommandButton*, int16_t> buttons[] = {
      {&cmdHKBHOME, screen::kKeyHome},   {&cmdHKBEND, screen::kKeyEnd},
      {&cmdHKBPGUP, screen::kKeyPageUp}, {&cmdHKBPGDN, screen::kKeyPageDown},
      {&cmdHKBUPARROW, screen::kKeyUp},  {&cmdHKBDNARROW, screen::kKeyDown}};
  for (const auto& button : buttons) {
    const int16_t keyCode = button.second;
    button.first->Click = [this, keyCode] { NavigationClick(keyCode); };
  }
}

// A navigation button passes its key to the key handler, then the focus goes
// back to hsbMAIN.
void frmztSearch::Impl::NavigationClick(int16_t keyCode) {
  HandleSearchKey(keyCode, 0);
  hsbMAIN.SetFocus();
}

void frmztSearch::Impl::HandleSearchKey(int16_t& keyCode, int16_t shift) {
  if (keyCode == screen::kKeyEscape) {
    strSelBookmark = " ";
    owner.Unload();
    return;
  }
  const int16_t key = keyCode;
  keyCode = 0;
  if (!ready_) return;  // after a failed load only Esc and Cancel act

  std::string& text = state_.SearchText;
  const auto roomLeft = [&] { return static_cast<int>(text.size()) < state_.SearchTextLimit; };
  bool textChanged = false;
  if (key == screen::kKeyBack && !text.empty()) {
    text.pop_back();
    lblSearch.SetCaption(text.empty() ? " " : text);
    textChanged = true;
    owner.Refresh();
  }
  if (key == screen::kKeySpace && roomLeft()) {
    text += " ";
    textChanged = true;
    ShowSearchText();
  }
  if (key >= 41) {
    const std::string ch = ztSearchMod::KeyCodeToText(key, shift);
    if (!ch.empty() && roomLeft()) {
      text += ch;
      textChanged = true;
      ShowSearchText();
    }
  }

  if (textChanged) {
    SeekTypedText();
    return;
  }
  if (const int16_t move = paging::PageMoveOf(key)) MoveSelection(move);
}

void frmztSearch::Impl::ShowSearchText() {
  lblSearch.SetCaption(state_.SearchText);
  owner.Refresh();
}

// Seeks the first row at or after the leading keys and the typed value. A row
// of the range found goes to the top of the page, highlighted; a row outside
// the range (or none) leaves the selection where it was, except that an
// emptied text returns to the range's first row.
void frmztSearch::Impl::SeekTypedText() {
  SearchState& s = state_;
  rs_->SetIndex(s.SearchIndexName);
  const Variant typed =
      s.SearchColumnType == "C" ? Variant::String(s.SearchText) : TypedNumber(s.SearchText);
  if (s.KeyCount >= 4) {
    screen::GetDesktop().MsgBox("Invalid Key Count in ztSearch", 16, "Error: ztSearch");
  } else {
    const Variant* leading[] = {&varIndexKey1, &varIndexKey2, &varIndexKey3};
    std::vector<Variant> keys;
    for (int n = 0; n < s.KeyCount; ++n) keys.push_back(*leading[n]);
    keys.push_back(typed);
    rs_->Seek(">=", keys);
    if (!rs_->NoMatch()) {
      if (IsCurrentInRange()) {
        s.TopBookmark = s.CurrentBookmark = rs_->Bookmark();
        s.CurrentRow = 0;
      }
    } else if (s.SearchText.empty()) {
      s.TopBookmark = s.CurrentBookmark = s.FirstBookmark;
      s.CurrentRow = 0;
    }
  }
  RefreshAfterSearch();
}

// Finds the range's ends again, keeps the highlighted row in its grid row
// (walking back at most that many rows for the new top) and redraws the page.
// An empty table or range shows "No Items Found"; with the highlight on the
// "End of List" row the page stays as it is.
void frmztSearch::Impl::RefreshAfterSearch() {
  SearchState& s = state_;
  s.FirstBookmark = s.LastBookmark = " ";
  if (TableIsEmpty()) {
    ShowEmptyRange();
    return;
  }
  rs_->SetIndex(s.SearchIndexName);
  const std::string first = FindFirstInRange();
  if (ztBasicSet::IsBlank(first)) {
    ShowEmptyRange();
    return;
  }
  s.FirstBookmark = first;
  s.LastBookmark = s.ScanBookmark = FindLastInRange(first);
  if (s.SearchColumnChanged) {
    s.CurrentBookmark = s.FirstBookmark;
    s.SearchColumnChanged = false;
  }
  if (ztBasicSet::IsBlank(s.CurrentBookmark)) {
    FillPage();
    return;
  }
  s.TopBookmark = s.CurrentBookmark;
  int count = s.CurrentRow;
  rs_->SetBookmark(s.CurrentBookmark);
  while (IsCurrentInRange() && count >= 0) {
    s.TopBookmark = rs_->Bookmark();
    count -= 1;
    rs_->MovePrevious();
  }
  if (count >= 0) s.CurrentRow = static_cast<int16_t>(std::max(0, s.CurrentRow - (count + 1)));
  FillPage();
}
