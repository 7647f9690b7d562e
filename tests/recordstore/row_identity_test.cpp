// Tests of the row identity and the stored types of the data tool's layout:
// the rowid column is the bookmark and never a field, files of the older
// layout (no rowid column) still work, the CHECKs of the layout refuse a value
// of another type whoever writes it, and a value of another type read from a
// file without them is an error naming table, field and value.
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

// In the data tool's layout and in files made before its rowid column, the
// row identity is no field, keys walk and seek, and a deleted row's bookmark
// is never given to a row added later.
TEST(RowIdentity, TheRowidIsNoFieldAndNeverReused) {
  for (const bool older : {false, true}) {
    SCOPED_TRACE(older ? "older layout" : "layout");
    DataFolder folder;
    if (older) {
      folder.Create("MAIN.MDB", std::string(kOlderList) + kThreeRows);
    } else {
      folder.CreateMain(kThreeRows);
    }
    Opened list = OpenTable(folder.File("MAIN.MDB"), "TJLIST", "TJLIST");
    Recordset& rs = *list.recordset;
    EXPECT_EQ(rs.FieldCount(), 3);
    EXPECT_EQ(rs.Fields(0).Name(), "TJLTAG");
    EXPECT_EQ(ErrorOf([&] { rs.Fields("rowid"); }), 3265);
    rs.MoveLast();
    const std::string c = rs.Bookmark();
    rs.Seek("=", {Variant::Integer(2), Variant::String("b")});
    ASSERT_FALSE(rs.NoMatch());
    EXPECT_EQ(rs.Fields("JOBNO").Value().ToString(), "B");
    EXPECT_EQ(JobAt(rs, c), "C");
    rs.Delete();
    rs.AddNew();
    rs.SetCollect("CONO", Variant::Integer(4));
    rs.SetCollect("JOBNO", Variant::String("D"));
    rs.Update();
    EXPECT_EQ(ErrorOf([&] { rs.SetBookmark(c); }), 3167);
    EXPECT_EQ(JobAt(rs, rs.LastModified()), "D");
    rs.MovePrevious();
    EXPECT_EQ(rs.Fields("JOBNO").Value().ToString(), "B");
  }
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

// Reading a value the field type cannot hold, in a file without the CHECKs:
// fractions round as the classic conversions do, and a value out of range
// after rounding is 6 naming table, field and value. (A text in a number
// field, and 70000 in a Short, are shown by the foreign-value scenarios.)
TEST(StoredTypes, ValuesOfAnotherTypeRoundOrAreOverflowWhenRead) {
  DataFolder folder;
  folder.Create("MAIN.MDB",
                std::string(kOlderList) +
                    "INSERT INTO TJLIST VALUES (1099511627776, 1, 'A'), (2.5, 3.5, 'B'), "
                    "(-0.4, 32767.5, 'C');");
  Opened list = OpenTable(folder.File("MAIN.MDB"), "TJLIST", "TJLIST");
  Recordset& rs = *list.recordset;
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
