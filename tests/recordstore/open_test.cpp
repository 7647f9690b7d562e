// Tests of opening: how database paths are read, the errors for a missing
// file, table, index or field, what a table's layout tells about its fields,
// and the workspace counter. An empty file (3343, left empty) is tested
// through the control in tests/control/data_files_test.cpp.
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
  // The first company name read through a database opened with `path`.
  std::string FirstCompany(const std::string& path) {
    auto workspace = DBEngine::Instance()->CreateWorkspace("wksMAIN");
    auto recordset = workspace->OpenDatabase(path)->OpenRecordset("COLIST");
    return recordset->Fields("CONAME").Value().ToString();
  }
  DataFolder folder;
};

TEST_F(OpenTest, PathFormsAllReachMainMdb) {
  std::string windowsStyle = folder.Path();
  for (char& c : windowsStyle) {
    if (c == '/') c = '\\';
  }
  EXPECT_EQ(FirstCompany(folder.Path() + "\\MAIN.MDB"), "Harbor Paving");
  EXPECT_EQ(FirstCompany(folder.Path() + "\\\\MAIN.MDB"), "Harbor Paving");  // folder ending in "\"
  EXPECT_EQ(FirstCompany(windowsStyle + "\\MAIN.MDB"), "Harbor Paving");
  EXPECT_EQ(FirstCompany(folder.Path() + "/main.mdb"), "Harbor Paving");
  EXPECT_EQ(FirstCompany(folder.Path() + "//MAIN"), "Harbor Paving");
}

TEST_F(OpenTest, LowerCaseFileOpensFromUpperCaseName) {
  folder.Create("qrlsys.mdb",
                testsupport::SchemaOf("QRLSYS.mdb") +
                    "INSERT INTO SYSSETTINGS (JOBNOSIZE, JOBNOTYPE) VALUES (8, 'C');");
  auto workspace = DBEngine::Instance()->CreateWorkspace("wksQRLSYS");
  auto settings =
      workspace->OpenDatabase(folder.Path() + "\\QRLSYS.MDB")->OpenRecordset("SYSSETTINGS");
  EXPECT_EQ(settings->Fields("JOBNOSIZE").Value().ToInteger(), 8);
}

TEST_F(OpenTest, MissingFileIs3024AndCreatesNothing) {
  auto workspace = DBEngine::Instance()->CreateWorkspace("wksMAIN");
  std::string description;
  EXPECT_EQ(ErrorOf([&] { workspace->OpenDatabase(folder.Path() + "\\NOSUCH.MDB"); }, &description),
            3024);
  EXPECT_NE(description.find("NOSUCH.MDB"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(folder.File("NOSUCH.MDB")));
  EXPECT_EQ(ErrorOf([&] { workspace->OpenDatabase(folder.Path() + "\\nofolder\\MAIN.MDB"); },
                    &description),
            3024);
  EXPECT_NE(description.find("nofolder"), std::string::npos);
}

TEST_F(OpenTest, FileThatIsNotADatabaseIsRefused) {
  std::filesystem::path text = folder.File("NOTES.MDB");
  FILE* file = std::fopen(text.c_str(), "w");
  std::fputs("this is a text file, long enough to not look like an empty database file.....", file);
  std::fclose(file);
  auto workspace = DBEngine::Instance()->CreateWorkspace("wksMAIN");
  EXPECT_EQ(ErrorOf([&] { workspace->OpenDatabase(text.string()); }), 3343);
}

TEST_F(OpenTest, MissingTableIndexAndFieldNameWhatIsMissing) {
  auto workspace = DBEngine::Instance()->CreateWorkspace("wksMAIN");
  auto database = workspace->OpenDatabase(folder.File("MAIN.MDB"));
  std::string description;
  EXPECT_EQ(ErrorOf([&] { database->OpenRecordset("NOTABLE"); }, &description), 3078);
  EXPECT_NE(description.find("NOTABLE"), std::string::npos);

  auto colist = database->OpenRecordset("colist");
  EXPECT_EQ(colist->Name(), "COLIST");
  EXPECT_EQ(ErrorOf([&] { colist->SetIndex("NOINDEX"); }, &description), 3800);
  EXPECT_NE(description.find("NOINDEX"), std::string::npos);
  EXPECT_NE(description.find("COLIST"), std::string::npos);
  EXPECT_EQ(ErrorOf([&] { colist->Fields("NOFIELD"); }, &description), 3265);
  EXPECT_NE(description.find("NOFIELD"), std::string::npos);
  EXPECT_EQ(ErrorOf([&] { colist->Seek("=", {Variant::Integer(5)}); }), 3019);
  colist->SetIndex("cono");  // index names are the short names, in any case
  EXPECT_EQ(colist->Index(), "CONO");
}

TEST_F(OpenTest, DeclaredTypesGiveFieldTypesAndSizes) {
  folder.Create("TYPES.MDB",
                "CREATE TABLE T (B BIT, Y BYTE, S SHORT, L LONG, C CURRENCY, F SINGLE, D DOUBLE, "
                "W DATETIME, X TEXT(12), M MEMO, G GUID, N LONGBINARY, Q VARCHAR(9), Z);");
  Opened opened = OpenTable(folder.File("TYPES.MDB"), "T");
  const std::vector<std::pair<std::string, int>> expected = {
      {"B", 1}, {"Y", 2},  {"S", 3},  {"L", 4},  {"C", 5},  {"F", 6},  {"D", 7},
      {"W", 8}, {"X", 10}, {"M", 12}, {"G", 15}, {"N", 11}, {"Q", 10}, {"Z", 10}};
  for (const auto& [name, type] : expected) {
    EXPECT_EQ(opened.recordset->Fields(name).Type(), type) << name;
  }
  EXPECT_EQ(opened.recordset->Fields("X").Size(), 12);
  EXPECT_EQ(opened.recordset->Fields("S").Size(), 2);
  EXPECT_EQ(opened.recordset->Fields("x").Name(), "X");
  EXPECT_EQ(opened.recordset->FieldCount(), 14);
}

TEST_F(OpenTest, TableWithoutDeclaredLayoutIsReadable) {
  folder.Create("PLAIN.MDB",
                "CREATE TABLE P (ID INTEGER, NAME VARCHAR(5), AMOUNT REAL);"
                "INSERT INTO P VALUES (1, 'abc', 2.5), (2, NULL, NULL);");
  Opened opened = OpenTable(folder.File("PLAIN.MDB"), "P");
  EXPECT_EQ(opened.recordset->RecordCount(), 2);
  EXPECT_EQ(opened.recordset->Fields("ID").Value().Type(), VarType::String);
  EXPECT_EQ(opened.recordset->Fields("ID").Value().ToString(), "1");
  EXPECT_EQ(opened.recordset->Fields("AMOUNT").Value().ToString(), "2.5");
  opened.recordset->MoveNext();
  EXPECT_TRUE(opened.recordset->Fields("NAME").Value().IsNull());
}

TEST_F(OpenTest, WorkspacesAreCountedAndClosedObjectsRefuseWork) {
  auto engine = DBEngine::Instance();
  int before = engine->WorkspacesCreated();
  auto workspace = engine->CreateWorkspace("wksSEARCH", "admin", "", 2);
  EXPECT_EQ(engine->WorkspacesCreated(), before + 1);
  EXPECT_EQ(workspace->Name(), "wksSEARCH");
  EXPECT_EQ(ErrorOf([&] { engine->CreateWorkspace("wksODBC", "admin", "", 1); }), 3001);

  auto database = workspace->OpenDatabase(folder.File("MAIN.MDB"));
  auto recordset = database->OpenRecordset("COLIST");
  database->Close();
  EXPECT_FALSE(recordset->IsOpen());
  EXPECT_EQ(ErrorOf([&] { recordset->MoveFirst(); }), 3420);
  workspace->Close();
  EXPECT_EQ(ErrorOf([&] { workspace->OpenDatabase(folder.File("MAIN.MDB")); }), 3420);
}

}  // namespace
}  // namespace recordstore::testing
