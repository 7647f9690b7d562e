// Tests of positions: Seek "=" and ">=" on leading keys, text keys without
// regard to case (ASCII letters only), NoMatch, names and keys folded in ASCII
// under a Turkish locale, inside a user action and outside; and bookmarks: a
// bookmark returns to its row after other rows were added or deleted (through
// this recordset or another connection), readings of one row are equal, a
// deleted row's bookmark raises 3167 and is never given to a new row (added
// here or by another program), and a text that is no bookmark raises 3159.
// Walks over NULLs and ties are in action_window_test.cpp.
#include <gtest/gtest.h>

#include "services/base/user_action.h"
#include "services/recordstore/recordstore.h"
#include "store_helpers.h"
#include "support/foreign_locale.h"

namespace recordstore::testing {
namespace {

class PositionTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    if (IsSkipped()) return;
    folder.CreateMain(
        "INSERT INTO JOBLIST (CONO, JOBNO, JOBNAME) VALUES (5, '     AB1', 'Pier 4'), (2, '     "
        "ZZ9', 'Quay'),"
        " (5, '     ab0', 'Dock'), (3, '     CC1', 'Mole'), (5, '     AC1', 'Slip'), (1, 'Été', "
        "'upper'), (1, 'été', 'lower'), (1, 'abc', 'ascii');"
        "INSERT INTO COLIST (CONO, CONAME) VALUES (1, 'Alder'), (2, 'Birch'), (3, 'Cedar'), (4, "
        "'Dogwood');");
    companies = OpenTable(folder.File("MAIN.MDB"), "COLIST", "CONO");
  }
  std::string Name() { return jobs.recordset->Fields("JOBNAME").Value().ToString(); }
  std::string Company() { return companies.recordset->Fields("CONAME").Value().ToString(); }
  // Bookmark of company `number`, found by Seek.
  std::string BookmarkOf(int number) {
    companies.recordset->Seek("=", {Variant::Integer(static_cast<int16_t>(number))});
    return companies.recordset->Bookmark();
  }
  Opened jobs, companies;
};

// Seek "=" compares the leading keys given, ">=" finds the first row not
// before them; numbers compare by value whatever their kind, and text keys
// fold ASCII letters only, as SQLite's NOCASE does ("Été" and "été" are two
// keys; the order of a walk is in action_window_test.cpp). Names and keys
// fold in ASCII whatever the host's locale: under a Turkish one "MAIN" must
// not become a schema "maIn" nor "PELIST" a table "pelIst", inside a user
// action (the tables found at once) and outside.
TEST_P(PositionTest, SeeksCompareLeadingKeysAndFoldAsciiLettersOnly) {
  testsupport::ForeignLocale turkish("tr_TR");
  using V = Variant;
  const struct {
    const char* op;
    std::vector<Variant> keys;
    const char* name;  // of the row found
  } seeks[] = {
      {"=", {V::Integer(5)}, "Dock"},  // the first job of company 5 in index order
      {"=", {V::Long(5), V::String("     aC1")}, "Slip"},  // any case, any integer width
      {"=", {V::Integer(5), V::String("AB1")}, "(none)"},  // not in stored form
      {"=", {V::Double(2.5)}, "(none)"},
      {"=", {V::String("two")}, "(none)"},                // a text no number equals
      {"=", {V::Integer(1), V::String("ÉTé")}, "upper"},  // only T folds
      {"=", {V::Integer(1), V::String("ÉTÉ")}, "(none)"},
      {"=", {V::Integer(1), V::String("ABC")}, "ascii"},
      {">=", {V::Integer(4)}, "Dock"},
      {">=", {V::Integer(5), V::String("     AD")}, "(none)"},
      {">=", {V::String("3")}, "Mole"},                         // a numeric text finds the number
      {">=", {V::Double(3.5), V::String("     ZZZ")}, "Dock"},  // as the dialog seeks past a range
      {">=", {V::Double(5.0), V::String("     AC")}, "Slip"},
      {"=", {V::Long(40000)}, "(none)"},  // beyond a 16-bit field
      {">=", {V::Long(40000)}, "(none)"},
      {">=", {V::Long(-40000), V::String("ZZZ")}, "ascii"},
  };
  for (bool inAction : {false, true}) {
    SCOPED_TRACE(inAction ? "inside an action" : "outside any action");
    std::unique_ptr<base::UserAction> action;
    if (inAction) action = std::make_unique<base::UserAction>();
    EXPECT_TRUE(OpenTable(folder.File("MAIN.MDB"), "PELIST", "PELIST").recordset->IsEOF());
    jobs = OpenTable(folder.File("MAIN.MDB"), "JOBLIST", "JOBLIST");
    Recordset& rs = *jobs.recordset;
    for (const auto& seek : seeks) {
      SCOPED_TRACE(seek.op + (" " + seek.keys[0].ToString()));
      rs.Seek(seek.op, seek.keys);
      EXPECT_EQ(rs.NoMatch() ? std::string("(none)") : Name(), seek.name);
      EXPECT_EQ(ErrorOf([&] { rs.Fields("JOBNO").Value(); }), rs.NoMatch() ? 3021 : 0);
    }
  }
  // Bad comparisons and key counts are refused.
  Recordset& rs = *jobs.recordset;
  EXPECT_EQ(ErrorOf([&] { rs.Seek("<", {V::Integer(5)}); }), 3001);
  EXPECT_EQ(ErrorOf([&] { rs.Seek("=", {}); }), 3001);
  EXPECT_EQ(ErrorOf([&] { rs.Seek("=", {V::Integer(5), V::String("A"), V::String("B")}); }), 3001);
}

// Readings of one row are equal and never blank, and another recordset of the
// table takes them (the search dialog hands one to the caller's own); a text
// that is no bookmark is 3159. A bookmark returns to its row after rows were
// added and deleted through this recordset and another connection. A deleted
// row's bookmark is 3167 (naming the table, the position kept), whoever
// deleted it, and no row added later takes it, also when the row deleted had
// the highest rowid. The row identity is no field.
TEST_P(PositionTest, BookmarksReturnToTheirRowAndDeletedOnesRaise3167) {
  Recordset& rs = *companies.recordset;
  EXPECT_EQ(ErrorOf([&] { rs.Fields("rowid"); }), 3265);
  EXPECT_EQ(rs.FieldCount(), 2);
  const std::string birch = BookmarkOf(2), cedar = BookmarkOf(3);
  rs.MoveFirst();
  EXPECT_EQ(BookmarkOf(3), cedar);
  EXPECT_FALSE(cedar.empty() || cedar == " ");
  Opened other = OpenTable(folder.File("MAIN.MDB"), "COLIST");
  other.recordset->SetBookmark(cedar);
  EXPECT_EQ(other.recordset->Fields("CONAME").Value().ToString(), "Cedar");
  for (const char* text : {" ", "", "not a bookmark"}) {
    EXPECT_EQ(ErrorOf([&] { other.recordset->SetBookmark(text); }), 3159) << text;
  }
  const std::string dogwood = BookmarkOf(4);  // the row with the highest rowid
  rs.Delete();
  AddRow(rs, {{"CONO", Variant::Integer(9)}, {"CONAME", Variant::String("Ash")}});
  const std::string added = rs.LastModified();
  EXPECT_NE(added, dogwood);
  rs.SetBookmark(cedar);
  rs.MoveNext();  // the order around it is today's order
  EXPECT_EQ(rs.Bookmark(), added);
  folder.Exec("MAIN.MDB",
              "DELETE FROM COLIST WHERE CONO IN (2, 9); INSERT INTO COLIST (CONO, CONAME) VALUES "
              "(2, 'Beech'), (8, 'Elm'); UPDATE COLIST SET CONAME = 'Cedar Hill' WHERE CONO = 3;");
  rs.SetBookmark(cedar);
  std::string description;
  EXPECT_EQ(ErrorOf([&] { rs.SetBookmark(birch); }, &description), 3167);
  EXPECT_NE(description.find("COLIST"), std::string::npos);
  EXPECT_EQ(Company(), "Cedar Hill");
  rs.MovePrevious();
  EXPECT_EQ(Company(), "Beech");
  for (const std::string& gone : {dogwood, added}) {
    EXPECT_EQ(ErrorOf([&] { rs.SetBookmark(gone); }), 3167);
  }
  rs.MoveLast();
  EXPECT_EQ(Company(), "Elm");
}

RUN_ON_BOTH_ENGINES(PositionTest);

}  // namespace
}  // namespace recordstore::testing
