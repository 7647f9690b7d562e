// Helpers of the record store's tests: the shared data folder and table opener
// brought into this namespace, a fixture run on both engines, a lock wait set
// for one test, and the number of the RuntimeError an action raises.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "services/recordstore/recordstore.h"
#include "support/data_folder.h"
#include "support/open_table.h"
#include "support/store_source.h"

namespace recordstore::testing {

using testsupport::DataFolder;
using testsupport::LockWait;
using testsupport::Opened;
using testsupport::OpenTable;
using testsupport::StoreEngine;
using testsupport::StoreSource;

// A fixture whose tests run on each engine of the store: SQLite files and the
// test server (skipped, saying why, when no server was given).
class EngineTest : public ::testing::TestWithParam<StoreEngine> {
 protected:
  void SetUp() override {
    if (GetParam() == StoreEngine::kServer) DORVANE_REQUIRE_TEST_SERVER();
  }
  StoreSource folder{GetParam()};
};

// Runs `action` and returns the number of the RuntimeError it raised (0 if
// none); `description` receives the error's description.
template <typename F>
int ErrorOf(F action, std::string* description = nullptr) {
  try {
    action();
  } catch (const base::RuntimeError& e) {
    if (description != nullptr) *description = e.Description();
    return e.Number();
  }
  return 0;
}

}  // namespace recordstore::testing
