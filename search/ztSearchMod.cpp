// ztSearchMod: the opener of the shared search dialog and the rule that turns
// a key-down into the character the type-ahead appends. Relies on frmztSearch,
// the toolkit's Desktop (message box) and US key table, and ztBasicSet (blank
// test).
#include "search/ztSearchMod.h"

#include <array>
#include <cctype>

#include "search/frmztSearch_impl.h"
#include "services/base/error_numbers.h"
#include "services/base/runtime_error.h"
#include "services/base/text_case.h"
#include "services/base/user_action.h"
#include "services/screen/desktop.h"
#include "services/screen/keys.h"
#include "services/ztBasicSet.h"

namespace ztSearchMod {

namespace {

using recordstore::Variant;

}  // namespace

// One dialog per thread: each thread runs screens of its own, and a dialog is
// shown on one screen at a time.
frmztSearch& SearchDialog() {
  thread_local frmztSearch instance;
  return instance;
}

std::string OpenSearchDialog(const std::string& pathText, const std::string& dbName,
                             const std::string& tableName, const std::string& colIName,
                             const std::string& caption, const std::string& searchTitle,
                             const std::string& colFName, const std::string& colFType,
                             const std::string& colFSize, const std::string& colHText,
                             const std::string& colWidth, const std::string& colAlign,
                             int16_t searchCol, const std::vector<IndexKey>& keys,
                             const std::string& instructionText) {
  return OpenSearch(RequestFromTexts(pathText, dbName, tableName, colIName, caption, searchTitle,
                                     colFName, colFType, colFSize, colHText, colWidth, colAlign,
                                     searchCol, keys, instructionText));
}

std::string OpenSearch(const SearchRequest& request) {
  base::UserAction action;  // opening the dialog is one action of its user
  try {
    const std::vector<IndexKey>& keys = request.keys;
    if (keys.size() > 4) {
      throw base::RuntimeError(
          base::error::kInvalidProcedureCall,
          "Invalid procedure call: a search takes at most four leading keys, not " +
              std::to_string(keys.size()));
    }
    std::array<IndexKey, 4> given = {IndexKey{Variant::Integer(0), ""},
                                     IndexKey{Variant::Integer(0), ""},
                                     IndexKey{Variant::Integer(0), ""}, IndexKey{Variant(), ""}};
    for (size_t i = 0; i < keys.size(); ++i) given[i] = keys[i];

    frmztSearch& form = SearchDialog();
    frmztSearch::Impl& frm = frmztSearch::Impl::Of(form);
    frm.strSelBookmark = " ";
    frm.strPathText = request.pathText;
    frm.strDBNAME = request.dbName;
    frm.strTable = request.tableName;
    frm.strCaption = request.caption;
    frm.strSearchTitle = request.searchTitle;
    const std::vector<SearchColumn>& columns = request.columns;
    frm.strColIName = JoinColumnItems(columns, &SearchColumn::indexName);
    frm.strColFName = JoinColumnItems(columns, &SearchColumn::fieldName);
    frm.strColFType = JoinColumnItems(columns, &SearchColumn::type);
    frm.strColFSize = JoinColumnItems(columns, &SearchColumn::size);
    frm.strColHText = JoinColumnItems(columns, &SearchColumn::header);
    frm.strColWidth = JoinColumnItems(columns, &SearchColumn::width);
    frm.strColAlign = JoinColumnItems(columns, &SearchColumn::align);
    frm.intSearchCol = request.searchCol;
    frm.periodEndingStart = request.periodEndingStart;
    frm.varIndexKey1 = given[0].key;
    frm.strIndexField1 = given[0].field;
    frm.varIndexKey2 = given[1].key;
    frm.strIndexField2 = given[1].field;
    frm.varIndexKey3 = given[2].key;
    frm.strIndexField3 = given[2].field;
    frm.varIndexKey4 = given[3].key;
    frm.strIndexField4 = given[3].field;

    // The first touch of the form's window loads it, so the caption, title and
    // instruction given here override what the load shows.
    form.Load();
    if (ztBasicSet::IsNotBlank(request.instructionText)) {
      frm.lblInstructA.SetCaption(request.instructionText);
    }
    form.SetCaption(request.caption);
    frm.lblSearchTitle.SetCaption(request.searchTitle);
    form.ShowModal();
    return frm.strSelBookmark;
  } catch (const base::RuntimeError&) {
    screen::GetDesktop().MsgBox("Error Opening Window ztSearch", 16, "Error: ztSearch");
    return " ";
  }
}

std::string KeyCodeToText(int16_t keyCode, int16_t shift) {
  std::string text;
  if (keyCode >= 96 && keyCode <= 105) {
    text = std::string(1, static_cast<char>('0' + (keyCode - 96)));
  } else if (keyCode >= 106 && keyCode <= 111) {
    static const char* const kKeypad[] = {"*", "+", "", "-", ".", "/"};
    text = kKeypad[keyCode - 106];
  } else if (keyCode >= 32 && keyCode <= 111) {
    text = std::string(1, static_cast<char>(keyCode));
  }
  // The back-quote key (192) has never typed anything into a search.
  if ((shift == 0 || shift == 1) && keyCode != 192) {
    if (const auto key = screen::UsDigitOrPunctuation(keyCode)) {
      text = std::string(1, shift == 0 ? key->plain : key->shifted);
    }
  }
  if (keyCode >= 32 && keyCode <= 111) {
    for (char& ch : text) {
      ch = shift != 0 ? base::UpperAscii(ch) : base::LowerAscii(ch);
    }
  }
  return text;
}

}  // namespace ztSearchMod
