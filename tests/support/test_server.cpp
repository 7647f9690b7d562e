// A fresh database per test on the PostgreSQL test server, and SQL on it (see
// the header). Relies on libpq.
#include "test_server.h"

#include <libpq-fe.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <random>
#include <stdexcept>

namespace testsupport {
namespace {

using Connection = std::unique_ptr<PGconn, decltype(&PQfinish)>;
using Result = std::unique_ptr<PGresult, decltype(&PQclear)>;

// Opens a connection to `uri` or throws with the server's message.
Connection Connect(const std::string& uri) {
  Connection connection(PQconnectdb(uri.c_str()), &PQfinish);
  if (PQstatus(connection.get()) != CONNECTION_OK) {
    throw std::runtime_error("cannot connect to the test server: " +
                             std::string(PQerrorMessage(connection.get())));
  }
  return connection;
}

// Runs `sql` on `connection` or throws with the server's message.
Result Execute(PGconn* connection, const std::string& sql) {
  Result result(PQexec(connection, sql.c_str()), &PQclear);
  const ExecStatusType status = PQresultStatus(result.get());
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
    throw std::runtime_error(sql + ": " + PQerrorMessage(connection));
  }
  return result;
}

// A database name no other test of this or a parallel run takes.
std::string NewDatabaseName() {
  static std::atomic<int> counter{0};
  static const unsigned salt = std::random_device{}() % 100000;
  return "dorvane_t" + std::to_string(getpid()) + "_" + std::to_string(salt) + "_" +
         std::to_string(counter++);
}

}  // namespace

std::optional<std::string> TestServerUri() {
  const char* uri = std::getenv("DORVANE_TEST_PG");
  if (uri == nullptr || *uri == '\0') return std::nullopt;
  return std::string(uri);
}

TestDatabase::TestDatabase() {
  const std::optional<std::string> base = TestServerUri();
  if (!base) throw std::runtime_error("DORVANE_TEST_PG is not set");
  name_ = NewDatabaseName();
  Connection admin = Connect(*base + "postgres");
  Execute(admin.get(), "CREATE DATABASE " + name_);
  uri_ = *base + name_;
}

TestDatabase::~TestDatabase() {
  try {
    Connection admin = Connect(*TestServerUri() + "postgres");
    Execute(admin.get(), "DROP DATABASE IF EXISTS " + name_ + " WITH (FORCE)");
  } catch (const std::exception&) {
    // A server gone at the end of a test leaves nothing to drop.
  }
}

std::vector<std::string> PgRows(const std::string& uri, const std::string& sql) {
  Connection connection = Connect(uri);
  Result result = Execute(connection.get(), sql);
  std::vector<std::string> rows;
  for (int row = 0; row < PQntuples(result.get()); ++row) {
    std::string line;
    for (int column = 0; column < PQnfields(result.get()); ++column) {
      if (column > 0) line += "|";
      line +=
          PQgetisnull(result.get(), row, column) ? "NULL" : PQgetvalue(result.get(), row, column);
    }
    rows.push_back(line);
  }
  return rows;
}

void EndOtherSessions(const std::string& uri) {
  PgRows(uri,
         "SET client_min_messages = error; SELECT pg_terminate_backend(pid) FROM "
         "pg_stat_activity WHERE datname = current_database() AND pid <> pg_backend_pid()");
}

int PortOf(const std::string& uri) {
  const size_t colon = uri.rfind(':'), slash = uri.find('/', colon);
  return std::stoi(uri.substr(colon + 1, slash - colon - 1));
}

std::string WithPort(const std::string& uri, int port) {
  const size_t colon = uri.rfind(':'), slash = uri.find('/', colon);
  return uri.substr(0, colon + 1) + std::to_string(port) + uri.substr(slash);
}

}  // namespace testsupport
