// Helpers of the record store's tests: the shared data folder and table opener
// brought into this namespace, the number of the RuntimeError an action raises,
// and a field's values over a whole walk in either direction.
#pragma once

#include <string>
#include <vector>

#include "services/recordstore/recordstore.h"
#include "support/data_folder.h"
#include "support/open_table.h"

namespace recordstore::testing {

using testsupport::DataFolder;
using testsupport::Opened;
using testsupport::OpenTable;

// Runs `action` and returns the number of the RuntimeError it raised (0 if
// none); `description` receives the error's description.
template <typename F>
int ErrorOf(F action, std::string* description = nullptr) {
  try {
    action();
  } catch (const RuntimeError& e) {
    if (description != nullptr) *description = e.Description();
    return e.Number();
  }
  return 0;
}

// The values of `field` on every row, walking with MoveNext from MoveFirst.
std::vector<std::string> WalkForward(Recordset& recordset, const std::string& field);
// The same walking backwards with MovePrevious from MoveLast.
std::vector<std::string> WalkBackward(Recordset& recordset, const std::string& field);

}  // namespace recordstore::testing
