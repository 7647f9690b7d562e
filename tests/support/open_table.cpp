// OpenTable over the record store's engine (see the header).
#include "open_table.h"

namespace testsupport {

Opened OpenTable(const std::string& file, const std::string& table, const std::string& index,
                 int lockEdit) {
  Opened opened;
  opened.workspace = recordstore::DBEngine::Instance()->CreateWorkspace("wksTEST", "admin", "", 2);
  opened.database = opened.workspace->OpenDatabase(file);
  opened.recordset = opened.database->OpenRecordset(table, 1, 0, lockEdit);
  if (!index.empty()) opened.recordset->SetIndex(index);
  return opened;
}

}  // namespace testsupport
