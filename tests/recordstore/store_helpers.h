// Helpers of the record store's tests: the shared data folder, table opener,
// lock wait and error number brought into this namespace, a row added in one
// call, and a fixture whose tests run on both engines.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>

#include "services/recordstore/recordstore.h"
#include "support/data_folder.h"
#include "support/error_of.h"
#include "support/open_table.h"
#include "support/store_source.h"

namespace recordstore::testing {

using testsupport::DataFolder;
using testsupport::ErrorOf;
using testsupport::LockWait;
using testsupport::Opened;
using testsupport::OpenTable;
using testsupport::StoreEngine;
using testsupport::StoreSource;

// Adds a row through `rs` holding `values` by field name.
inline void AddRow(Recordset& rs, std::initializer_list<std::pair<const char*, Variant>> values) {
  rs.AddNew();
  for (const auto& [field, value] : values) rs.SetCollect(field, value);
  rs.Update();
}

// A fixture whose tests run on each engine of the store: SQLite files and the
// test server (skipped, saying why, when no server was given).
class EngineTest : public ::testing::TestWithParam<StoreEngine> {
 protected:
  void SetUp() override {
    if (GetParam() == StoreEngine::kServer) DORVANE_REQUIRE_TEST_SERVER();
  }
  StoreSource folder{GetParam()};
};

}  // namespace recordstore::testing
