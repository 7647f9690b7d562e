// Tests of SQLite files: how database paths are read, a missing or foreign
// file, names in any case, files of the older layout (no rowid column) still
// work with the row identity as bookmark and never a field, the CHECKs of the
// data tool's layout refuse a value of another type whoever writes it, a value
// of another type read from a file without them rounds or is an error naming
// table, field and value, and a failing disk gives the store's errors. Field
// types are read in tests/services/messages_nullcheck.cpp; a layout read
// afresh after another program changed the schema, in the foreign-value
// scenarios.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "services/recordstore/fault_vfs.h"
#include "services/recordstore/recordstore.h"
#include "store_helpers.h"

namespace recordstore::testing {
namespace {

// TJLIST as files made before the rowid column and the CHECKs existed.
const char kOlderList[] =
    "CREATE TABLE TJLIST (TJLTAG LONG DEFAULT 0, CONO SHORT, JOBNO TEXT(8));"
    "CREATE INDEX \"TJLIST.TJLIST\" ON TJLIST (CONO, JOBNO COLLATE NOCASE);";
const char kThreeRows[] =
    "INSERT INTO TJLIST (TJLTAG, CONO, JOBNO) VALUES (7, 1, 'A'), (7, 2, 'B'), (7, 3, 'C');";

// The JOBNO of the row a bookmark returns to.
std::string JobAt(Recordset& rs, const std::string& bookmark) {
  rs.SetBookmark(bookmark);
  return rs.Fields("JOBNO").Value().ToString();
}

// In files made before the data tool's rowid column and CHECKs: the row
// identity is no field either, keys seek, and a deleted row's bookmark is
// never given to a row added later (the layout's files: position_test.cpp);
// a value the field type cannot hold rounds as the classic conversions do,
// and one out of range after rounding is 6 naming table, field and value. (A
// text in a number field, and 70000 in a Short, are shown by the
// foreign-value scenarios.)
TEST(OlderFiles, RowidIsNoFieldNeverReusedAndValuesOfAnotherTypeRoundOrOverflow) {
  DataFolder folder;
  folder.Create("MAIN.MDB",
                std::string(kOlderList) +
                    "INSERT INTO TJLIST VALUES (1099511627776, 1, 'A'), (2.5, 3.5, 'B'), "
                    "(-0.4, 32767.5, 'C');");
  Opened list = OpenTable(folder.File("MAIN.MDB"), "TJLIST", "TJLIST");
  Recordset& rs = *list.recordset;
  EXPECT_EQ(rs.FieldCount(), 3);
  EXPECT_EQ(ErrorOf([&] { rs.Fields("rowid"); }), 3265);
  rs.MoveFirst();
  std::string description;
  EXPECT_EQ(ErrorOf([&] { rs.Fields("TJLTAG").Value(); }, &description), 6);
  EXPECT_NE(description.find("1099511627776"), std::string::npos) << description;
  EXPECT_EQ(rs.Fields("CONO").Value().ToInteger(), 1);  // the other fields read
  rs.MoveNext();
  EXPECT_EQ(rs.Fields("TJLTAG").Value().Type(), VarType::Long);
  EXPECT_EQ(rs.Fields("TJLTAG").Value().ToLong(), 2);
  EXPECT_EQ(rs.Fields("CONO").Value().ToInteger(), 4);
  rs.MoveNext();
  EXPECT_EQ(rs.Fields("TJLTAG").Value().ToLong(), 0);
  EXPECT_EQ(ErrorOf([&] { rs.Fields("CONO").Value(); }, &description), 6);
  EXPECT_NE(description.find("field 'CONO' of table 'TJLIST'"), std::string::npos) << description;
  const std::string c = rs.Bookmark();  // the row with the highest rowid
  rs.Seek("=", {Variant::Integer(1), Variant::String("a")});
  EXPECT_EQ(rs.Fields("JOBNO").Value().ToString(), "A");
  EXPECT_EQ(JobAt(rs, c), "C");
  rs.Delete();
  AddRow(rs, {{"CONO", Variant::Integer(4)}, {"JOBNO", Variant::String("D")}});
  EXPECT_EQ(ErrorOf([&] { rs.SetBookmark(c); }), 3167);
  EXPECT_EQ(JobAt(rs, rs.LastModified()), "D");
  rs.MovePrevious();
  EXPECT_EQ(rs.Fields("JOBNO").Value().ToString(), "B");
}

// Each write is one another program might make; every one must be refused.
TEST(StoredTypes, LayoutRefusesValuesOfAnotherTypeWhoeverWrites) {
  DataFolder folder{"MAIN.MDB"};
  folder.Exec("MAIN.MDB", kThreeRows);
  for (const char* set :
       {"TJLTAG = 'x'", "TJLTAG = 1099511627776" /* 2^40 */, "TJLTAG = 2.5", "CONO = 32768",
        "CONO = -32769", "JOBNO = '123456789'", "JOBNO = x'00'"}) {
    EXPECT_ANY_THROW(folder.Exec("MAIN.MDB", std::string("UPDATE TJLIST SET ") + set)) << set;
  }
  // Values of the type, the limits and Null are accepted; a number given to a
  // Text field is stored as its text.
  folder.Exec("MAIN.MDB",
              "UPDATE TJLIST SET TJLTAG = 2147483647, CONO = -32768, JOBNO = '12345678' "
              "WHERE CONO = 1;"
              "UPDATE TJLIST SET TJLTAG = NULL, CONO = NULL, JOBNO = 12 WHERE CONO = 2;");
  EXPECT_EQ(folder.Query("MAIN.MDB",
                         "SELECT TJLTAG, CONO, JOBNO, typeof(JOBNO) FROM TJLIST "
                         "ORDER BY rowid LIMIT 2"),
            (std::vector<std::string>{"2147483647|-32768|12345678|text", "NULL|NULL|12|text"}));
}

// Each form of a path reaches its file. A missing file is 3024 and is not
// made; a file that is no database 3343. Table and index names are found in
// any case; a Seek needs an index (3019). (What a missing file, index or field
// says is shown by the scenarios.)
TEST(OpenTest, PathFormsReachTheirFileAndMissingOrForeignFilesAreRefused) {
  DataFolder folder;
  folder.CreateMain("INSERT INTO COLIST (CONO, CONAME) VALUES (5, 'Harbor Paving');");
  folder.Create("qrlsys.mdb", testsupport::SchemaOf("QRLSYS.mdb") +
                                  "INSERT INTO SYSSETTINGS (JOBNOSIZE) VALUES (8);");
  std::string windowsStyle = folder.Path();
  std::replace(windowsStyle.begin(), windowsStyle.end(), '/', '\\');
  const std::pair<std::string, std::string> paths[] = {
      {folder.Path() + "\\MAIN.MDB", "COLIST"}, {folder.Path() + "\\\\MAIN.MDB", "COLIST"},
      {windowsStyle + "\\MAIN.MDB", "COLIST"},  {folder.Path() + "/main.mdb", "COLIST"},
      {folder.Path() + "//MAIN", "COLIST"},     {folder.Path() + "\\QRLSYS.MDB", "SYSSETTINGS"}};
  for (const auto& [path, table] : paths) {
    auto workspace = DBEngine::Instance()->CreateWorkspace("wksMAIN");
    EXPECT_FALSE(workspace->OpenDatabase(path)->OpenRecordset(table)->IsEOF()) << path;
  }
  auto workspace = DBEngine::Instance()->CreateWorkspace("wksMAIN");
  EXPECT_EQ(ErrorOf([&] { workspace->OpenDatabase(folder.Path() + "\\NOSUCH.MDB"); }), 3024);
  EXPECT_FALSE(std::filesystem::exists(folder.File("NOSUCH.MDB")));
  std::ofstream(folder.File("NOTES.MDB"))
      << "this is a text file, long enough to not look like an empty database file.....";
  EXPECT_EQ(ErrorOf([&] { workspace->OpenDatabase(folder.File("NOTES.MDB")); }), 3343);
  auto colist = workspace->OpenDatabase(folder.File("MAIN.MDB"))->OpenRecordset("colist");
  EXPECT_EQ(ErrorOf([&] { colist->Seek("=", {Variant::Integer(5)}); }), 3019);
  // Index names are the short names, in any case.
  EXPECT_EQ(ErrorOf([&] { colist->SetIndex("cono"); }), 0);
}

// A failing disk, made by the store's VFS: an I/O error of any kind of file
// call is 3043 and a full disk 3026, each naming the file; the table keeps its
// old rows, and the same recordset writes again once the disk is sound. (The
// control's sweep over every call of every writing action accepts either.)
TEST(DiskError, FailedWritesAreClassicErrorsAndLeaveTheTableAsItWas) {
  const struct {
    FaultVfs::Call call;
    int code;
    int number;
  } cases[] = {{FaultVfs::Call::kWrite, SQLITE_IOERR, 3043},
               {FaultVfs::Call::kWrite, SQLITE_FULL, 3026},
               {FaultVfs::Call::kSync, SQLITE_IOERR, 3043},
               {FaultVfs::Call::kLock, SQLITE_IOERR, 3043}};
  for (const auto& c : cases) {
    DataFolder folder;
    folder.CreateMain("INSERT INTO COLIST (CONO, CONAME) VALUES (1, 'Alder');");
    Opened companies = OpenTable(folder.File("MAIN.MDB"), "COLIST");
    Recordset& rs = *companies.recordset;
    rs.AddNew();
    rs.SetCollect("CONO", Variant::Integer(2));
    FaultVfs::Arm(c.call, 1, c.code, true);
    std::string description;
    const int number = ErrorOf([&] { rs.Update(); }, &description);
    FaultVfs::Disarm();
    EXPECT_EQ(number, c.number) << description;
    EXPECT_NE(description.find("MAIN.MDB"), std::string::npos) << description;
    EXPECT_EQ(folder.Value("MAIN.MDB", "SELECT count(*) FROM COLIST"), "1") << c.number;
    rs.Update();  // the edit stayed open; the disk is sound again
    EXPECT_EQ(folder.Value("MAIN.MDB", "SELECT count(*) FROM COLIST"), "2");
  }
}

}  // namespace
}  // namespace recordstore::testing
