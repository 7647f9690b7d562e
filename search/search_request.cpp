// The search request's conversion from and to the classic column texts.
// Relies on ztBasicSet (the split at "|").
#include "search/search_request.h"

#include <algorithm>

#include "services/ztBasicSet.h"

namespace ztSearchMod {

SearchRequest RequestFromTexts(const std::string& pathText, const std::string& dbName,
                               const std::string& tableName, const std::string& colIName,
                               const std::string& caption, const std::string& searchTitle,
                               const std::string& colFName, const std::string& colFType,
                               const std::string& colFSize, const std::string& colHText,
                               const std::string& colWidth, const std::string& colAlign,
                               int16_t searchCol, const std::vector<IndexKey>& keys,
                               const std::string& instructionText) {
  SearchRequest request{pathText, dbName,    tableName, caption,        searchTitle,
                        {},       searchCol, keys,      instructionText};
  // The classic arguments carry no start; the classic dialog chose it by table.
  request.periodEndingStart = tableName == "PELIST";
  const std::pair<const std::string*, ColumnItem SearchColumn::*> texts[] = {
      {&colIName, &SearchColumn::indexName}, {&colFName, &SearchColumn::fieldName},
      {&colFType, &SearchColumn::type},      {&colFSize, &SearchColumn::size},
      {&colHText, &SearchColumn::header},    {&colWidth, &SearchColumn::width},
      {&colAlign, &SearchColumn::align}};
  for (const auto& [text, item] : texts) {
    const std::vector<std::string> items = ztBasicSet::SplitAtBars(*text);
    request.columns.resize(std::max(request.columns.size(), items.size()));
    for (size_t k = 0; k < items.size(); ++k) request.columns[k].*item = items[k];
  }
  return request;
}

std::string JoinColumnItems(const std::vector<SearchColumn>& columns,
                            ColumnItem SearchColumn::*item) {
  size_t count = columns.size();
  while (count > 0 && !(columns[count - 1].*item)) --count;
  std::string text;
  for (size_t k = 0; k < count; ++k) {
    if (k > 0) text += '|';
    text += (columns[k].*item).value_or("");
  }
  return text;
}

}  // namespace ztSearchMod
