// Tests of opening: how database paths are read, a missing or foreign file,
// names in any case, and a layout read afresh when another program changed the
// schema. Field types are read in tests/services/messages_nullcheck.cpp.
// An empty file (3343, left empty) is tested through the control in
// tests/control/data_files_test.cpp.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "services/recordstore/recordstore.h"
#include "store_helpers.h"

namespace recordstore::testing {
namespace {

class OpenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder.CreateMain("INSERT INTO COLIST (CONO, CONAME) VALUES (5, 'Harbor Paving');");
  }
  DataFolder folder;
};

TEST_F(OpenTest, PathFormsAllReachTheirFile) {
  folder.Create("qrlsys.mdb", testsupport::SchemaOf("QRLSYS.mdb") +
                                  "INSERT INTO SYSSETTINGS (JOBNOSIZE) VALUES (8);");
  std::string windowsStyle = folder.Path();
  for (char& c : windowsStyle) c = c == '/' ? '\\' : c;
  const std::pair<std::string, std::string> paths[] = {
      {folder.Path() + "\\MAIN.MDB", "COLIST"}, {folder.Path() + "\\\\MAIN.MDB", "COLIST"},
      {windowsStyle + "\\MAIN.MDB", "COLIST"},  {folder.Path() + "/main.mdb", "COLIST"},
      {folder.Path() + "//MAIN", "COLIST"},     {folder.Path() + "\\QRLSYS.MDB", "SYSSETTINGS"}};
  for (const auto& [path, table] : paths) {
    auto workspace = DBEngine::Instance()->CreateWorkspace("wksMAIN");
    EXPECT_FALSE(workspace->OpenDatabase(path)->OpenRecordset(table)->IsEOF()) << path;
  }
}

// A missing file is 3024 and is not made; a file that is no database 3343.
// Table and index names are found in any case; a Seek needs an index (3019).
// (What a missing file, index or field says is shown by the scenarios.)
TEST_F(OpenTest, MissingOrForeignFilesAndNamesInAnyCase) {
  auto workspace = DBEngine::Instance()->CreateWorkspace("wksMAIN");
  EXPECT_EQ(ErrorOf([&] { workspace->OpenDatabase(folder.Path() + "\\NOSUCH.MDB"); }), 3024);
  EXPECT_FALSE(std::filesystem::exists(folder.File("NOSUCH.MDB")));
  std::filesystem::path text = folder.File("NOTES.MDB");
  FILE* file = std::fopen(text.c_str(), "w");
  std::fputs("this is a text file, long enough to not look like an empty database file.....", file);
  std::fclose(file);
  EXPECT_EQ(ErrorOf([&] { workspace->OpenDatabase(text.string()); }), 3343);
  auto colist = workspace->OpenDatabase(folder.File("MAIN.MDB"))->OpenRecordset("colist");
  EXPECT_EQ(colist->Name(), "COLIST");
  EXPECT_EQ(ErrorOf([&] { colist->Seek("=", {Variant::Integer(5)}); }), 3019);
  colist->SetIndex("cono");  // index names are the short names, in any case
  EXPECT_EQ(colist->Index(), "CONO");
}

// A table opened again on a new connection reuses the layout read before only
// while the schema text is the same: a new index, a new field and its default
// made by another program in between are seen.
TEST_F(OpenTest, SchemaChangedElsewhereIsReadAfresh) {
  {
    Opened first = OpenTable(folder.File("MAIN.MDB"), "COLIST");
    EXPECT_EQ(ErrorOf([&] { first.recordset->SetIndex("NEWINDEX"); }), 3800);
    EXPECT_EQ(ErrorOf([&] { first.recordset->Fields("CITY"); }), 3265);
  }
  folder.Exec("MAIN.MDB",
              "INSERT INTO COLIST (CONO, CONAME) VALUES (2, 'Quay Works');"
              "CREATE INDEX \"COLIST.NEWINDEX\" ON COLIST (CONO);"
              "ALTER TABLE COLIST ADD COLUMN CITY TEXT(20) DEFAULT 'Dover';");
  Opened again = OpenTable(folder.File("MAIN.MDB"), "COLIST");
  Recordset& rs = *again.recordset;
  rs.SetIndex("NEWINDEX");
  rs.MoveFirst();
  EXPECT_EQ(rs.Fields("CONAME").Value().ToString(), "Quay Works");
  EXPECT_EQ(rs.Fields("CITY").Size(), 20);
  rs.AddNew();
  EXPECT_EQ(rs.Fields("CITY").Value().ToString(), "Dover");
}

}  // namespace
}  // namespace recordstore::testing
