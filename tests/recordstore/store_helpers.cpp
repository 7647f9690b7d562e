// The record store's walk helpers (see the header).
#include "store_helpers.h"

namespace recordstore::testing {
namespace {

// The text of a field's value, "NULL" for a Null.
std::string FieldText(Recordset& recordset, const std::string& field) {
  Variant value = recordset.Fields(field).Value();
  return value.IsNull() ? "NULL" : value.ToString();
}

}  // namespace

std::vector<std::string> WalkForward(Recordset& recordset, const std::string& field) {
  std::vector<std::string> values;
  if (recordset.RecordCount() == 0) return values;
  for (recordset.MoveFirst(); !recordset.IsEOF(); recordset.MoveNext()) {
    values.push_back(FieldText(recordset, field));
  }
  return values;
}

std::vector<std::string> WalkBackward(Recordset& recordset, const std::string& field) {
  std::vector<std::string> values;
  if (recordset.RecordCount() == 0) return values;
  for (recordset.MoveLast(); !recordset.IsBOF(); recordset.MovePrevious()) {
    values.push_back(FieldText(recordset, field));
  }
  return values;
}

}  // namespace recordstore::testing
