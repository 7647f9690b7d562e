// Keyed row scans of ztMSAccess: a row is located by index and then confirmed
// by comparing named fields with given values, so that a lookup on a leading
// part of an index never lands on a row of another group. Relies on the record
// store's Recordset and the null check.
#include <cassert>
#include <string>
#include <vector>

#include "services/recordstore/recordstore.h"
#include "services/ztMSAccess.h"

namespace ztMSAccess {

std::string SeekMatchingRecord(recordstore::Recordset& rs, const std::string& indexName,
                               const std::vector<KeyField>& pairs) {
  assert(!pairs.empty() && pairs.size() <= 6);
  rs.SetIndex(indexName);
  std::vector<recordstore::Variant> keys;
  keys.reserve(pairs.size());
  for (const KeyField& pair : pairs) keys.push_back(pair.key);
  rs.Seek(">=", keys);
  if (rs.NoMatch()) return "";
  // The seek lands at or after the keys; only an exact match of every given
  // field (read directly, so a Null never matches) qualifies.
  for (const KeyField& pair : pairs) {
    if (!(pair.field.Value() == pair.key)) return "";
  }
  return rs.Bookmark();
}

bool RecordMatchesKeys(recordstore::Recordset& rs, const std::vector<KeyField>& pairs) {
  assert(pairs.size() <= 9);
  // An error while testing the recordset counts as having no current row. The
  // test RecordCount = 0 needs no query when the recordset stands on a row it
  // has just read: the fields compared below are that row's, and it proves
  // that the table held rows when it was read.
  try {
    if (rs.IsBOF() || rs.IsEOF()) return false;
    if (!rs.HasReadRow() && rs.IsEmpty()) return false;
  } catch (const base::RuntimeError&) {
    return false;
  }
  for (const KeyField& pair : pairs) {
    // An error while reading or comparing counts as a mismatch.
    try {
      if (!(wqNullCheck(pair.field) == pair.key)) return false;
    } catch (const base::RuntimeError&) {
      return false;
    }
  }
  return true;
}

std::string FindAdjacentMatch(recordstore::Recordset& rs, const std::string& bookmark,
                              const std::vector<KeyField>& pairs) {
  assert(pairs.size() <= 5);
  rs.SetBookmark(bookmark);
  rs.MoveNext();
  if (RecordMatchesKeys(rs, pairs)) return rs.Bookmark();
  rs.SetBookmark(bookmark);
  rs.MovePrevious();
  if (RecordMatchesKeys(rs, pairs)) return rs.Bookmark();
  return " ";
}

}  // namespace ztMSAccess
