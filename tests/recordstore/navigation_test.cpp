// Tests of seeks: Seek "=" and ">=" on leading keys, text keys without regard
// to case (ASCII letters only), NoMatch, and names and keys folded in ASCII
// under a Turkish locale, inside a user action and outside. Walks over NULLs
// and ties are in action_window_test.cpp.
#include <gtest/gtest.h>

#include "services/base/user_action.h"
#include "services/recordstore/recordstore.h"
#include "store_helpers.h"
#include "support/foreign_locale.h"

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
        " (5, '     ab0', 'Dock'), (3, '     CC1', 'Mole'), (5, '     AC1', 'Slip'), (1, 'Été', "
        "'upper'), (1, 'été', 'lower'), (1, ' ZZ', 'blank first'), (1, 'abc', 'ascii');");
  }
  std::string Name() { return jobs.recordset->Fields("JOBNAME").Value().ToString(); }
  Opened jobs;
};

// Seek "=" compares the leading keys given, ">=" finds the first row not
// before them; numbers compare by value whatever their kind, and text keys
// fold ASCII letters only, as SQLite's NOCASE does ("Été" and "été" are two
// keys, and a blank sorts before a letter). Names and keys fold in ASCII
// whatever the host's locale: under a Turkish one "MAIN" must not become a
// schema "maIn" nor "PELIST" a table "pelIst", inside a user action (the
// tables found at once) and outside.
TEST_P(NavigationTest, SeeksCompareLeadingKeysAndFoldAsciiLettersOnly) {
  testsupport::ForeignLocale turkish("tr_TR");
  using V = Variant;
  const struct {
    const char* op;
    std::vector<Variant> keys;
    const char* name;  // of the row found
  } seeks[] = {
      {"=", {V::Integer(5)}, "Dock"},  // the first job of company 5 in index order
      {"=", {V::Integer(5), V::String("     AB1")}, "Pier 4"},
      {"=", {V::Long(5), V::String("     aC1")}, "Slip"},  // any case, any integer width
      {"=", {V::Integer(4)}, "(none)"},
      {"=", {V::Integer(5), V::String("AB1")}, "(none)"},  // not in stored form
      {"=", {V::Double(2.5)}, "(none)"},
      {"=", {V::String("two")}, "(none)"},                // a text no number equals
      {"=", {V::Integer(1), V::String("ÉTé")}, "upper"},  // only T folds
      {"=", {V::Integer(1), V::String("éTé")}, "lower"},
      {"=", {V::Integer(1), V::String("ÉTÉ")}, "(none)"},
      {"=", {V::Integer(1), V::String("ABC")}, "ascii"},
      {">=", {V::Integer(4)}, "Dock"},
      {">=", {V::Integer(5), V::String("     AB")}, "Dock"},
      {">=", {V::Integer(5), V::String("     AB5")}, "Slip"},
      {">=", {V::Integer(5), V::String("     AD")}, "(none)"},
      {">=", {V::String("3")}, "Mole"},                         // a numeric text finds the number
      {">=", {V::Double(3.5), V::String("     ZZZ")}, "Dock"},  // as the dialog seeks past a range
      {">=", {V::Double(5.0), V::String("     AC")}, "Slip"},
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
    rs.MoveFirst();
    std::vector<std::string> names;
    for (int i = 0; i < 4; ++i, rs.MoveNext()) names.push_back(Name());
    EXPECT_EQ(names, (std::vector<std::string>{"blank first", "ascii", "upper", "lower"}));
  }
  // Bad comparisons and key counts are refused.
  Recordset& rs = *jobs.recordset;
  EXPECT_EQ(ErrorOf([&] { rs.Seek("<", {V::Integer(5)}); }), 3001);
  EXPECT_EQ(ErrorOf([&] { rs.Seek("=", {}); }), 3001);
  EXPECT_EQ(ErrorOf([&] { rs.Seek("=", {V::Integer(5), V::String("A"), V::String("B")}); }), 3001);
}

RUN_ON_BOTH_ENGINES(NavigationTest);

}  // namespace
}  // namespace recordstore::testing
