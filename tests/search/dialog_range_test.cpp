// The browsed range's ends, found by seeks: at the table's end and at the
// largest 16-bit key (whose job title is not cut), and with texts that differ only in case (where
// the range ends at the first row that is not an exact match). Also type-ahead cases the scenario
// scripts cannot reach: four leading keys, typing while the highlight is on the "End of List"
// row, Up on the first row and a click on the highlighted row.
#include <string>

#include "search/ztLOOKUP_search.h"
#include "search_fixture.h"

namespace {

using recordstore::Variant;

TEST_F(SearchTest, RangeAtTheEndOfTheTableAndAtTheLargestKey) {
  folder.AddJobs(32767, 4);
  folder.AddJobs(5, 2);
  // The title right-aligns the company number in two and never cuts it.
  const struct {
    int cono;
    const char *last, *title;
  } ends[] = {{32767, "    J0004", "Job Numbers for Company: 32767"},
              {5, "    J0002", "Job Numbers for Company:  5"}};
  for (const auto& end : ends) {
    Run([&] { return ztLOOKUP::SearchJobNumbers(folder.Path(), end.cono); },
        [&] {
          EXPECT_EQ(Form().lblSearchTitle.Caption(), end.title);
          Press(screen::kKeyEnd);
          EXPECT_EQ(Row(0), end.last) << end.cono;
          EXPECT_EQ(Row(1), "End of List");
        });
  }
}

TEST_F(SearchTest, TextKeysThatDifferOnlyInCaseEndTheRange) {
  folder.Exec(
      "CREATE TABLE TAGS (K TEXT(5), V SHORT);"
      "CREATE INDEX \"TAGS.TAGS\" ON TAGS (K COLLATE NOCASE, V);"
      "INSERT INTO TAGS VALUES ('ab', 1), ('ab', 2), ('AB', 3), ('b', 1);");
  Open({"TAGS", "TAGS", "V", "N", "2", "V", "600", "0"},
       [&] {
         EXPECT_EQ(Row(1), " 2");
         EXPECT_EQ(Row(2), "End of List");
         Press(screen::kKeyEnd);
         EXPECT_EQ(Row(0), " 2");
         EXPECT_EQ(Row(1), "End of List");
       },
       {{Variant::String("ab"), "K"}});
}

TEST_F(SearchTest, FourLeadingKeysCannotBeSearched) {
  folder.Exec(
      "CREATE TABLE WIDE (A SHORT, B SHORT, C SHORT, D SHORT, E TEXT(10));"
      "CREATE INDEX \"WIDE.WIDE\" ON WIDE (A, B, C, D, E COLLATE NOCASE);"
      "INSERT INTO WIDE VALUES (1, 2, 3, 4, 'x'), (1, 2, 3, 4, 'y'), (1, 2, 3, 5, 'z');");
  const std::vector<ztSearchMod::IndexKey> keys = {{Variant::Integer(1), "A"},
                                                   {Variant::Integer(2), "B"},
                                                   {Variant::Integer(3), "C"},
                                                   {Variant::Integer(4), "D"}};
  Open(
      {"WIDE", "WIDE", "E", "C", "10", "E", "1000", "0"},
      [&] {
        EXPECT_EQ(Row(0), " x");
        EXPECT_EQ(Row(2), "End of List");
        Press(screen::kKeyDown);
        Type("y");  // no seek: the page stays, refreshed
        EXPECT_EQ(Form().StateField("SearchText")->ToString(), "y");
        EXPECT_EQ(Form().StateField("SelectedRow")->ToInteger(), 1);
        EXPECT_EQ(HighlightedRows(), std::vector<int>{1});
      },
      keys);
  ASSERT_EQ(desktop.messageBoxes.size(), 1u);
  EXPECT_EQ(desktop.messageBoxes[0].prompt, "Invalid Key Count in ztSearch");
  EXPECT_EQ(desktop.messageBoxes[0].title, "Error: ztSearch");
  EXPECT_EQ(desktop.messageBoxes[0].style, 16);
}

// Up on the first row and a click on the highlighted row change nothing;
// typing past the last key leaves the highlight on "End of List".
TEST_F(SearchTest, KeysThatFindNothingKeepThePage) {
  folder.AddCompanies(3);
  const std::string chosen = OpenCompanies([&] {
    Press(screen::kKeyUp);
    EXPECT_EQ(Row(0), " 1");
    EXPECT_EQ(HighlightedRows(), std::vector<int>{0});
    Press(screen::kKeyDown);
    EXPECT_TRUE(screen::ClickControl(Form().lblCOL1(1)));
    EXPECT_EQ(HighlightedRows(), std::vector<int>{1});
    Press(screen::kKeyDown);
    Press(screen::kKeyDown);
    Type("9");
    EXPECT_EQ(Row(0), " 1");
    EXPECT_EQ(Row(3), "End of List");
    EXPECT_EQ(HighlightedRows(), std::vector<int>{3});
    Press(screen::kKeyUp);
    EXPECT_EQ(HighlightedRows(), std::vector<int>{2});
    EXPECT_EQ(Row(2), " 3");
    Press(screen::kKeyReturn);
  });
  EXPECT_NE(chosen, " ");
}

}  // namespace
