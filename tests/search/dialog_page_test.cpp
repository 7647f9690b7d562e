// The search dialog's result page: the rows of a short range with "End of
// List" and blank rows, the moves of the highlight by keys, the navigation
// buttons and clicks, scrolling by one row, page steps and the ends.
#include <string>

#include "search_fixture.h"
#include "services/ztLOOKUP.h"

namespace {

using recordstore::Variant;

int16_t SelectedRow(frmztSearch& f) { return f.StateField("SelectedRow")->ToInteger(); }

TEST_F(SearchTest, ShortRangeShowsEndOfListThenBlankRows) {
  folder.AddCompanies(5);
  OpenCompanies([&] {
    for (int r = 0; r < 5; ++r) EXPECT_EQ(Row(r), " " + std::to_string(r + 1));
    EXPECT_EQ(Row(5), "End of List");
    EXPECT_EQ(Form().lblCOL1(5).Caption(), " ");
    for (int r = 6; r < frmztSearch::kRows; ++r) EXPECT_EQ(Row(r), " ") << r;
  });
}

TEST_F(SearchTest, DownOntoEndOfListAndBack) {
  folder.AddCompanies(5);
  const std::string chosen = OpenCompanies([&] {
    for (int i = 0; i < 4; ++i) Press(screen::kKeyDown);
    EXPECT_EQ(SelectedRow(Form()), 4);
    Press(screen::kKeyDown);
    EXPECT_EQ(SelectedRow(Form()), 5);
    EXPECT_EQ(HighlightedRows(), std::vector<int>{5});
    EXPECT_EQ(Row(5), "End of List");
    Press(screen::kKeyDown);  // nothing below the end
    EXPECT_EQ(SelectedRow(Form()), 5);
    Press(screen::kKeyUp);
    EXPECT_EQ(SelectedRow(Form()), 4);
    EXPECT_EQ(HighlightedRows(), std::vector<int>{4});
    Press(screen::kKeyDown);
    screen::ClickControl(Form().cmdHKBACTION);  // nothing selected: no effect
    EXPECT_TRUE(Form().IsLoaded());
    Press(screen::kKeyReturn);
  });
  EXPECT_EQ(chosen, " ");
}

TEST_F(SearchTest, DownFromTheBottomRowScrollsByOneRow) {
  folder.AddCompanies(30);
  OpenCompanies([&] {
    for (int i = 0; i < 11; ++i) Press(screen::kKeyDown);
    EXPECT_EQ(SelectedRow(Form()), 11);
    Press(screen::kKeyDown);
    EXPECT_EQ(SelectedRow(Form()), 11);
    EXPECT_EQ(Row(0), " 2");
    EXPECT_EQ(Row(10), " 12");
    EXPECT_EQ(Row(11), " 13");
    EXPECT_EQ(Form().lblCOL1(11).Caption(), " Company 13");
    EXPECT_EQ(HighlightedRows(), std::vector<int>{11});
    // Up back to grid row 0, then once more scrolls the page down by one row.
    for (int i = 0; i < 12; ++i) Press(screen::kKeyUp);
    EXPECT_EQ(SelectedRow(Form()), 0);
    EXPECT_EQ(Row(0), " 1");
    EXPECT_EQ(Row(1), " 2");
  });
}

TEST_F(SearchTest, UpOnTheFirstRowChangesNothing) {
  folder.AddCompanies(3);
  OpenCompanies([&] {
    Press(screen::kKeyUp);
    EXPECT_EQ(SelectedRow(Form()), 0);
    EXPECT_EQ(Row(0), " 1");
    EXPECT_EQ(HighlightedRows(), std::vector<int>{0});
  });
}

TEST_F(SearchTest, PageStepsKeepTheSelectionsGridRow) {
  folder.AddCompanies(30);
  const std::string chosen = OpenCompanies([&] {
    for (int i = 0; i < 3; ++i) Press(screen::kKeyDown);
    Press(screen::kKeyPageDown);  // top 1 -> 12, selection 4 -> 15
    EXPECT_EQ(Row(0), " 12");
    EXPECT_EQ(SelectedRow(Form()), 3);
    Press(screen::kKeyPageDown);  // top 23, selection 26
    EXPECT_EQ(Row(0), " 23");
    EXPECT_EQ(Row(8), "End of List");
    EXPECT_EQ(SelectedRow(Form()), 3);
    Press(screen::kKeyPageDown);  // both stop at the last row
    EXPECT_EQ(Row(0), " 30");
    EXPECT_EQ(Row(1), "End of List");
    EXPECT_EQ(SelectedRow(Form()), 0);
    Press(screen::kKeyPageUp);
    EXPECT_EQ(Row(0), " 19");
    Press(screen::kKeyPageUp);
    Press(screen::kKeyPageUp);  // stops at the first row
    EXPECT_EQ(Row(0), " 1");
    EXPECT_EQ(SelectedRow(Form()), 0);
    EXPECT_EQ(HighlightedRows(), std::vector<int>{0});
    Press(screen::kKeyPageDown);
    Press(screen::kKeyReturn);
  });
  EXPECT_EQ(ChosenField("COLIST", chosen, "CONO").ToInteger(), 12);
}

TEST_F(SearchTest, PageUpFromEndOfList) {
  folder.AddCompanies(30);
  OpenCompanies([&] {
    Press(screen::kKeyEnd);
    Press(screen::kKeyDown);
    EXPECT_EQ(SelectedRow(Form()), 1);
    Press(screen::kKeyPageUp);
    EXPECT_EQ(Row(0), " 19");
    EXPECT_EQ(SelectedRow(Form()), 0);
    EXPECT_EQ(HighlightedRows(), std::vector<int>{0});
  });
}

TEST_F(SearchTest, EndAndHome) {
  folder.AddCompanies(30);
  OpenCompanies([&] {
    Press(screen::kKeyEnd);
    EXPECT_EQ(Row(0), " 30");
    EXPECT_EQ(Row(1), "End of List");
    EXPECT_EQ(Row(2), " ");
    EXPECT_EQ(SelectedRow(Form()), 0);
    Press(screen::kKeyHome);
    EXPECT_EQ(Row(0), " 1");
    EXPECT_EQ(Row(11), " 12");
  });
}

TEST_F(SearchTest, ArrowsRightAndLeftMoveTheSelection) {
  folder.AddCompanies(5);
  OpenCompanies([&] {
    Press(screen::kKeyRight);
    Press(screen::kKeyRight);
    EXPECT_EQ(SelectedRow(Form()), 2);
    Press(screen::kKeyLeft);
    EXPECT_EQ(SelectedRow(Form()), 1);
  });
}

TEST_F(SearchTest, NavigationButtonsMoveAndReturnTheFocus) {
  folder.AddCompanies(30);
  OpenCompanies([&] {
    frmztSearch& f = Form();
    screen::ClickControl(f.cmdHKBDNARROW);
    EXPECT_EQ(SelectedRow(f), 1);
    EXPECT_EQ(screen::FocusedControl(), &f.hsbMAIN);
    screen::ClickControl(f.cmdHKBEND);
    EXPECT_EQ(Row(0), " 30");
    screen::ClickControl(f.cmdHKBHOME);
    EXPECT_EQ(Row(0), " 1");
    screen::ClickControl(f.cmdHKBPGDN);
    EXPECT_EQ(Row(0), " 12");
    screen::ClickControl(f.cmdHKBPGUP);
    EXPECT_EQ(Row(0), " 1");
    screen::ClickControl(f.cmdHKBUPARROW);
    EXPECT_EQ(SelectedRow(f), 0);
  });
}

TEST_F(SearchTest, ClicksOnBlankAndHighlightedRowsChangeNothing) {
  folder.AddCompanies(5);
  OpenCompanies([&] {
    frmztSearch& f = Form();
    Press(screen::kKeyDown);
    screen::ClickControl(f.lblCOL0(8));
    screen::ClickControl(f.lblCOL1(1));
    EXPECT_EQ(SelectedRow(f), 1);
    EXPECT_EQ(HighlightedRows(), std::vector<int>{1});
    EXPECT_EQ(screen::FocusedControl(), &f.hsbMAIN);
  });
}

TEST_F(SearchTest, ClickOnEndOfListSelectsTheLastRow) {
  folder.AddCompanies(5);
  const std::string chosen = OpenCompanies([&] {
    screen::ClickControl(Form().lblCOL0(5));
    EXPECT_EQ(HighlightedRows(), std::vector<int>{5});
    screen::ClickControl(Form().CmdSelect);
  });
  EXPECT_EQ(ChosenField("COLIST", chosen, "CONO").ToInteger(), 5);
}

TEST_F(SearchTest, ClickSelectsAndDoubleClickChooses) {
  folder.AddCompanies(20);
  const std::string clicked = OpenCompanies([&] {
    Press(screen::kKeyPageDown);
    screen::ClickControl(Form().lblCOL1(2));
    EXPECT_EQ(SelectedRow(Form()), 2);
    screen::ClickControl(Form().cmdHKBACTION);
  });
  EXPECT_EQ(ChosenField("COLIST", clicked, "CONO").ToInteger(), 14);
  const std::string doubled = OpenCompanies([&] { screen::DoubleClickControl(Form().lblCOL0(3)); });
  EXPECT_EQ(ChosenField("COLIST", doubled, "CONO").ToInteger(), 4);
}

TEST_F(SearchTest, FormattedColumnShowsBlankForZero) {
  folder.Exec("INSERT INTO COLIST VALUES (0, NULL), (7, 'Seven');");
  Run(
      [&] {
        return ztSearchMod::OpenSearchDialog(folder.Path(), "MAIN", "COLIST", "CONO", "c", "t",
                                             "CONO|CONAME|CONO", "N|C|N00", "2|30|2", "A|B|C",
                                             "600|2000|600", "0|0|1", 1);
      },
      [&] {
        frmztSearch& f = Form();
        EXPECT_EQ(Row(0), " 0");
        EXPECT_EQ(f.lblCol2(0).Caption(), " ");
        EXPECT_EQ(f.lblCOL1(0).Caption(), " " + std::string(30, ' '));  // Null text of width 30
        EXPECT_EQ(f.lblCol2(1).Caption(), "07");
        EXPECT_EQ(f.lblCol2(1).Left(), 285 + 600 - 15 + 2000 - 15);
      });
}

}  // namespace
