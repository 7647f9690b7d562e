// Tests of moves and seeks: index order, the ends (BOF and EOF), Seek "=" and
// ">=" on leading keys, text keys without regard to case (ASCII letters only),
// NoMatch, and walks over keys that hold NULL and ties checked against the
// engine's own ORDER BY with rowid last.
#include <gtest/gtest.h>

#include <random>

#include "services/base/user_action.h"
#include "services/recordstore/recordstore.h"
#include "store_helpers.h"
#include "support/foreign_locale.h"

namespace recordstore::testing {
namespace {

// The row identity a bookmark carries (8 bytes, most significant first).
std::string RowidOf(const std::string& bookmark) {
  uint64_t bits = 0;
  for (unsigned char c : bookmark) bits = bits << 8 | c;
  return std::to_string(static_cast<int64_t>(bits));
}

class NavigationTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    if (IsSkipped()) return;
    folder.CreateMain(
        "INSERT INTO JOBLIST (CONO, JOBNO, JOBNAME) VALUES (5, '     AB1', 'Pier 4'), (2, '     "
        "ZZ9', 'Quay'),"
        " (5, '     ab0', 'Dock'), (3, '     CC1', 'Mole'), (5, '     AC1', 'Slip');");
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

// Text keys fold ASCII letters only, as SQLite's NOCASE does: other letters
// compare by code point, so "Été" and "été" are two keys.
TEST_P(NavigationTest, TextKeysFoldAsciiLettersOnly) {
  folder.Exec("MAIN.MDB",
              "INSERT INTO JOBLIST (CONO, JOBNO, JOBNAME) VALUES (1, 'Été', 'upper'), "
              "(1, 'été', 'lower'), (1, ' ZZ', 'blank first'), (1, 'abc', 'ascii');");
  Recordset& rs = *jobs.recordset;
  auto seekName = [&](const std::string& key) {
    rs.Seek("=", {Variant::Integer(1), Variant::String(key)});
    return rs.NoMatch() ? std::string("(none)") : rs.Fields("JOBNAME").Value().ToString();
  };
  EXPECT_EQ(seekName("ÉTé"), "upper");  // only T folds
  EXPECT_EQ(seekName("éTé"), "lower");
  EXPECT_EQ(seekName("ÉTÉ"), "(none)");
  EXPECT_EQ(seekName("ABC"), "ascii");
  std::vector<std::string> walk = WalkForward(rs, "JOBNAME");
  walk.resize(4);  // company 1 comes first
  EXPECT_EQ(walk, (std::vector<std::string>{"blank first", "ascii", "upper", "lower"}));
}

// Walks over keys holding NULL, with ties and text in mixed case, must agree
// with the engine's own ORDER BY on the layout's index expressions, for a
// non-unique and a unique index (which admits repeated NULL keys).
TEST_P(NavigationTest, WalksMatchTheEnginesOrderWithNullsAndTies) {
  std::mt19937 random(7);
  const char* texts[] = {"NULL", "'a'", "'A'", "'b'", "'c '", "'C'", "' b'", "'é'", "'É'"};
  auto someText = [&] { return std::string(texts[random() % 9]); };
  auto someNumber = [&] {
    return random() % 5 == 0 ? std::string("NULL") : std::to_string(random() % 3);
  };
  std::string rows;
  for (int id = 1; id <= 160; ++id) {
    rows += "INSERT INTO TJLITEMS (TJLTAG, CONO, JOBNO) VALUES (" + someNumber() + ", " +
            someNumber() + ", " + someText() + ");";
    rows += "INSERT INTO JOBLIST (CONO, JOBNO) VALUES (" + someNumber() + ", " + someText() +
            ") ON CONFLICT DO NOTHING;";
  }
  folder.Exec("MAIN.MDB", rows);
  const bool server = GetParam() == StoreEngine::kServer;
  const std::string number = server ? " NULLS FIRST, " : ", ";
  const std::string text =
      server ? "(lower(JOBNO) COLLATE \"C\") NULLS FIRST" : "JOBNO COLLATE NOCASE";
  for (const auto& [table, order] :
       {std::pair<std::string, std::string>{"TJLITEMS", "TJLTAG" + number + "CONO" + number + text},
        {"JOBLIST", "CONO" + number + text}}) {
    std::vector<std::string> expected =
        folder.Query("MAIN.MDB", "SELECT rowid FROM " + table + " ORDER BY " + order + ", rowid");
    Opened opened = OpenTable(folder.File("MAIN.MDB"), table, table);
    Recordset& rs = *opened.recordset;
    std::vector<std::string> forward, backward;
    for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext()) forward.push_back(RowidOf(rs.Bookmark()));
    for (rs.MoveLast(); !rs.IsBOF(); rs.MovePrevious()) {
      backward.insert(backward.begin(), RowidOf(rs.Bookmark()));
    }
    EXPECT_EQ(forward, expected) << table;
    EXPECT_EQ(backward, expected) << table;
  }
}

RUN_ON_BOTH_ENGINES(NavigationTest);

}  // namespace
// Names and text keys fold in ASCII whatever the host's locale: under a
// Turkish one "MAIN" must not become a schema "maIn" nor "PELIST" a table
// "pelIst", inside a user action (the tables found at once) and outside.
TEST_P(NavigationTest, NamesFoldInAsciiUnderATurkishLocale) {
  testsupport::ForeignLocale turkish("tr_TR");
  for (bool inAction : {false, true}) {
    std::unique_ptr<base::UserAction> action;
    if (inAction) action = std::make_unique<base::UserAction>();
    Opened dates = OpenTable(folder.File("MAIN.MDB"), "PELIST", "PELIST");
    EXPECT_TRUE(dates.recordset->IsEOF());
    Opened jobs = OpenTable(folder.File("MAIN.MDB"), "JOBLIST", "JOBLIST");
    jobs.recordset->Seek("=", {Variant::Integer(5), Variant::String("     Ab1")});
    ASSERT_FALSE(jobs.recordset->NoMatch()) << inAction;
    EXPECT_EQ(jobs.recordset->Fields("JOBNAME").Value().ToString(), "Pier 4");
  }
}

}  // namespace recordstore::testing
