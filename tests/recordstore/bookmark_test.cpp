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

// Readings of one row are equal and never blank; another recordset of the
// table takes the text (the search dialog hands it to the caller's own); a
// text that is no bookmark is 3159.
TEST_P(BookmarkTest, ReadingsOfOneRowAreEqualAndServeAnyRecordsetOfTheTable) {
  std::string cedar = BookmarkOf(3);
  companies.recordset->MoveFirst();
  EXPECT_EQ(BookmarkOf(3), cedar);
  EXPECT_NE(BookmarkOf(2), cedar);
  EXPECT_NE(cedar, " ");
  EXPECT_FALSE(cedar.empty());
  Opened other = OpenTable(folder.File("MAIN.MDB"), "COLIST");
  other.recordset->SetBookmark(cedar);
  EXPECT_EQ(other.recordset->Fields("CONAME").Value().ToString(), "Cedar");
  for (const char* text : {" ", "", "not a bookmark"}) {
    EXPECT_EQ(ErrorOf([&] { other.recordset->SetBookmark(text); }), 3159) << text;
  }
}

TEST_P(BookmarkTest, ReturnsToItsRowAfterOwnAndOtherConnectionsChanges) {
  Recordset& rs = *companies.recordset;
  std::string cedar = BookmarkOf(3);
  rs.AddNew();
  rs.SetCollect("CONO", Variant::Integer(0));
  rs.SetCollect("CONAME", Variant::String("Ash"));
  rs.Update();
  BookmarkOf(4);
  rs.Delete();
  rs.SetBookmark(cedar);
  EXPECT_EQ(Name(), "Cedar");
  rs.MoveNext();  // the order around it is today's order
  EXPECT_TRUE(rs.IsEOF());
  folder.Exec("MAIN.MDB",
              "DELETE FROM COLIST WHERE CONO = 2; INSERT INTO COLIST (CONO, CONAME) VALUES (2, "
              "'Beech'); UPDATE COLIST SET CONAME = 'Cedar Hill' WHERE CONO = 3;");
  rs.SetBookmark(cedar);
  EXPECT_EQ(Name(), "Cedar Hill");
  rs.MovePrevious();
  EXPECT_EQ(Name(), "Beech");
}

// A deleted row's bookmark is 3167 (naming the table, the position kept),
// whoever deleted it, and no row added later takes it, also when the row
// deleted had the highest rowid.
TEST_P(BookmarkTest, DeletedRowsRaise3167AndTheirBookmarksAreNeverReused) {
  Recordset& rs = *companies.recordset;
  std::string birch = BookmarkOf(2);
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
  folder.Exec("MAIN.MDB",
              "DELETE FROM COLIST WHERE CONO IN (2, 9); INSERT INTO COLIST (CONO, CONAME) VALUES "
              "(8, 'Elm');");
  BookmarkOf(3);
  std::string description;
  EXPECT_EQ(ErrorOf([&] { rs.SetBookmark(birch); }, &description), 3167);
  EXPECT_NE(description.find("COLIST"), std::string::npos);
  EXPECT_EQ(Name(), "Cedar");
  EXPECT_EQ(ErrorOf([&] { rs.SetBookmark(added); }), 3167);
  rs.MoveLast();
  EXPECT_EQ(Name(), "Elm");
  EXPECT_NE(rs.Bookmark(), added);
}

RUN_ON_BOTH_ENGINES(BookmarkTest);

}  // namespace
}  // namespace recordstore::testing
