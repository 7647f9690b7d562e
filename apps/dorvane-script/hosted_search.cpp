// `opensearch` for dorvane-script: the request goes through OpenSearchDialog
// (so the opener's own failure box and the shared instance behave as for the
// control), then the host, like any caller, sets the returned bookmark text on
// a recordset of its own over the same table and reads the fields named in
// the field list. Relies on ztSearchMod, the record store and ztBasicSet.
#include "apps/dorvane-script/hosted_search.h"

#include <string>
#include <vector>

#include "search/ztSearchMod.h"
#include "services/recordstore/recordstore.h"
#include "services/ztBasicSet.h"

namespace scripthost {

SearchOutcome OpenHostedSearch(const OpenSearchRequest& request) {
  std::vector<ztSearchMod::IndexKey> keys;
  for (const auto& [key, field] : request.keys) keys.push_back({key, field});
  const std::string bookmark = ztSearchMod::OpenSearchDialog(
      request.pathText, request.dbName, request.tableName, request.colIName, request.caption,
      request.searchTitle, request.colFName, request.colFType, request.colFSize, request.colHText,
      request.colWidth, request.colAlign, request.searchCol, keys);
  SearchOutcome outcome;
  if (ztBasicSet::IsBlank(bookmark)) return outcome;

  // The caller's side: its own recordset on the same table.
  const std::string path = ztBasicSet::IsBlank(request.pathText)
                               ? request.dbName
                               : ztBasicSet::TrimSpaces(request.pathText) + "\\" + request.dbName;
  auto wks = recordstore::DBEngine::Instance()->CreateWorkspace("wksHOST");
  auto db = wks->OpenDatabase(path);
  auto rs = db->OpenRecordset(request.tableName, 1);
  rs->SetBookmark(bookmark);
  outcome.chosen = true;
  std::string name;
  auto take = [&] {
    if (ztBasicSet::IsNotBlank(name)) outcome.fields.emplace_back(name, rs->Fields(name).Value());
    name.clear();
  };
  for (char ch : request.colFName) {
    if (ch == '|') {
      take();
    } else {
      name += ch;
    }
  }
  take();
  wks->Close();
  return outcome;
}

}  // namespace scripthost
