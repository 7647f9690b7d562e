// `sql`: resolves the file as the record store does (backslashes, case of the
// name), opens it read-write without creating it, waits a few seconds for
// locks, and prints every row of every statement of the text.
#include "apps/dorvane-script/script_sql.h"

#include <sqlite3.h>

#include <memory>

#include "apps/dorvane-script/script_words.h"
#include "services/recordstore/database_path.h"
#include "services/recordstore/runtime_error.h"

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
  std::string path;
  try {
    path = recordstore::ResolveDatabasePath(pathText + "\\" + fileName);
  } catch (const recordstore::RuntimeError& e) {
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
  const char* next = statement.c_str();
  while (next != nullptr && *next != '\0') {
    sqlite3_stmt* rawStatement = nullptr;
    if (sqlite3_prepare_v2(conn.get(), next, -1, &rawStatement, &next) != SQLITE_OK) {
      throw ScriptError{std::string("sql: ") + sqlite3_errmsg(conn.get())};
    }
    std::unique_ptr<sqlite3_stmt, FinalizeStatement> st(rawStatement);
    if (!st) continue;  // only blanks or a comment were left
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
}

}  // namespace scripthost
