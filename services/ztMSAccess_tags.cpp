// wqGetNewTag: the allocator of new tag numbers from the first row of a
// counter table (SYSTAGS of MAIN.MDB by default). The counter is read and
// raised inside a transaction of a workspace of its own, with the row locked
// pessimistically, so two programs allocating at once never get the same tag.
// Relies on the record store, the null check and the Desktop's message box.
#include <cstdint>
#include <exception>
#include <string>

#include "services/recordstore/recordstore.h"
#include "services/screen/screen.h"
#include "services/ztBasicSet.h"
#include "services/ztMSAccess.h"

namespace ztMSAccess {

namespace {

// Reads and raises the counter; raises a RuntimeError on any failure, leaving
// the transaction uncommitted (releasing the workspace rolls it back).
int32_t AllocateTag(const std::string& databasePath, const std::string& fieldName,
                    const std::string& tableName, int32_t prefix) {
  using recordstore::Variant;
  constexpr int kTableType = 1;
  constexpr int kSeeChanges = 512;
  constexpr int kPessimistic = 2;
  constexpr int kForceFlush = 1;

  auto wks = recordstore::DBEngine::Instance()->CreateWorkspace("wksMAIN", "admin", "", 2);
  auto db = wks->OpenDatabase(databasePath);
  auto rs = db->OpenRecordset(tableName, kTableType, kSeeChanges, kPessimistic);
  wks->BeginTrans();
  if (rs->IsEmpty()) {
    rs->AddNew();
    rs->Update();
  }
  rs->MoveFirst();
  const recordstore::Field field = rs->Fields(fieldName);
  int32_t counter = wqNullCheck(field).ToLong();
  if (counter == 0) counter = 1;
  rs->Edit();
  // counter + 1 and prefix * 1,000,000 + counter are checked for the 32-bit range.
  field.SetValue(Variant::Long(Variant::Double(static_cast<double>(counter) + 1).ToLong()));
  rs->Update();
  const int32_t tag = Variant::Double(static_cast<double>(prefix) * 1000000.0 + counter).ToLong();
  wks->CommitTrans(kForceFlush);
  rs->Close();
  db->Close();
  wks->Close();
  return tag;
}

}  // namespace

int32_t wqGetNewTag(const std::string& dataPath, const std::string& fieldName,
                    const std::string& databaseFile, const std::string& tableName, int32_t prefix) {
  const std::string file = databaseFile.empty() ? "MAIN.MDB" : databaseFile;
  const std::string table = tableName.empty() ? "SYSTAGS" : tableName;
  const std::string path = ztBasicSet::FileInFolder(dataPath, file);
  try {
    return AllocateTag(path, fieldName, table, prefix);
  } catch (const base::RuntimeError& err) {
    screen::GetDesktop().MsgBox("Attempt to Assign New Tag Number Failed.\r\n" + err.Description(),
                                16, "Error: wqGetNewTag");
    return 0;
  } catch (const std::exception& err) {
    screen::GetDesktop().MsgBox(
        "Attempt to Assign New Tag Number Failed.\r\n" + std::string(err.what()), 16,
        "Error: wqGetNewTag");
    return 0;
  }
}

}  // namespace ztMSAccess
