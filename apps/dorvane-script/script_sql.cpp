// `sql`: resolves the file as the record store does (backslashes, case of the
// name, or a server URI and the file's schema), opens it read-write without
// creating it, waits a few seconds for locks, and prints every row of the one
// statement of the text (a second statement is refused before anything runs).
#include "apps/dorvane-script/script_sql.h"

#if DORVANE_POSTGRES
#include <libpq-fe.h>
#endif
#include <sqlite3.h>

#include <memory>

#include "apps/dorvane-script/script_words.h"
#include "services/base/runtime_error.h"
#include "services/recordstore/data_source.h"
#include "services/recordstore/database_path.h"
#if DORVANE_POSTGRES
#include "services/recordstore/pg_session.h"
#endif

namespace scripthost {
namespace {

// Control characters of a value are escaped so that one row stays one line.
std::string RowValue(const unsigned char* text, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i) {
    const char ch = static_cast<char>(text[i]);
    if (ch == '\r') {
      out += "\\r";
    } else if (ch == '\n') {
      out += "\\n";
    } else if (ch == '\t') {
      out += "\\t";
    } else if (text[i] < 0x20) {
      static const char kHex[] = "0123456789ABCDEF";
      out += "\\x";
      out += kHex[text[i] >> 4];
      out += kHex[text[i] & 15];
    } else {
      out += ch;
    }
  }
  return out;
}

struct CloseDatabase {
  void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct FinalizeStatement {
  void operator()(sqlite3_stmt* st) const { sqlite3_finalize(st); }
};

#if DORVANE_POSTGRES
struct ClearResult {
  void operator()(PGresult* result) const { PQclear(result); }
};

// The server's message on one line, without its "ERROR:" prefix.
std::string ServerMessage(const char* text) {
  std::string message = text != nullptr ? text : "";
  if (message.starts_with("ERROR:")) message.erase(0, 6);
  while (!message.empty() && (message.front() == ' ')) message.erase(0, 1);
  const size_t end = message.find('\n');
  return end == std::string::npos ? message : message.substr(0, end);
}

// Runs the statement on the file's schema of a server data source through a
// connection of its own whose search path is that schema.
void RunServerSql(const std::string& path, const std::string& statement, std::ostream& out) {
  recordstore::ServerSource source;
  try {
    source = recordstore::ParseServerPath(path);
  } catch (const base::RuntimeError& e) {
    throw ScriptError{"sql: " + e.Description()};
  }
  recordstore::ServerLink link(source.uri);
  if (!link.Ok()) {
    throw ScriptError{"sql: cannot open " + source.display + ": " + link.ErrorText()};
  }
  PGconn* const conn = link.Conn();
  const char* schema[] = {source.schema.c_str()};
  std::unique_ptr<PGresult, ClearResult> found(
      PQexecParams(conn,
                   "SELECT set_config('search_path', quote_ident($1), false) "
                   "FROM pg_namespace WHERE nspname = $1",
                   1, nullptr, schema, nullptr, nullptr, 0));
  if (PQresultStatus(found.get()) != PGRES_TUPLES_OK || PQntuples(found.get()) != 1) {
    throw ScriptError{"sql: cannot open " + source.display + ": no schema " + source.schema};
  }
  found.reset(PQexec(conn, "SET lock_timeout = '5s'; SET client_min_messages = warning"));
  // The extended protocol runs exactly one statement: the server refuses a
  // second one before anything runs, as the language asks.
  if (!PQsendQueryParams(conn, statement.c_str(), 0, nullptr, nullptr, nullptr, nullptr, 0)) {
    throw ScriptError{"sql: " + ServerMessage(PQerrorMessage(conn))};
  }
  std::string failure;
  while (PGresult* raw = PQgetResult(conn)) {
    std::unique_ptr<PGresult, ClearResult> result(raw);
    const ExecStatusType status = PQresultStatus(raw);
    if (status == PGRES_TUPLES_OK) {
      for (int r = 0; r < PQntuples(raw); ++r) {
        std::string row = "ROW ";
        for (int col = 0; col < PQnfields(raw); ++col) {
          if (col > 0) row += "|";
          if (PQgetisnull(raw, r, col)) {
            row += "NULL";
          } else {
            row += RowValue(reinterpret_cast<const unsigned char*>(PQgetvalue(raw, r, col)),
                            PQgetlength(raw, r, col));
          }
        }
        out << row << "\n";
      }
    } else if (status != PGRES_COMMAND_OK && status != PGRES_EMPTY_QUERY && failure.empty()) {
      failure = ServerMessage(PQresultErrorMessage(raw));
    }
  }
  if (!failure.empty()) throw ScriptError{"sql: " + failure};
}
#else
// Without PostgreSQL a server data source gets the store's message.
void RunServerSql(const std::string& path, const std::string&, std::ostream&) {
  try {
    recordstore::ParseServerPath(path);
  } catch (const base::RuntimeError& e) {
    throw ScriptError{"sql: " + e.Description()};
  }
}
#endif

}  // namespace

void RunSql(const std::string& pathText, const std::string& db, const std::string& statement,
            std::ostream& out) {
  std::string fileName;
  if (db == "MAIN") {
    fileName = "MAIN.MDB";
  } else if (db == "QRLSYS") {
    fileName = "QRLSYS.mdb";
  } else {
    throw ScriptError{"sql: unknown database " + db + " (MAIN or QRLSYS)"};
  }
  if (recordstore::IsServerPath(pathText)) {
    RunServerSql(pathText + "\\" + fileName, statement, out);
    return;
  }
  std::string path;
  try {
    path = recordstore::ResolveDatabasePath(pathText + "\\" + fileName);
  } catch (const base::RuntimeError& e) {
    throw ScriptError{"sql: " + e.Description()};
  }
  sqlite3* raw = nullptr;
  const int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
  std::unique_ptr<sqlite3, CloseDatabase> conn(raw);
  if (rc != SQLITE_OK) {
    throw ScriptError{"sql: cannot open " + path + ": " +
                      (raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc))};
  }
  sqlite3_busy_timeout(conn.get(), 5000);
  // The language runs one statement: anything but blanks or comments after it
  // is refused before the first one runs.
  sqlite3_stmt* rawStatement = nullptr;
  const char* rest = nullptr;
  if (sqlite3_prepare_v2(conn.get(), statement.c_str(), -1, &rawStatement, &rest) != SQLITE_OK) {
    throw ScriptError{std::string("sql: ") + sqlite3_errmsg(conn.get())};
  }
  std::unique_ptr<sqlite3_stmt, FinalizeStatement> st(rawStatement);
  if (!st) return;  // only blanks or a comment
  // Empty statements (";") may follow; the first real one is refused.
  for (const char* more = rest; more != nullptr && *more != '\0';) {
    sqlite3_stmt* rawSecond = nullptr;
    const char* after = nullptr;
    const int second = sqlite3_prepare_v2(conn.get(), more, -1, &rawSecond, &after);
    std::unique_ptr<sqlite3_stmt, FinalizeStatement> extra(rawSecond);
    if (second != SQLITE_OK || extra || after == more) {
      std::string text(rest);
      text.erase(0, text.find_first_not_of(" \t\r\n;"));
      throw ScriptError{"sql: one statement only, and \"" + text + "\" follows it"};
    }
    more = after;
  }
  int step;
  while ((step = sqlite3_step(st.get())) == SQLITE_ROW) {
    std::string row = "ROW ";
    for (int col = 0; col < sqlite3_column_count(st.get()); ++col) {
      if (col > 0) row += "|";
      if (sqlite3_column_type(st.get(), col) == SQLITE_NULL) {
        row += "NULL";
      } else {
        const unsigned char* text = sqlite3_column_text(st.get(), col);
        row += RowValue(text, sqlite3_column_bytes(st.get(), col));
      }
    }
    out << row << "\n";
  }
  if (step != SQLITE_DONE) throw ScriptError{std::string("sql: ") + sqlite3_errmsg(conn.get())};
}

}  // namespace scripthost
