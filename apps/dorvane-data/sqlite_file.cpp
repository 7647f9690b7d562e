// The SQLite layer of the tool. Every failure becomes a ToolError that names
// the file and carries SQLite's own explanation.
#include "sqlite_file.h"

#include <cassert>

namespace dorvanedata {
namespace {

// Throws a ToolError for a failed SQLite call on the file at path.
[[noreturn]] void Fail(sqlite3* db, const std::string& path, std::string_view doing) {
  throw ToolError("cannot " + std::string(doing) + " " + path + ": " +
                  (db ? sqlite3_errmsg(db) : "out of memory"));
}

}  // namespace

Statement::Statement(sqlite3* db, std::string_view sql, const std::string& path)
    : db_(db), path_(path) {
  if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &stmt_, nullptr) !=
      SQLITE_OK) {
    Fail(db, path, "prepare a statement for");
  }
}

Statement::Statement(Statement&& other) noexcept
    : stmt_(other.stmt_), db_(other.db_), path_(other.path_) {
  other.stmt_ = nullptr;
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

void Statement::Bind(int index, int64_t value) {
  if (sqlite3_bind_int64(stmt_, index, value) != SQLITE_OK) Fail(db_, path_, "bind a value in");
}

void Statement::Bind(int index, double value) {
  if (sqlite3_bind_double(stmt_, index, value) != SQLITE_OK) Fail(db_, path_, "bind a value in");
}

void Statement::BindBlob(int index, std::string_view bytes) {
  if (sqlite3_bind_blob(stmt_, index, bytes.data(), static_cast<int>(bytes.size()),
                        SQLITE_TRANSIENT) != SQLITE_OK) {
    Fail(db_, path_, "bind a value in");
  }
}

void Statement::BindNull(int index) {
  if (sqlite3_bind_null(stmt_, index) != SQLITE_OK) Fail(db_, path_, "bind a value in");
}

void Statement::Bind(int index, std::string_view value) {
  if (sqlite3_bind_text(stmt_, index, value.data(), static_cast<int>(value.size()),
                        SQLITE_TRANSIENT) != SQLITE_OK) {
    Fail(db_, path_, "bind a value in");
  }
}

bool Statement::Step() {
  const int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  sqlite3_reset(stmt_);
  if (rc != SQLITE_DONE) Fail(db_, path_, "read a row of");
  return false;
}

std::optional<std::string> Statement::Text(int column) const {
  if (sqlite3_column_type(stmt_, column) == SQLITE_NULL) return std::nullopt;
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
  return std::string(text, static_cast<size_t>(sqlite3_column_bytes(stmt_, column)));
}

void Statement::Run() {
  const int rc = sqlite3_step(stmt_);
  sqlite3_reset(stmt_);
  if (rc != SQLITE_DONE) Fail(db_, path_, "write a row to");
}

std::string Statement::TextOrEmpty(int column) const {
  const unsigned char* text = sqlite3_column_text(stmt_, column);
  return text ? std::string(reinterpret_cast<const char*>(text)) : std::string();
}

int64_t Statement::Int(int column) const { return sqlite3_column_int64(stmt_, column); }

SqliteFile::SqliteFile(const std::string& path, bool readOnly) : path_(path) {
  const int flags = readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
  const int rc = sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
  if (rc != SQLITE_OK) {
    const std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
    sqlite3_close(db_);
    db_ = nullptr;
    throw ToolError(std::string(readOnly ? "cannot open " : "cannot create ") + path + ": " +
                    message);
  }
}

SqliteFile::~SqliteFile() { sqlite3_close(db_); }

void SqliteFile::Exec(std::string_view sql) {
  assert(db_);
  const std::string text(sql);
  if (sqlite3_exec(db_, text.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
    Fail(db_, path_, "run \"" + text + "\" on");
  }
}

void SqliteFile::UseWal() {
  // The pragma answers with the mode now in force; anything but "wal" is a failure.
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db_, "PRAGMA journal_mode=WAL", -1, &stmt, nullptr) != SQLITE_OK) {
    Fail(db_, path_, "switch to WAL");
  }
  bool ok = false;
  if (sqlite3_step(stmt) == SQLITE_ROW) {
    const unsigned char* mode = sqlite3_column_text(stmt, 0);
    ok = mode && std::string_view(reinterpret_cast<const char*>(mode)) == "wal";
  }
  sqlite3_finalize(stmt);
  if (!ok) Fail(db_, path_, "switch to WAL");
}

void SqliteFile::Close() {
  if (sqlite3_close(db_) != SQLITE_OK) Fail(db_, path_, "close");
  db_ = nullptr;
}

}  // namespace dorvanedata
