// The job-number settings readers of ztLOOKUP. Both read one field of the
// first SYSSETTINGS row of QRLSYS.mdb through a workspace of their own, and
// share one body that differs only in the field and the fallback values.
// Relies on the record store, the null check and the Desktop.
#include <string>

#include "services/recordstore/data_source.h"
#include "services/recordstore/recordstore.h"
#include "services/screen/screen.h"
#include "services/ztLOOKUP.h"
#include "services/ztMSAccess.h"

namespace ztLOOKUP {

namespace {

// A database file on a server exists when its schema does; a file of a data
// folder when the desktop's file-existence test finds it.
bool DatabaseFileExists(const std::string& path) {
  if (recordstore::IsServerPath(path)) return recordstore::ServerDatabaseExists(path);
  return screen::GetDesktop().FileExists(path);
}

// Reads fieldName from the first SYSSETTINGS row of dataPath\QRLSYS.mdb.
// Gives missingValue when the file does not exist (named without a server's
// password) and defaultValue when the table has no row, each after its
// message box. Errors opening the file or
// the table are not trapped.
recordstore::Variant ReadSetting(const std::string& dataPath, const std::string& fieldName,
                                 const recordstore::Variant& missingValue,
                                 const recordstore::Variant& defaultValue) {
  const std::string path = dataPath + "\\QRLSYS.mdb";
  if (!DatabaseFileExists(path)) {
    screen::GetDesktop().MsgBox("Cannot Find Database File: " + recordstore::HidePasswords(path),
                                16, "Database Missing.");
    return missingValue;
  }
  auto wks = recordstore::DBEngine::Instance()->CreateWorkspace("wksQRLSYS", "admin", "", 2);
  auto db = wks->OpenDatabase(path);
  auto rs = db->OpenRecordset("SYSSETTINGS", 1);
  recordstore::Variant result;
  if (!rs->IsEmpty()) {
    rs->MoveFirst();
    result = ztMSAccess::FieldValue(*rs, fieldName);
  } else {
    screen::GetDesktop().MsgBox(
        "Could not find Job Number Settings. \r\n"
        "Job Numbers can be Character or Numerical,\r\n"
        "up to eight characters or digits long.\r\n"
        "Defaults will be used. To update the Job\r\n"
        "Number Settings Select Menu Option:\r\n"
        "Utilities, 2 - Job Site Settings.",
        16, "No Settings Found");
    result = defaultValue;
  }
  rs->Close();
  db->Close();
  wks->Close();
  return result;
}

}  // namespace

int16_t GetJobNumberSize(const std::string& dataPath) {
  using recordstore::Variant;
  return ReadSetting(dataPath, "JOBNOSIZE", Variant::Integer(0), Variant::Integer(8)).ToInteger();
}

std::string GetJobNumberType(const std::string& dataPath) {
  using recordstore::Variant;
  return ReadSetting(dataPath, "JOBNOTYPE", Variant::String(" "), Variant::String("C")).ToString();
}

}  // namespace ztLOOKUP
