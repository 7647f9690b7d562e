// The search dialog's type-ahead: numeric and text search columns, the typing
// limit, Backspace, a search within a keyed range and beyond its end, keys
// that type odd characters, the four-key message and Esc. Also the range's
// last row found by a seek, at the table's end and with texts that differ only
// in case.
#include <string>

#include "search_fixture.h"
#include "services/ztLOOKUP.h"

namespace {

using recordstore::Variant;

std::string SearchText(frmztSearch& f) { return f.StateField("SearchText")->ToString(); }

TEST_F(SearchTest, NumericTypeAheadWithinTheLimitAndBackspace) {
  folder.AddCompanies(30);
  OpenCompanies([&] {
    frmztSearch& f = Form();
    Press(screen::kKeyDown);
    Type("2");
    EXPECT_EQ(f.lblSearch.Caption(), "2");
    EXPECT_EQ(Row(0), " 2");
    EXPECT_EQ(f.StateField("SelectedRow")->ToInteger(), 0);
    Type("5");
    EXPECT_EQ(Row(0), " 25");
    EXPECT_EQ(Row(6), "End of List");
    Type("9");  // beyond the size of the column: ignored
    EXPECT_EQ(SearchText(f), "25");
    Press(screen::kKeyBack);
    EXPECT_EQ(SearchText(f), "2");
    EXPECT_EQ(f.lblSearch.Caption(), "2");
    EXPECT_EQ(Row(0), " 2");
    Press(screen::kKeyBack);
    EXPECT_EQ(SearchText(f), "");
    EXPECT_EQ(f.lblSearch.Caption(), " ");
    EXPECT_EQ(Row(0), " 1");
    Press(screen::kKeyBack);  // nothing left to remove
    EXPECT_EQ(f.lblSearch.Caption(), " ");
  });
}

TEST_F(SearchTest, NonNumericTextOnANumericColumnSeeksZero) {
  folder.AddCompanies(30);
  OpenCompanies([&] {
    Press(screen::kKeyEnd);
    Type("x");
    EXPECT_EQ(SearchText(Form()), "x");
    EXPECT_EQ(Row(0), " 1");
  });
}

TEST_F(SearchTest, FailedSeekKeepsThePageButNotTheText) {
  folder.AddCompanies(12);
  OpenCompanies([&] {
    Press(screen::kKeyDown);
    Type("9");
    Type("9");  // no company 99: the page stays on 9
    EXPECT_EQ(SearchText(Form()), "99");
    EXPECT_EQ(Row(0), " 9");
    EXPECT_EQ(HighlightedRows(), std::vector<int>{0});
  });
}

TEST_F(SearchTest, TypingOnTheEndOfListRowKeepsThePage) {
  folder.AddCompanies(3);
  OpenCompanies([&] {
    for (int i = 0; i < 3; ++i) Press(screen::kKeyDown);
    Type("9");  // nothing at or after 9: the highlight stays on "End of List"
    EXPECT_EQ(Row(0), " 1");
    EXPECT_EQ(Row(3), "End of List");
    EXPECT_EQ(HighlightedRows(), std::vector<int>{3});
    Press(screen::kKeyUp);
    EXPECT_EQ(HighlightedRows(), std::vector<int>{2});
  });
}

TEST_F(SearchTest, JobSearchStaysWithinItsCompany) {
  folder.AddJobs(1, 3);
  folder.AddJobs(2, 20);
  folder.AddJobs(3, 3);
  const std::string chosen =
      Run([&] { return ztLOOKUP::SearchJobNumbers(folder.Path(), 2); },
          [&] {
            frmztSearch& f = Form();
            EXPECT_EQ(f.Caption(), "Search Job Numbers");
            EXPECT_EQ(f.lblSearchTitle.Caption(), "Job Numbers for Company:  2");
            EXPECT_EQ(f.lblCOL1(0).Caption(), " Job 1 of 2");
            Press(screen::kKeyEnd);
            EXPECT_EQ(f.lblCOL1(0).Caption(), " Job 20 of 2");
            EXPECT_EQ(Row(1), "End of List");
            Press(screen::kKeyHome);
            Type("   J0015");
            EXPECT_EQ(Row(0), "    J0015");
            Type("x");  // beyond the limit of eight
            EXPECT_EQ(SearchText(f), "   J0015");
            Press(screen::kKeyReturn);
          });
  EXPECT_EQ(ChosenField("JOBLIST", chosen, "JOBNO").ToString(), "   J0015");
  EXPECT_EQ(ChosenField("JOBLIST", chosen, "CONO").ToInteger(), 2);
}

TEST_F(SearchTest, TypingBeyondTheCompanysLastJobKeepsThePage) {
  folder.AddJobs(2, 5);
  folder.AddJobs(3, 5);
  Run([&] { return ztLOOKUP::SearchJobNumbers(folder.Path(), 2); },
      [&] {
        Press(screen::kKeyDown);
        Type("z");  // lands on company 3's rows, outside the range
        EXPECT_EQ(SearchText(Form()), "z");
        EXPECT_EQ(Form().lblSearch.Caption(), "z");
        EXPECT_EQ(Row(0), "    J0001");
        EXPECT_EQ(HighlightedRows(), std::vector<int>{1});
      });
}

TEST_F(SearchTest, LowerCaseTypingFindsCapitalsThroughTheIndex) {
  folder.Exec("INSERT INTO COLIST VALUES (1, 'Zenith'), (2, 'acme'), (3, 'Midway');");
  Run(
      [&] {
        return ztSearchMod::OpenSearchDialog(folder.Path(), "MAIN", "COLIST", "CONAME", "c", "t",
                                             "CONAME|CONO", "C|N", "30|2", "A|B", "3000|600", "0|1",
                                             0);
      },
      [&] {
        Type("m");
        EXPECT_EQ(Row(0), " Midway");
        Press(screen::kKeyBack);
        Type("ACM");
        EXPECT_EQ(SearchText(Form()), "ACM");
        EXPECT_EQ(Row(0), " acme");
      });
}

TEST_F(SearchTest, OddKeysTypeWhatTheKeyTableSays) {
  folder.AddJobs(1, 3);
  Run([&] { return ztLOOKUP::SearchJobNumbers(folder.Path(), 1); },
      [&] {
        Press(screen::kKeyDelete);
        Press(screen::kKeyInsert);
        Press(screen::kKeyF1 + 4);  // a function key types nothing
        Press('2', screen::kShiftMask);
        Press('2', screen::kCtrlMask);
        Press(186, screen::kCtrlMask);
        Press(screen::kKeyNumpad0 + 5, screen::kShiftMask);
        Press(screen::kKeySpace);
        EXPECT_EQ(SearchText(Form()), ".-@25 ");
      });
}

TEST_F(SearchTest, EscClosesWithoutAChoice) {
  folder.AddCompanies(3);
  const std::string result = OpenCompanies([&] {
    Press(screen::kKeyDown);
    Press(screen::kKeyEscape);
    EXPECT_FALSE(Form().IsLoaded());
  });
  EXPECT_EQ(result, " ");
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
  Run(
      [&] {
        return ztSearchMod::OpenSearchDialog(folder.Path(), "MAIN", "WIDE", "WIDE", "c", "t", "E",
                                             "C", "10", "E", "1000", "0", 1, keys);
      },
      [&] {
        EXPECT_EQ(Row(0), " x");
        EXPECT_EQ(Row(2), "End of List");
        Press(screen::kKeyDown);
        Type("y");
        EXPECT_EQ(SearchText(Form()), "y");
        EXPECT_EQ(Form().StateField("SelectedRow")->ToInteger(), 1);
      });
  ASSERT_EQ(desktop.messageBoxes.size(), 1u);
  EXPECT_EQ(desktop.messageBoxes[0].prompt, "Invalid Key Count in ztSearch");
  EXPECT_EQ(desktop.messageBoxes[0].title, "Error: ztSearch");
  EXPECT_EQ(desktop.messageBoxes[0].style, 16);
}

TEST_F(SearchTest, RangeAtTheEndOfTheTableAndAtTheLargestKey) {
  folder.AddJobs(32767, 4);
  folder.AddJobs(5, 2);
  Run([&] { return ztLOOKUP::SearchJobNumbers(folder.Path(), 32767); },
      [&] {
        Press(screen::kKeyEnd);
        EXPECT_EQ(Row(0), "    J0004");
        EXPECT_EQ(Row(1), "End of List");
      });
  Run([&] { return ztLOOKUP::SearchJobNumbers(folder.Path(), 5); },
      [&] {
        Press(screen::kKeyEnd);
        EXPECT_EQ(Row(0), "    J0002");
      });
}

TEST_F(SearchTest, TextKeysThatDifferOnlyInCaseEndTheRange) {
  folder.Exec(
      "CREATE TABLE TAGS (K TEXT(5), V SHORT);"
      "CREATE INDEX \"TAGS.TAGS\" ON TAGS (K COLLATE NOCASE, V);"
      "INSERT INTO TAGS VALUES ('ab', 1), ('ab', 2), ('AB', 3), ('b', 1);");
  Run(
      [&] {
        return ztSearchMod::OpenSearchDialog(folder.Path(), "MAIN", "TAGS", "TAGS", "c", "t", "V",
                                             "N", "2", "V", "600", "0", 1,
                                             {{Variant::String("ab"), "K"}});
      },
      [&] {
        EXPECT_EQ(Row(1), " 2");
        EXPECT_EQ(Row(2), "End of List");
        Press(screen::kKeyEnd);
        EXPECT_EQ(Row(0), " 2");
        EXPECT_EQ(Row(1), "End of List");
      });
}

}  // namespace
