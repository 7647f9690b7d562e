// SqlFile over the SQLite C interface (see the header).
#include "sql_file.h"

#include <stdexcept>

namespace testsupport {

SqlFile::SqlFile(const std::string& path, int flags) : path_(path) {
  if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
    const std::string message = db_ != nullptr ? sqlite3_errmsg(db_) : "out of memory";
    sqlite3_close(db_);
    throw std::runtime_error("cannot open " + path + ": " + message);
  }
  sqlite3_busy_timeout(db_, 10000);
}

SqlFile::~SqlFile() { sqlite3_close(db_); }

void SqlFile::Fail(const std::string& doing) const {
  throw std::runtime_error(path_ + ": " + doing + ": " + sqlite3_errmsg(db_));
}

void SqlFile::Exec(const std::string& sql) {
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) Fail(sql);
}

std::vector<std::vector<std::string>> SqlFile::Rows(const std::string& sql) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) Fail(sql);
  std::vector<std::vector<std::string>> rows;
  int rc = SQLITE_ROW;
  while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    std::vector<std::string> row;
    for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
      row.push_back(text != nullptr ? text : "NULL");
    }
    rows.push_back(std::move(row));
  }
  sqlite3_finalize(stmt);
  if (rc != SQLITE_DONE) Fail(sql);
  return rows;
}

std::string SqlFile::Value(const std::string& sql) {
  const auto rows = Rows(sql);
  return rows.empty() || rows.front().empty() ? "(none)" : rows.front().front();
}

std::string SqlFile::DumpTables(std::initializer_list<const char*> tables) {
  std::string text;
  for (const char* table : tables) {
    text += Dump(std::string("SELECT * FROM ") + table + " ORDER BY rowid");
  }
  return text;
}

std::string SqlFile::Dump(const std::string& sql) {
  std::string text;
  for (const std::string& line : Lines(sql)) text += line + "|\n";
  return text;
}

std::vector<std::string> SqlFile::Lines(const std::string& sql) {
  std::vector<std::string> lines;
  for (const auto& row : Rows(sql)) {
    std::string line;
    for (size_t i = 0; i < row.size(); ++i) line += (i > 0 ? "|" : "") + row[i];
    lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace testsupport
