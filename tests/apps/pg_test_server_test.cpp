// The PostgreSQL test server the tests run against: fresh databases per test,
// the text rules the layout relies on (lower() folds ASCII letters only, "C"
// order is byte order), password checks for the roles that ask for them, and
// the start/stop script itself on a private server.
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

TEST(PgTestServer, TextFoldsAsciiOnlyAndSortsByBytes) {
  DORVANE_REQUIRE_TEST_SERVER();
  TestDatabase db;
  EXPECT_EQ(PgRows(db.Uri(), "SELECT lower('AbÉz'), 'B' < 'a', 'é' > 'z'"),
            std::vector<std::string>{"abÉz|t|t"});
  EXPECT_EQ(PgRows(db.Uri(),
                   "SELECT string_agg(x, ',' ORDER BY lower(x) COLLATE \"C\" NULLS FIRST) "
                   "FROM (VALUES ('b'), ('A'), ('  7'), ('É'), ('a'), (NULL)) v(x)"),
            std::vector<std::string>{"  7,A,a,b,É"});
}

TEST(PgTestServer, PasswordRolesMustGiveTheirPassword) {
  DORVANE_REQUIRE_TEST_SERVER();
  TestDatabase db;
  const std::string role = db.Name() + "_clerk";
  PgRows(db.Uri(), "CREATE ROLE " + role + " LOGIN PASSWORD 'right' IN ROLE dorvane_password");
  const std::string base = *testsupport::TestServerUri();
  const std::string hostPart = base.substr(base.find('@') + 1);
  const std::string asRole = "postgresql://" + role + ":";
  EXPECT_EQ(PgRows(asRole + "right@" + hostPart + db.Name(), "SELECT current_user"),
            std::vector<std::string>{role});
  EXPECT_THROW(PgRows(asRole + "wrong@" + hostPart + db.Name(), "SELECT 1"), std::runtime_error);
  PgRows(db.Uri(), "DROP ROLE " + role);
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
