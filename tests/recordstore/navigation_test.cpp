// Tests of moves and seeks: index order with ties by rowid, the ends (BOF and
// EOF), Seek "=" and ">=" on leading keys, text keys without regard to case,
// NoMatch, and walks over keys that hold NULL checked against SQLite's own
// ORDER BY.
#include <gtest/gtest.h>

#include <random>

#include "services/recordstore/recordstore.h"
#include "store_helpers.h"

namespace recordstore::testing {
namespace {

class NavigationTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    if (IsSkipped()) return;
    folder.CreateMain(
        "INSERT INTO JOBLIST (CONO, JOBNO, JOBNAME) VALUES (5, '     AB1', 'Pier 4'), (2, '     "
        "ZZ9', 'Quay'),"
        " (5, '     ab0', 'Dock'), (3, '     CC1', 'Mole'), (5, '     AC1', 'Slip');"
        "INSERT INTO TJLIST (TJLTAG, CONO, JOBNO) VALUES (1, 5, 'B'), (2, 5, 'A'), (3, 5, 'B'), "
        "(4, 1, 'B'),"
        " (5, 5, 'b');");
    jobs = OpenTable(folder.File("MAIN.MDB"), "JOBLIST", "JOBLIST");
  }
  std::string Job() { return jobs.recordset->Fields("JOBNO").Value().ToString(); }
  Opened jobs;
};

TEST_P(NavigationTest, MovesFollowTheCurrentIndex) {
  EXPECT_EQ(WalkForward(*jobs.recordset, "JOBNAME"),
            (std::vector<std::string>{"Quay", "Mole", "Dock", "Pier 4", "Slip"}));
  EXPECT_EQ(WalkBackward(*jobs.recordset, "JOBNAME"),
            (std::vector<std::string>{"Slip", "Pier 4", "Dock", "Mole", "Quay"}));
  jobs.recordset->SetIndex("JOBNAME");
  EXPECT_EQ(WalkForward(*jobs.recordset, "JOBNAME"),
            (std::vector<std::string>{"Quay", "Mole", "Dock", "Pier 4", "Slip"}));
  jobs.recordset->SetIndex("");
  EXPECT_EQ(WalkForward(*jobs.recordset, "JOBNAME"),
            (std::vector<std::string>{"Pier 4", "Quay", "Dock", "Mole", "Slip"}));
  // Changing the index keeps the current row.
  jobs.recordset->SetIndex("JOBLIST");
  jobs.recordset->Seek("=", {Variant::Integer(5), Variant::String("     AB1")});
  jobs.recordset->SetIndex("JOBNAME");
  EXPECT_EQ(jobs.recordset->Fields("JOBNAME").Value().ToString(), "Pier 4");
  jobs.recordset->MoveNext();
  EXPECT_EQ(jobs.recordset->Fields("JOBNAME").Value().ToString(), "Slip");
}

TEST_P(NavigationTest, TiesAreOrderedByRowid) {
  // TJLTAG numbers the rows in insertion (rowid) order; rows 1, 3 and 5 share
  // the key (5, B) without regard to case.
  Opened list = OpenTable(folder.File("MAIN.MDB"), "TJLIST", "TJLIST");
  EXPECT_EQ(WalkForward(*list.recordset, "TJLTAG"),
            (std::vector<std::string>{"4", "2", "1", "3", "5"}));
  EXPECT_EQ(WalkBackward(*list.recordset, "TJLTAG"),
            (std::vector<std::string>{"5", "3", "1", "2", "4"}));
}

TEST_P(NavigationTest, EndsOfTheTableAndAnEmptyTable) {
  Recordset& rs = *jobs.recordset;
  rs.MoveFirst();
  rs.MovePrevious();
  EXPECT_TRUE(rs.IsBOF());
  EXPECT_FALSE(rs.IsEOF());
  EXPECT_EQ(ErrorOf([&] { rs.Fields("JOBNO").Value(); }), 3021);
  EXPECT_EQ(ErrorOf([&] { rs.MovePrevious(); }), 3021);
  rs.MoveNext();  // back onto the first row
  EXPECT_EQ(Job(), "     ZZ9");
  rs.MoveLast();
  rs.MoveNext();
  EXPECT_TRUE(rs.IsEOF());
  EXPECT_FALSE(rs.IsBOF());
  EXPECT_EQ(ErrorOf([&] { rs.Bookmark(); }), 3021);
  EXPECT_EQ(ErrorOf([&] { rs.MoveNext(); }), 3021);
  rs.MovePrevious();
  EXPECT_EQ(Job(), "     AC1");
  // An empty table is at both ends.
  Opened groups = OpenTable(folder.File("MAIN.MDB"), "TJLGROUPS", "TJLGROUPS");
  EXPECT_TRUE(groups.recordset->IsBOF() && groups.recordset->IsEOF());
  EXPECT_EQ(ErrorOf([&] { groups.recordset->MoveFirst(); }), 3021);
  EXPECT_EQ(ErrorOf([&] { groups.recordset->MoveNext(); }), 3021);
  EXPECT_TRUE(groups.recordset->IsBOF() && groups.recordset->IsEOF());
}

TEST_P(NavigationTest, SeekEqualComparesLeadingKeysOnly) {
  Recordset& rs = *jobs.recordset;
  rs.Seek("=", {Variant::Integer(5)});
  ASSERT_FALSE(rs.NoMatch());
  EXPECT_EQ(Job(), "     ab0");  // the first job of company 5 in index order
  rs.Seek("=", {Variant::Integer(5), Variant::String("     AB1")});
  ASSERT_FALSE(rs.NoMatch());
  EXPECT_EQ(rs.Fields("JOBNAME").Value().ToString(), "Pier 4");
  rs.Seek("=", {Variant::Long(5), Variant::String("     aC1")});  // any case, any integer width
  ASSERT_FALSE(rs.NoMatch());
  EXPECT_EQ(rs.Fields("JOBNAME").Value().ToString(), "Slip");
  rs.Seek("=", {Variant::Integer(4)});
  EXPECT_TRUE(rs.NoMatch());
  EXPECT_EQ(ErrorOf([&] { rs.Fields("JOBNO").Value(); }), 3021);
  rs.Seek("=", {Variant::Integer(5), Variant::String("AB1")});  // not in stored form
  EXPECT_TRUE(rs.NoMatch());
  // Bad comparisons and key counts are refused.
  EXPECT_EQ(ErrorOf([&] { rs.Seek("<", {Variant::Integer(5)}); }), 3001);
  EXPECT_EQ(ErrorOf([&] { rs.Seek("=", {}); }), 3001);
  EXPECT_EQ(ErrorOf([&] {
              rs.Seek("=", {Variant::Integer(5), Variant::String("A"), Variant::String("B")});
            }),
            3001);
}

TEST_P(NavigationTest, SeekAtOrAfterFindsTheFirstRowNotBefore) {
  Recordset& rs = *jobs.recordset;
  rs.Seek(">=", {Variant::Integer(4)});
  ASSERT_FALSE(rs.NoMatch());
  EXPECT_EQ(Job(), "     ab0");
  rs.Seek(">=", {Variant::Integer(5), Variant::String("     AB")});
  EXPECT_EQ(Job(), "     ab0");
  rs.Seek(">=", {Variant::Integer(5), Variant::String("     AB5")});
  EXPECT_EQ(Job(), "     AC1");
  rs.MoveNext();
  EXPECT_TRUE(rs.IsEOF());
  rs.Seek(">=", {Variant::Integer(5), Variant::String("     AD")});
  EXPECT_TRUE(rs.NoMatch());
  rs.Seek(">=", {Variant::String("3")});  // a numeric text finds the number
  EXPECT_EQ(Job(), "     CC1");
  // A fraction on a whole-number key, as the dialog seeks past a range.
  rs.Seek(">=", {Variant::Double(3.5), Variant::String("     ZZZ")});
  EXPECT_EQ(Job(), "     ab0");
  rs.Seek(">=", {Variant::Double(5.0), Variant::String("     AC")});
  EXPECT_EQ(Job(), "     AC1");
  rs.Seek("=", {Variant::Double(2.5)});
  EXPECT_TRUE(rs.NoMatch());
  rs.Seek("=", {Variant::String("two")});  // a text no number equals
  EXPECT_TRUE(rs.NoMatch());
}

// Walks over keys holding NULL, with ties, must agree with SQLite's own order,
// for a non-unique and a unique index (which admits repeated NULL keys).
TEST(NavigationNulls, WalksMatchSqliteOrderWithNullsAndTies) {
  DataFolder folder;
  std::mt19937 random(7);
  const char* texts[] = {"NULL", "'a'", "'A'", "'b'", "'c '", "'C'"};
  auto someText = [&] { return std::string(texts[random() % 6]); };
  auto someNumber = [&] {
    return random() % 5 == 0 ? std::string("NULL") : std::to_string(random() % 3);
  };
  std::string rows =
      "CREATE TABLE N (ID LONG, TAG LONG, CONO SHORT, JOBNO TEXT(8));"
      "CREATE INDEX \"N.K\" ON N (TAG, CONO, JOBNO COLLATE NOCASE);"
      "CREATE TABLE U (ID LONG, CONO SHORT, JOBNO TEXT(8));"
      "CREATE UNIQUE INDEX \"U.K\" ON U (CONO, JOBNO COLLATE NOCASE);";
  for (int id = 1; id <= 160; ++id) {
    rows += "INSERT INTO N VALUES (" + std::to_string(id) + ", " + someNumber() + ", " +
            someNumber() + ", " + someText() + ");";
    rows += "INSERT OR IGNORE INTO U VALUES (" + std::to_string(id) + ", " + someNumber() + ", " +
            someText() + ");";
  }
  folder.CreateMain(rows);
  for (const std::string table : {"N", "U"}) {
    std::string order = table == "N" ? "TAG, CONO, JOBNO COLLATE NOCASE, rowid"
                                     : "CONO, JOBNO COLLATE NOCASE, rowid";
    std::vector<std::string> expected =
        folder.Query("MAIN.MDB", "SELECT ID FROM " + table + " ORDER BY " + order);
    Opened opened = OpenTable(folder.File("MAIN.MDB"), table, "K");
    EXPECT_EQ(WalkForward(*opened.recordset, "ID"), expected) << table;
    std::vector<std::string> backward = WalkBackward(*opened.recordset, "ID");
    EXPECT_EQ(std::vector<std::string>(backward.rbegin(), backward.rend()), expected) << table;
  }
}

RUN_ON_BOTH_ENGINES(NavigationTest);

}  // namespace
}  // namespace recordstore::testing
