// The PostgreSQL test server the tests run against: fresh databases per test,
// and the start/stop script itself on a private server. Its text rules and
// password checks show in the store's and the data tool's server tests.
#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/temp_folder.h"
#include "support/test_server.h"

namespace {

using testsupport::PgRows;
using testsupport::TestDatabase;

TEST(PgTestServer, EachTestDatabaseIsFreshAndGoesAway) {
  DORVANE_REQUIRE_TEST_SERVER();
  std::string firstName;
  {
    TestDatabase first;
    TestDatabase second;
    firstName = first.Name();
    EXPECT_NE(first.Uri(), second.Uri());
    PgRows(first.Uri(), "CREATE TABLE t (a integer); INSERT INTO t VALUES (1)");
    EXPECT_EQ(PgRows(first.Uri(), "SELECT count(*) FROM t"), std::vector<std::string>{"1"});
    EXPECT_THROW(PgRows(second.Uri(), "SELECT count(*) FROM t"), std::runtime_error);
  }
  const std::string base = *testsupport::TestServerUri();
  EXPECT_EQ(PgRows(base + "postgres",
                   "SELECT count(*) FROM pg_database WHERE datname = '" + firstName + "'"),
            std::vector<std::string>{"0"});
}

// Starts a private server (the shared one must not stop under other tests),
// restarts it on the same URI with its data kept, and stops it, leaving nothing.
TEST(PgTestServer, ScriptStartsRestartsAndStopsAServer) {
  DORVANE_REQUIRE_TEST_SERVER();
  const testsupport::TempFolder state("dorvane-pg-state");
  const std::string script = std::string(DORVANE_SOURCE_DIR) + "/tools/pg-test-server.sh";
  ASSERT_EQ(
      std::system((script + " start " + state.Path() + " >" + state.File("out") + " 2>&1").c_str()),
      0)
      << testsupport::ReadText(state.File("out"));
  const std::string uri = testsupport::ReadText(state.File("uri"));
  ASSERT_EQ(uri.rfind("postgresql://dorvane@127.0.0.1:", 0), 0u) << uri;
  const std::string base = uri.substr(0, uri.size() - 1);  // without the newline
  EXPECT_EQ(testsupport::ReadText(state.File("out")), uri);
  PgRows(base + "postgres", "CREATE TABLE kept (a integer); INSERT INTO kept VALUES (7)");

  ASSERT_EQ(std::system((script + " restart " + state.Path() + " >/dev/null").c_str()), 0);
  EXPECT_EQ(PgRows(base + "postgres", "SELECT a FROM kept"), std::vector<std::string>{"7"});

  const std::string cluster = testsupport::ReadText(state.File("cluster"));
  ASSERT_EQ(std::system((script + " stop " + state.Path()).c_str()), 0);
  EXPECT_THROW(PgRows(base + "postgres", "SELECT 1"), std::runtime_error);
  EXPECT_EQ(testsupport::ReadText(state.File("uri")), "");
  EXPECT_EQ(testsupport::ReadText(cluster.substr(0, cluster.size() - 1) + "/data/PG_VERSION"), "");
  // A second stop finds nothing to do and is no error.
  EXPECT_EQ(std::system((script + " stop " + state.Path()).c_str()), 0);
}

}  // namespace
