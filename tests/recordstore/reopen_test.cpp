// Tests of opening a table again on a new connection, which reuses the layout
// read before when the schema text is the same: a schema changed in between by
// another program (a new index, a new field) is read afresh, and a field's
// default evaluated at opening is evaluated again.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "services/recordstore/recordstore.h"

namespace recordstore::testing {
namespace {

namespace fs = std::filesystem;

// A folder of its own under the temporary folder, removed at the end, with
// plain SQLite access to its files as another program would have.
class Folder {
 public:
  Folder() : path_(fs::temp_directory_path() / ("dorvane-reopen-" + std::to_string(getpid()))) {
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~Folder() { fs::remove_all(path_); }
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  // Runs `sql` on the file, creating it when missing.
  void Exec(const std::string& name, const std::string& sql) const {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(File(name).c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
        << sqlite3_errmsg(db);
    sqlite3_close(db);
  }

 private:
  fs::path path_;
};

// The recordset of `table` on a new workspace (and so a new connection).
std::shared_ptr<Recordset> Open(const Folder& folder, const std::string& file,
                                const std::string& table) {
  auto workspace = DBEngine::Instance()->CreateWorkspace("wksREOPEN");
  return workspace->OpenDatabase(folder.File(file))->OpenRecordset(table);
}

// The number of the RuntimeError that `action` raises, 0 for none.
template <typename F>
int ErrorOf(F action) {
  try {
    action();
  } catch (const RuntimeError& e) {
    return e.Number();
  }
  return 0;
}

TEST(ReopenTest, SchemaChangedElsewhereIsReadAfresh) {
  Folder folder;
  folder.Exec("MAIN.MDB",
              "PRAGMA journal_mode=WAL; CREATE TABLE COLIST (CONO SHORT, CONAME TEXT(30));"
              "INSERT INTO COLIST VALUES (5, 'Harbor Paving'), (2, 'Quay Works');");
  {
    std::shared_ptr<Recordset> first = Open(folder, "MAIN.MDB", "COLIST");
    EXPECT_EQ(ErrorOf([&] { first->SetIndex("NEWINDEX"); }), 3800);
    EXPECT_EQ(ErrorOf([&] { first->Fields("CITY"); }), 3265);
  }
  folder.Exec("MAIN.MDB",
              "CREATE INDEX \"COLIST.NEWINDEX\" ON COLIST (CONO);"
              "ALTER TABLE COLIST ADD COLUMN CITY TEXT(20) DEFAULT 'Dover';");
  std::shared_ptr<Recordset> again = Open(folder, "MAIN.MDB", "COLIST");
  Recordset& rs = *again;
  rs.SetIndex("NEWINDEX");
  rs.MoveFirst();
  EXPECT_EQ(rs.Fields("CONAME").Value().ToString(), "Quay Works");
  EXPECT_EQ(rs.Fields("CITY").Size(), 20);
  rs.AddNew();
  EXPECT_EQ(rs.Fields("CITY").Value().ToString(), "Dover");
}

TEST(ReopenTest, DefaultExpressionsAreEvaluatedAtEachOpening) {
  Folder folder;
  folder.Exec("STAMP.MDB",
              "PRAGMA journal_mode=WAL; CREATE TABLE T (N DOUBLE DEFAULT (random()));");
  auto defaultOf = [&] {
    std::shared_ptr<Recordset> opened = Open(folder, "STAMP.MDB", "T");
    opened->AddNew();
    return opened->Fields("N").Value().ToString();
  };
  // Random 64-bit numbers agree by chance almost never.
  const std::string first = defaultOf();
  EXPECT_NE(defaultOf() + defaultOf(), first + first);
}

}  // namespace
}  // namespace recordstore::testing
