// The PostgreSQL test server from the tests' side: its base URI (the
// environment variable DORVANE_TEST_PG, set by tests/pg-test-env.sh when CTest's
// `pg` fixture runs a server), a fresh database per test, and SQL run on it as
// another program would. Relies on libpq.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace testsupport {

// The base URI of the test server, for example postgresql://dorvane@127.0.0.1:5432/,
// or nothing when no server was given (a developer's run of one test program).
std::optional<std::string> TestServerUri();

// Skips the current test, with a message that says why, when there is no test server.
#define DORVANE_REQUIRE_TEST_SERVER()                                                     \
  do {                                                                                    \
    if (!::testsupport::TestServerUri()) {                                                \
      GTEST_SKIP() << "DORVANE_TEST_PG is not set: no PostgreSQL test server (make test " \
                      "and ctest start one)";                                             \
    }                                                                                     \
  } while (false)

// A new empty database on the test server, made for one test and dropped (with
// any connections still open to it) when the object goes.
class TestDatabase {
 public:
  // Makes the database; throws std::runtime_error when there is no server or it refuses.
  TestDatabase();
  ~TestDatabase();
  TestDatabase(const TestDatabase&) = delete;
  TestDatabase& operator=(const TestDatabase&) = delete;

  const std::string& Name() const { return name_; }
  // The URI of the database, with the server's base URI as prefix.
  const std::string& Uri() const { return uri_; }

 private:
  std::string name_;
  std::string uri_;
};

// The port of a URI such as postgresql://user@127.0.0.1:5432/name.
int PortOf(const std::string& uri);
// The same URI with another port (a proxy's).
std::string WithPort(const std::string& uri, int port);

// Runs `sql` (one or more statements) on the database at `uri` through a
// connection of its own and returns the rows of the last statement, each as its
// values joined by '|' (NULL as "NULL"). Throws std::runtime_error with the
// server's message on failure.
std::vector<std::string> PgRows(const std::string& uri, const std::string& sql);

// Ends every session on the database at `uri` but the caller's own, as a
// server restart would (quietly: a session ending meanwhile draws no warning).
void EndOtherSessions(const std::string& uri);

}  // namespace testsupport
