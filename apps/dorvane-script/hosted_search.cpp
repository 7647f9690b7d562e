// `opensearch` for dorvane-script: the request goes through ztSearchMod's
// opener (so the opener's own failure box and the shared instance behave as
// for the control), then the host, like any caller, sets the returned bookmark
// text on a recordset of its own over the same table and reads the fields the
// columns name. Relies on ztSearchMod, the record store and ztBasicSet.
#include "apps/dorvane-script/hosted_search.h"

#include <string>

#include "search/ztSearchMod.h"
#include "services/recordstore/recordstore.h"
#include "services/ztBasicSet.h"

namespace scripthost {

SearchOutcome OpenHostedSearch(const ztSearchMod::SearchRequest& request) {
  const std::string bookmark = ztSearchMod::OpenSearch(request);
  SearchOutcome outcome;
  if (ztBasicSet::IsBlank(bookmark)) return outcome;

  // The caller's side: its own recordset on the same table.
  auto wks = recordstore::DBEngine::Instance()->CreateWorkspace("wksHOST");
  auto db = wks->OpenDatabase(ztBasicSet::FileInFolder(request.pathText, request.dbName));
  auto rs = db->OpenRecordset(request.tableName, 1);
  rs->SetBookmark(bookmark);
  outcome.chosen = true;
  for (const ztSearchMod::SearchColumn& column : request.columns) {
    const std::string name = column.fieldName.value_or("");
    if (ztBasicSet::IsNotBlank(name)) outcome.fields.emplace_back(name, rs->Fields(name).Value());
  }
  wks->Close();
  return outcome;
}

}  // namespace scripthost
