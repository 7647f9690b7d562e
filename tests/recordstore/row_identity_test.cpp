// Tests of the row identity and the stored types of the data tool's layout:
// the rowid column is the bookmark and never a field, files of the older
// layout (no rowid column) still work, and the CHECKs of the layout refuse a
// value of another type whoever writes it.
#include <gtest/gtest.h>

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

TEST(RowIdentity, TheRowidColumnIsNoFieldButKeysStillWalk) {
  DataFolder folder;
  folder.CreateMain(kThreeRows);
  Opened list = OpenTable(folder.File("MAIN.MDB"), "TJLIST", "TJLIST");
  Recordset& rs = *list.recordset;
  EXPECT_EQ(rs.FieldCount(), 3);
  EXPECT_EQ(rs.Fields(0).Name(), "TJLTAG");
  EXPECT_EQ(ErrorOf([&] { rs.Fields("rowid"); }), 3265);
  EXPECT_EQ(WalkBackward(rs, "JOBNO"), (std::vector<std::string>{"C", "B", "A"}));
  rs.Seek("=", {Variant::Integer(2), Variant::String("b")});
  ASSERT_FALSE(rs.NoMatch());
  EXPECT_EQ(rs.Fields("JOBNO").Value().ToString(), "B");
  rs.AddNew();
  rs.SetCollect("CONO", Variant::Integer(4));
  rs.Update();
  EXPECT_EQ(folder.Value("MAIN.MDB", "SELECT rowid FROM TJLIST WHERE CONO = 4"), "4");
}

TEST(RowIdentity, OlderFilesWithoutTheColumnStillWork) {
  DataFolder folder;
  folder.Create("MAIN.MDB", std::string(kOlderList) + kThreeRows);
  Opened list = OpenTable(folder.File("MAIN.MDB"), "TJLIST", "TJLIST");
  Recordset& rs = *list.recordset;
  EXPECT_EQ(rs.FieldCount(), 3);
  rs.MoveLast();
  const std::string c = rs.Bookmark();
  rs.MoveFirst();
  EXPECT_EQ(JobAt(rs, c), "C");
  rs.Delete();  // this program's own delete is never reused
  rs.AddNew();
  rs.SetCollect("CONO", Variant::Integer(4));
  rs.SetCollect("JOBNO", Variant::String("D"));
  rs.Update();
  EXPECT_EQ(ErrorOf([&] { rs.SetBookmark(c); }), 3167);
  EXPECT_EQ(JobAt(rs, rs.LastModified()), "D");
}

// Each write is one another program might make; every one must be refused.
TEST(StoredTypes, LayoutRefusesValuesOfAnotherTypeWhoeverWrites) {
  DataFolder folder{"MAIN.MDB", "QRLSYS.mdb"};
  folder.Exec("MAIN.MDB", kThreeRows);
  const char* refused[] = {
      "UPDATE TJLIST SET TJLTAG = 'x'",
      "UPDATE TJLIST SET TJLTAG = 1099511627776",  // 2^40
      "UPDATE TJLIST SET TJLTAG = 2.5",
      "UPDATE TJLIST SET CONO = 32768",
      "UPDATE TJLIST SET CONO = -32769",
      "UPDATE TJLIST SET JOBNO = '123456789'",
      "UPDATE TJLIST SET JOBNO = x'00'",
      "INSERT INTO PELIST (PETAG, LDATE) VALUES (70000, '20240105')",
  };
  for (const char* sql : refused) {
    EXPECT_ANY_THROW(folder.Exec("MAIN.MDB", sql)) << sql;
  }
  EXPECT_ANY_THROW(folder.Exec("QRLSYS.mdb", "INSERT INTO SYSSETTINGS (JOBNOSIZE) VALUES ('abc')"));
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

// Reading a value the field type cannot hold, in a file without the CHECKs.
TEST(StoredTypes, ReadingAValueOfAnotherTypeNamesTableFieldAndValue) {
  DataFolder folder;
  folder.Create("MAIN.MDB", std::string(kOlderList) +
                                "INSERT INTO TJLIST VALUES ('x', 1, 'A'), (1099511627776, 2, 'B'), "
                                "(2.5, 3.5, 'C'), (-0.4, 70000, 'D'), (0, 32767.5, 'E');");
  Opened list = OpenTable(folder.File("MAIN.MDB"), "TJLIST", "TJLIST");
  Recordset& rs = *list.recordset;
  rs.MoveFirst();
  std::string description;
  EXPECT_EQ(ErrorOf([&] { rs.Fields("TJLTAG").Value(); }, &description), 13);
  for (const char* part : {"TJLIST", "TJLTAG", "'x'"}) {
    EXPECT_NE(description.find(part), std::string::npos) << description;
  }
  EXPECT_EQ(rs.Fields("CONO").Value().ToInteger(), 1);  // the other fields read
  rs.MoveNext();
  EXPECT_EQ(ErrorOf([&] { rs.Fields("TJLTAG").Value(); }, &description), 6);
  EXPECT_NE(description.find("1099511627776"), std::string::npos) << description;
  rs.MoveNext();  // fractions round as the classic conversions do
  EXPECT_EQ(rs.Fields("TJLTAG").Value().Type(), VarType::Long);
  EXPECT_EQ(rs.Fields("TJLTAG").Value().ToLong(), 2);
  EXPECT_EQ(rs.Fields("CONO").Value().ToInteger(), 4);
  rs.MoveNext();  // 32767.5 rounds to 32768, out of range
  EXPECT_EQ(ErrorOf([&] { rs.Fields("CONO").Value(); }, &description), 6);
  EXPECT_NE(description.find("field 'CONO' of table 'TJLIST'"), std::string::npos) << description;
  rs.MoveNext();
  EXPECT_EQ(rs.Fields("TJLTAG").Value().ToLong(), 0);
  EXPECT_EQ(ErrorOf([&] { rs.Fields("CONO").Value(); }, &description), 6);
  EXPECT_NE(description.find("70000"), std::string::npos) << description;
}

TEST(StoredTypes, AFieldRuleRefusedOnUpdateNamesTheFieldAndChangesNothing) {
  DataFolder folder;
  folder.Create("RULES.MDB",
                "CREATE TABLE R (rowid INTEGER PRIMARY KEY AUTOINCREMENT, "
                "N SHORT CONSTRAINT N CHECK (N > 0), M SHORT CHECK (M < 10));"
                "INSERT INTO R (N, M) VALUES (1, 1);");
  Opened rules = OpenTable(folder.File("RULES.MDB"), "R");
  Recordset& rs = *rules.recordset;
  rs.Edit();
  rs.SetCollect("N", Variant::Integer(-1));
  std::string description;
  EXPECT_EQ(ErrorOf([&] { rs.Update(); }, &description), 3317);
  EXPECT_NE(description.find("field 'N' of table 'R'"), std::string::npos) << description;
  EXPECT_EQ(rs.EditMode(), 1);  // the edit stays open
  rs.CancelUpdate();
  rs.AddNew();
  rs.SetCollect("N", Variant::Integer(2));
  rs.SetCollect("M", Variant::Integer(10));
  EXPECT_EQ(ErrorOf([&] { rs.Update(); }, &description), 3317);  // an unnamed rule
  EXPECT_EQ(folder.Query("RULES.MDB", "SELECT N, M FROM R"), std::vector<std::string>{"1|1"});
}

}  // namespace
}  // namespace recordstore::testing
