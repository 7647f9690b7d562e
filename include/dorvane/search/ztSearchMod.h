// ztSearchMod: the opener of the search dialog and the key-to-character table
// of its type-ahead. OpenSearch fills the search request of the thread's
// shared frmztSearch instance, shows it modally and returns the chosen row's
// bookmark text (" " when nothing was chosen). Relies on frmztSearch, the
// search request and the toolkit's Desktop.
// Threads: each thread has its dialog, shown on that thread's screen.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "search/search_request.h"

class frmztSearch;

namespace ztSearchMod {

// The thread's dialog instance, created on first use and reused by every
// search of the thread.
frmztSearch& SearchDialog();

// Fills the dialog's request variables from the request (the column texts
// joined from its columns, up to four leading keys in order) and shows the
// dialog modally; returns strSelBookmark when the dialog has closed. Keys 1 to
// 3 not given are the 16-bit integer 0 with a blank field. A non-blank
// instructionText replaces the first instruction line. Any run-time error
// while filling or showing shows "Error Opening Window ztSearch" and gives " ".
std::string OpenSearch(const SearchRequest& request);

// OpenSearch with the request in the classic argument order (RequestFromTexts).
std::string OpenSearchDialog(const std::string& pathText, const std::string& dbName,
                             const std::string& tableName, const std::string& colIName,
                             const std::string& caption, const std::string& searchTitle,
                             const std::string& colFName, const std::string& colFType,
                             const std::string& colFSize, const std::string& colHText,
                             const std::string& colWidth, const std::string& colAlign,
                             int16_t searchCol, const std::vector<IndexKey>& keys = {},
                             const std::string& instructionText = "");

// The character a key-down stands for in the type-ahead ("" for none): keypad
// digits and operators, the key code's own character for codes 32 to 111, the
// US keyboard's unshifted and shifted digits and punctuation (not the
// back-quote key) when Shift is 0 or 1, then lower case when Shift is 0 and
// upper case otherwise.
std::string KeyCodeToText(int16_t keyCode, int16_t shift);

}  // namespace ztSearchMod
