// A thin layer over the SQLite C API for the tool's writers: a connection that
// owns its handle, prepared statements with bound parameters, and failures as
// exceptions that name the file. Relies on sqlite3.h.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace dorvanedata {

// A failure of the tool, with a message meant for the user.
class ToolError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A prepared statement; parameters are numbered from 1.
class Statement {
 public:
  Statement(sqlite3* db, std::string_view sql, const std::string& path);
  ~Statement();
  Statement(Statement&& other) noexcept;
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  void Bind(int index, int64_t value);
  void Bind(int index, double value);
  void Bind(int index, std::string_view value);
  void BindBlob(int index, std::string_view bytes);
  void BindNull(int index);
  // Runs the statement to its next row; false when there is none (it is then reset).
  bool Step();
  // The text of column `column` of the current row; nullopt for NULL.
  std::optional<std::string> Text(int column) const;
  // Runs the statement once (an insert) and makes it ready for the next row.
  void Run();
  // Column `column` of the current row as text ("" for NULL), and as a whole number.
  std::string TextOrEmpty(int column) const;
  int64_t Int(int column) const;

 private:
  sqlite3_stmt* stmt_ = nullptr;
  sqlite3* db_;
  const std::string& path_;
};

// A database file opened (and created when missing) for writing, or an
// existing one opened for reading only.
class SqliteFile {
 public:
  explicit SqliteFile(const std::string& path, bool readOnly = false);
  ~SqliteFile();
  SqliteFile(const SqliteFile&) = delete;
  SqliteFile& operator=(const SqliteFile&) = delete;

  // Runs SQL text that takes no parameters.
  void Exec(std::string_view sql);
  // Prepares a statement for rows to be bound and run.
  Statement Prepare(std::string_view sql) { return Statement(db_, sql, path_); }
  // Switches the file to write-ahead logging, the mode the record store shares it in.
  void UseWal();
  // Closes the file, reporting a failure to do so; the destructor then does nothing.
  void Close();

 private:
  sqlite3* db_ = nullptr;
  std::string path_;
};

}  // namespace dorvanedata
