// Tests of writing rows: AddNew defaults, LastModified, Edit and Update, the
// type checks of Update (leaving the table unchanged), duplicates in a unique
// index, Delete and the moves after it, and RecordCount and IsEmpty as rows
// come and go.
#include <gtest/gtest.h>

#include "services/recordstore/recordstore.h"
#include "store_helpers.h"

namespace recordstore::testing {
namespace {

class EditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder.CreateMain(
        "INSERT INTO TJLIST (TJLTAG, CONO, JOBNO) VALUES (7, 1, '       A'), (7, 2, '       B'), "
        "(7, 3, '       C');"
        "INSERT INTO COLIST (CONO, CONAME) VALUES (5, 'Harbor Paving');"
        "CREATE TABLE TYPES (B BIT, Y BYTE, L LONG, C CURRENCY, D DOUBLE, W DATETIME, "
        "N TEXT(4) DEFAULT 'new', S SHORT DEFAULT 12);");
    list = OpenTable(folder.File("MAIN.MDB"), "TJLIST", "TJLIST");
  }
  std::vector<std::string> Rows(const std::string& table) {
    return folder.Query("MAIN.MDB", "SELECT * FROM " + table + " ORDER BY rowid");
  }
  DataFolder folder;
  Opened list;
};

TEST_F(EditTest, AddNewGivesDefaultsAndLastModifiedNamesTheNewRow) {
  Recordset& rs = *list.recordset;
  rs.MoveFirst();
  rs.AddNew();
  EXPECT_EQ(rs.EditMode(), 2);
  EXPECT_EQ(rs.Fields("TJLTAG").Value().Type(), VarType::Long);
  EXPECT_EQ(rs.Fields("TJLTAG").Value().ToLong(), 0);
  EXPECT_TRUE(rs.Fields("CONO").Value().IsNull());
  rs.Fields("CONO").SetValue(Variant::Integer(2));
  rs.SetCollect("JOBNO", Variant::String("      AA"));
  rs.Update();
  EXPECT_EQ(rs.EditMode(), 0);
  EXPECT_EQ(rs.Fields("JOBNO").Value().ToString(), "       A");  // still on the row it was on
  rs.SetBookmark(rs.LastModified());
  EXPECT_EQ(rs.Fields("JOBNO").Value().ToString(), "      AA");
  rs.MovePrevious();  // "       B" sorts before "      AA" (a blank before a letter)
  EXPECT_EQ(rs.Fields("JOBNO").Value().ToString(), "       B");
  EXPECT_EQ(Rows("TJLIST").back(), "4|0|2|      AA");  // rowid first
}

TEST_F(EditTest, TypedValuesRoundTrip) {
  Opened types = OpenTable(folder.File("MAIN.MDB"), "TYPES");
  Recordset& rs = *types.recordset;
  rs.AddNew();
  EXPECT_EQ(rs.Collect("N").ToString(), "new");
  EXPECT_EQ(rs.Collect("S").Type(), VarType::Integer);
  rs.SetCollect("B", Variant::Boolean(true));
  rs.SetCollect("Y", Variant::Double(254.5));
  rs.SetCollect("L", Variant::String("70000"));
  rs.SetCollect("C", Variant::Double(1.23456));
  rs.SetCollect("D", Variant::Double(0.1));
  rs.SetCollect("W", Variant::Date(DateSerialFromYMD(2001, 1, 5) + 0.5));
  rs.Update();
  EXPECT_EQ(Rows("TYPES"),
            (std::vector<std::string>{"-1|254|70000|1.2346|0.1|2001-01-05 12:00:00|new|12"}));
  rs.MoveFirst();
  EXPECT_EQ(rs.Collect("B").Type(), VarType::Boolean);
  EXPECT_EQ(rs.Collect("Y").Type(), VarType::Byte);
  EXPECT_EQ(rs.Collect("L").ToLong(), 70000);
  EXPECT_EQ(rs.Collect("C").Type(), VarType::Currency);
  EXPECT_EQ(rs.Collect("W").Type(), VarType::Date);
  EXPECT_EQ(rs.Collect("W").ToString(), "1/5/2001 12:00:00 PM");
}

TEST_F(EditTest, UpdateRefusesValuesThatDoNotFitAndLeavesTheTable) {
  Opened types = OpenTable(folder.File("MAIN.MDB"), "TYPES");
  Recordset& rs = *types.recordset;
  std::string description;
  rs.AddNew();
  rs.SetCollect("N", Variant::String("12345"));
  EXPECT_EQ(ErrorOf([&] { rs.Update(); }, &description), 3163);
  EXPECT_NE(description.find("'N'"), std::string::npos);
  EXPECT_NE(description.find("TYPES"), std::string::npos);
  rs.SetCollect("N", Variant::String("1234"));
  rs.SetCollect("S", Variant::Long(32768));
  EXPECT_EQ(ErrorOf([&] { rs.Update(); }, &description), 6);
  EXPECT_NE(description.find("'S'"), std::string::npos);
  rs.SetCollect("S", Variant::Long(-32769));
  EXPECT_EQ(ErrorOf([&] { rs.Update(); }), 6);
  rs.SetCollect("S", Variant::String("twelve"));
  EXPECT_EQ(ErrorOf([&] { rs.Update(); }), 13);
  rs.SetCollect("S", Variant::Long(-32768));
  rs.SetCollect("Y", Variant::Integer(256));
  EXPECT_EQ(ErrorOf([&] { rs.Update(); }), 6);
  rs.SetCollect("Y", Variant::Null());
  rs.SetCollect("W", Variant::String("not a date"));
  EXPECT_EQ(ErrorOf([&] { rs.Update(); }), 13);
  EXPECT_TRUE(Rows("TYPES").empty());
  EXPECT_EQ(rs.EditMode(), 2);  // the edit stays open after a refused Update
  rs.SetCollect("W", Variant::Null());
  rs.Update();
  EXPECT_EQ(Rows("TYPES"), (std::vector<std::string>{"NULL|NULL|NULL|NULL|NULL|NULL|1234|-32768"}));
}

TEST_F(EditTest, EditChangesOnlyTheRowAndKeepsItCurrent) {
  Recordset& rs = *list.recordset;
  rs.Seek("=", {Variant::Integer(1)});
  rs.Edit();
  EXPECT_EQ(rs.EditMode(), 1);
  rs.SetCollect("CONO", Variant::Integer(9));
  rs.Update();
  EXPECT_EQ(rs.Fields("CONO").Value().ToInteger(), 9);
  rs.MovePrevious();  // the row now sorts last
  EXPECT_EQ(rs.Fields("CONO").Value().ToInteger(), 3);
  EXPECT_EQ(Rows("TJLIST"),
            (std::vector<std::string>{"1|7|9|       A", "2|7|2|       B", "3|7|3|       C"}));
}

TEST_F(EditTest, WritesNeedAddNewOrEdit) {
  Recordset& rs = *list.recordset;
  EXPECT_EQ(ErrorOf([&] { rs.Update(); }), 3020);
  EXPECT_EQ(ErrorOf([&] { rs.SetCollect("CONO", Variant::Integer(1)); }), 3020);
  EXPECT_EQ(ErrorOf([&] { rs.CancelUpdate(); }), 3020);
  rs.MoveFirst();
  rs.Edit();
  rs.SetCollect("CONO", Variant::Integer(8));
  rs.CancelUpdate();
  EXPECT_EQ(rs.Fields("CONO").Value().ToInteger(), 1);
  rs.Edit();
  rs.SetCollect("CONO", Variant::Integer(8));
  rs.MoveNext();  // moving abandons the edit
  EXPECT_EQ(ErrorOf([&] { rs.Update(); }), 3020);
  EXPECT_EQ(Rows("TJLIST").front(), "1|7|1|       A");
}

TEST_F(EditTest, DuplicateInAUniqueIndexIs3022) {
  Opened companies = OpenTable(folder.File("MAIN.MDB"), "COLIST");
  companies.recordset->AddNew();
  companies.recordset->SetCollect("CONO", Variant::Integer(5));
  std::string description;
  EXPECT_EQ(ErrorOf([&] { companies.recordset->Update(); }, &description), 3022);
  EXPECT_NE(description.find("'CONO'"), std::string::npos);
  EXPECT_EQ(Rows("COLIST").size(), 1u);
}

TEST_F(EditTest, DeleteLeavesNoCurrentRowAndMovesGoToItsNeighbours) {
  Recordset& rs = *list.recordset;
  rs.Seek("=", {Variant::Integer(2)});
  rs.Delete();
  EXPECT_EQ(ErrorOf([&] { rs.Fields("CONO").Value(); }), 3167);
  EXPECT_EQ(ErrorOf([&] { rs.Delete(); }), 3167);
  EXPECT_EQ(ErrorOf([&] { rs.Edit(); }), 3167);
  rs.MoveNext();
  EXPECT_EQ(rs.Fields("CONO").Value().ToInteger(), 3);
  rs.Seek("=", {Variant::Integer(3)});
  rs.Delete();
  rs.MovePrevious();
  EXPECT_EQ(rs.Fields("CONO").Value().ToInteger(), 1);
  rs.Delete();
  rs.MoveNext();
  EXPECT_TRUE(rs.IsEOF());
  EXPECT_EQ(rs.RecordCount(), 0);
}

// RecordCount and IsEmpty follow own deletes and another program's writes.
TEST_F(EditTest, RecordCountAndIsEmptyFollowOwnAndOtherWrites) {
  Recordset& rs = *list.recordset;
  EXPECT_EQ(rs.RecordCount(), 3);
  rs.AddNew();
  rs.Update();
  EXPECT_EQ(rs.RecordCount(), 4);
  folder.Exec("MAIN.MDB",
              "INSERT INTO TJLIST (TJLTAG, CONO, JOBNO) VALUES (0, 4, 'D'), (0, 5, 'E')");
  EXPECT_EQ(rs.RecordCount(), 6);
  // The pattern of emptying a table: MoveFirst and Delete until the count is 0.
  EXPECT_FALSE(rs.IsEmpty());
  while (rs.RecordCount() != 0) {
    rs.MoveFirst();
    rs.Delete();
  }
  EXPECT_TRUE(Rows("TJLIST").empty());
  EXPECT_TRUE(rs.IsEmpty());
  EXPECT_EQ(ErrorOf([&] { rs.MoveFirst(); }), 3021);
  folder.Exec("MAIN.MDB", "INSERT INTO TJLIST (TJLTAG, CONO, JOBNO) VALUES (0, 4, 'D')");
  EXPECT_FALSE(rs.IsEmpty());
  // Another program empties the table: IsEmpty sees it at once, while the row
  // read before still stands for the table as it was when read.
  rs.MoveFirst();
  folder.Exec("MAIN.MDB", "DELETE FROM TJLIST");
  EXPECT_TRUE(rs.IsEmpty());
  EXPECT_TRUE(rs.HasReadRow());
  rs.MoveNext();
  EXPECT_FALSE(rs.HasReadRow());
}

// A row read stops standing for the table once this connection writes or
// rolls back.
TEST_F(EditTest, HasReadRowEndsWithOwnWrites) {
  Recordset& rs = *list.recordset;
  rs.MoveFirst();
  EXPECT_TRUE(rs.HasReadRow());
  folder.Exec("MAIN.MDB",
              "INSERT INTO COLIST (CONO, CONAME) VALUES (6, 'Quay Works')");  // another program
  EXPECT_TRUE(rs.HasReadRow());
  std::shared_ptr<Recordset> companies = list.database->OpenRecordset("COLIST");
  companies->AddNew();
  companies->Update();  // this connection wrote
  EXPECT_FALSE(rs.HasReadRow());
  rs.MoveLast();
  rs.Delete();
  EXPECT_FALSE(rs.HasReadRow());

  list.workspace->BeginTrans();
  rs.AddNew();
  rs.Update();
  rs.MoveFirst();
  EXPECT_TRUE(rs.HasReadRow());
  list.workspace->Rollback();
  EXPECT_FALSE(rs.HasReadRow());
}

TEST_F(EditTest, RowsAddedElsewhereAreSeenAtTheNextMove) {
  Recordset& rs = *list.recordset;
  rs.MoveFirst();
  folder.Exec("MAIN.MDB",
              "INSERT INTO TJLIST (TJLTAG, CONO, JOBNO) VALUES (0, 1, '       B'); DELETE FROM "
              "TJLIST WHERE CONO = 2");
  rs.MoveNext();
  EXPECT_EQ(rs.Fields("JOBNO").Value().ToString(), "       B");
  EXPECT_EQ(rs.Fields("CONO").Value().ToInteger(), 1);
  rs.MoveNext();
  EXPECT_EQ(rs.Fields("CONO").Value().ToInteger(), 3);
}

}  // namespace
}  // namespace recordstore::testing
