// Tests of bookmarks: a bookmark returns to its row after other rows were
// added or deleted (through this recordset or another connection), readings
// of one row are equal, a deleted row's bookmark raises 3167 and is never
// given to a new row (added here or by another program), and a text that is no
// bookmark raises 3159.
#include <gtest/gtest.h>

#include "services/recordstore/recordstore.h"
#include "store_helpers.h"

namespace recordstore::testing {
namespace {

class BookmarkTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    if (IsSkipped()) return;
    folder.CreateMain(
        "INSERT INTO COLIST (CONO, CONAME) VALUES (1, 'Alder'), (2, 'Birch'), (3, 'Cedar'), (4, "
        "'Dogwood');");
    companies = OpenTable(folder.File("MAIN.MDB"), "COLIST", "CONO");
  }
  std::string Name() { return companies.recordset->Fields("CONAME").Value().ToString(); }
  // Bookmark of company `number`, found by Seek.
  std::string BookmarkOf(int number) {
    companies.recordset->Seek("=", {Variant::Integer(static_cast<int16_t>(number))});
    return companies.recordset->Bookmark();
  }
  Opened companies;
};

TEST_P(BookmarkTest, ReadingsOfOneRowAreEqualAndNeverOneBlank) {
  std::string first = BookmarkOf(3);
  companies.recordset->MoveFirst();
  std::string second = BookmarkOf(3);
  EXPECT_EQ(first, second);
  EXPECT_NE(first, BookmarkOf(2));
  EXPECT_NE(first, " ");
  EXPECT_FALSE(first.empty());
}

TEST_P(BookmarkTest, ReturnsToItsRowAfterOwnAddsAndDeletes) {
  Recordset& rs = *companies.recordset;
  std::string cedar = BookmarkOf(3);
  rs.AddNew();
  rs.SetCollect("CONO", Variant::Integer(0));
  rs.SetCollect("CONAME", Variant::String("Ash"));
  rs.Update();
  BookmarkOf(2);
  rs.Delete();
  BookmarkOf(4);
  rs.Delete();
  rs.SetBookmark(cedar);
  EXPECT_EQ(Name(), "Cedar");
  rs.MoveNext();  // the order around it is today's order
  EXPECT_TRUE(rs.IsEOF());
  rs.SetBookmark(cedar);
  rs.MovePrevious();
  EXPECT_EQ(Name(), "Alder");
}

TEST_P(BookmarkTest, ReturnsToItsRowAfterChangesByAnotherConnection) {
  std::string birch = BookmarkOf(2);
  folder.Exec(
      "MAIN.MDB",
      "DELETE FROM COLIST WHERE CONO = 1; INSERT INTO COLIST (CONO, CONAME) VALUES (0, 'Ash');"
      "UPDATE COLIST SET CONAME = 'Birch Hill' WHERE CONO = 2;");
  companies.recordset->SetBookmark(birch);
  EXPECT_EQ(Name(), "Birch Hill");
  companies.recordset->MovePrevious();
  EXPECT_EQ(Name(), "Ash");
}

TEST_P(BookmarkTest, WorksAcrossRecordsetsOfOneTable) {
  // The search dialog hands a bookmark text to the caller's own recordset.
  std::string dogwood = BookmarkOf(4);
  Opened other = OpenTable(folder.File("MAIN.MDB"), "COLIST");
  other.recordset->SetBookmark(dogwood);
  EXPECT_EQ(other.recordset->Fields("CONAME").Value().ToString(), "Dogwood");
}

TEST_P(BookmarkTest, DeletedRowRaises3167AndKeepsThePosition) {
  Recordset& rs = *companies.recordset;
  std::string birch = BookmarkOf(2);
  std::string cedar = BookmarkOf(3);
  rs.Delete();
  EXPECT_EQ(ErrorOf([&] { rs.SetBookmark(cedar); }), 3167);
  folder.Exec("MAIN.MDB", "DELETE FROM COLIST WHERE CONO = 2");
  BookmarkOf(4);
  std::string description;
  EXPECT_EQ(ErrorOf([&] { rs.SetBookmark(birch); }, &description), 3167);
  EXPECT_NE(description.find("COLIST"), std::string::npos);
  EXPECT_EQ(Name(), "Dogwood");
}

TEST_P(BookmarkTest, NewRowsNeverTakeTheBookmarkOfADeletedRow) {
  Recordset& rs = *companies.recordset;
  std::string dogwood = BookmarkOf(4);  // the row with the highest rowid
  rs.Delete();
  rs.AddNew();
  rs.SetCollect("CONO", Variant::Integer(9));
  rs.Update();
  const std::string added = rs.LastModified();
  EXPECT_NE(added, dogwood);
  EXPECT_EQ(ErrorOf([&] { rs.SetBookmark(dogwood); }), 3167);
  rs.SetBookmark(added);
  EXPECT_EQ(companies.recordset->Fields("CONO").Value().ToLong(), 9);
  // Nor when another program deletes the highest row and adds one.
  folder.Exec("MAIN.MDB",
              "DELETE FROM COLIST WHERE CONO = 9; INSERT INTO COLIST (CONO, CONAME) VALUES (8, "
              "'Elm');");
  EXPECT_EQ(ErrorOf([&] { rs.SetBookmark(added); }), 3167);
  rs.MoveLast();
  EXPECT_EQ(Name(), "Elm");
  EXPECT_NE(rs.Bookmark(), added);
}

TEST_P(BookmarkTest, TextsThatAreNoBookmarkRaise3159) {
  Recordset& rs = *companies.recordset;
  EXPECT_EQ(ErrorOf([&] { rs.SetBookmark(" "); }), 3159);
  EXPECT_EQ(ErrorOf([&] { rs.SetBookmark(""); }), 3159);
  EXPECT_EQ(ErrorOf([&] { rs.SetBookmark("not a bookmark"); }), 3159);
}

RUN_ON_BOTH_ENGINES(BookmarkTest);

}  // namespace
}  // namespace recordstore::testing
