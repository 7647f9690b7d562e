// Support for the tests of dorvane-data: runs the built program (found in
// DORVANE_BIN_DIR) in a scratch folder and reads the files it makes with
// SQLite. Relies on GoogleTest, sqlite3 and POSIX process status macros.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace datatool {

namespace fs = std::filesystem;

// What one run of the program did.
struct ToolRun {
  int status = -1;
  std::string out;
  std::string err;
};

// Returns the whole content of a file ("" when it cannot be read).
inline std::string ReadText(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// A scratch folder, removed with everything in it at the end of the test.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (fs::temp_directory_path() / "dorvane-data-test-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
    EXPECT_FALSE(path_.empty());
  }
  ~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

// Runs dorvane-data with the arguments (each passed as one word) and collects
// its exit status and output.
inline ToolRun RunTool(const std::vector<std::string>& args) {
  static ScratchFolder outputFolder;
  std::string command = "'" DORVANE_BIN_DIR "/dorvane-data'";
  for (const std::string& arg : args) command += " '" + arg + "'";
  const fs::path out = outputFolder.Path() / "out.txt";
  const fs::path err = outputFolder.Path() / "err.txt";
  command += " >'" + out.string() + "' 2>'" + err.string() + "'";
  const int raw = std::system(command.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadText(out), ReadText(err)};
}

// A data file opened for reading and writing; queries answer with rows of text.
class Db {
 public:
  explicit Db(const fs::path& file, int flags = SQLITE_OPEN_READWRITE) {
    EXPECT_EQ(sqlite3_open_v2(file.c_str(), &db_, flags, nullptr), SQLITE_OK) << file;
  }
  ~Db() { sqlite3_close(db_); }
  Db(const Db&) = delete;
  Db& operator=(const Db&) = delete;

  // Returns every row of the query, each as its column texts ("NULL" for Null).
  std::vector<std::vector<std::string>> Rows(const std::string& sql) {
    std::vector<std::vector<std::string>> rows;
    sqlite3_stmt* stmt = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr), SQLITE_OK)
        << sql << ": " << sqlite3_errmsg(db_);
    while (stmt && sqlite3_step(stmt) == SQLITE_ROW) {
      std::vector<std::string> row;
      for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
        row.push_back(text ? text : "NULL");
      }
      rows.push_back(std::move(row));
    }
    sqlite3_finalize(stmt);
    return rows;
  }

  // Returns the first column of the first row of the query ("" when no row).
  std::string Value(const std::string& sql) {
    auto rows = Rows(sql);
    return rows.empty() ? std::string() : rows.front().front();
  }

  // Returns the query's rows joined into one text, for whole-table comparisons.
  std::string Dump(const std::string& sql) {
    std::string text;
    for (const auto& row : Rows(sql)) {
      for (const auto& field : row) text += field + "|";
      text += "\n";
    }
    return text;
  }

  sqlite3* Handle() { return db_; }

 private:
  sqlite3* db_ = nullptr;
};

}  // namespace datatool
