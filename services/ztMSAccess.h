// ztMSAccess: the shared routines that stand between the record store and the
// rest of the system: the null check through which every field is read, the
// keyed row scans (seek and confirm, neighbour search), the tag allocator on
// the SYSTAGS counter row, and the report of a form that failed to load.
// Threads: the thread that runs the host's event loop, like the recordsets
// these routines are given.
// Relies on the record store (services/recordstore) and the toolkit's Desktop
// (services/screen) for message boxes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "services/recordstore/recordstore.h"

namespace screen {
class Form;
class CommandButton;
}  // namespace screen

namespace ztMSAccess {

// One key pair of the scan routines: a key value and the field of the same
// recordset that must hold it. A routine takes the pairs in order; the caller
// passes only the pairs it gives (an omitted key ends the list).
struct KeyField {
  recordstore::Variant key;
  recordstore::Field field;
};

// Reads a field's value, turning Null into the typed empty value of the
// field's type. A read error (no current row) shows the "wq NullCheck Error"
// box and gives the read-error value; errors reading the field's type, size or
// name reach the caller.
recordstore::Variant wqNullCheck(const recordstore::Field& fld);

// The named field of the recordset's current row, read through wqNullCheck.
recordstore::Variant FieldValue(recordstore::Recordset& rs, const std::string& name);

// Sets the index, seeks the first row at or after the keys and returns its
// bookmark text when its fields equal the keys exactly, else "". Traps nothing.
// The pairs hold 1 to 6 keys.
std::string SeekMatchingRecord(recordstore::Recordset& rs, const std::string& indexName,
                               const std::vector<KeyField>& pairs);

// True when the recordset has a current row whose fields (read through the
// null check) equal the given keys; with no pairs, whether there is a current
// row. Errors while testing are passed over. At most 9 pairs.
bool RecordMatchesKeys(recordstore::Recordset& rs, const std::vector<KeyField>& pairs);

// From the row of the bookmark text, the bookmark of the next row when it
// matches the keys, else of the previous row when it matches, else " ".
// Traps nothing. At most 5 pairs.
std::string FindAdjacentMatch(recordstore::Recordset& rs, const std::string& bookmark,
                              const std::vector<KeyField>& pairs);

// Issues a new tag, prefix * 1,000,000 + counter, from the first row of the
// counter table (default MAIN.MDB, SYSTAGS) inside a transaction of its own
// workspace, and stores counter + 1. Any failure shows the "Error: wqGetNewTag"
// box, leaves the counter unchanged and gives 0.
int32_t wqGetNewTag(const std::string& dataPath, const std::string& fieldName,
                    const std::string& databaseFile, const std::string& tableName, int32_t prefix);

// Reports a form that failed to load ("Error Displaying Form"), hides every
// control of the form whose name does not start with "tmr" and leaves only
// keepButton visible, so the user can only close the form.
void ShowFormLoadError(screen::Form& frm, screen::CommandButton& keepButton,
                       const std::string& formName, const std::string& errorNumberText,
                       const std::string& errorDescription);

}  // namespace ztMSAccess
