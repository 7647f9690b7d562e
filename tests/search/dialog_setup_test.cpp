// The search dialog's set-up: layout from the request, the search column and
// its instruction, the empty table or range, the load failures, the opener's
// own failure, the period-ending start row and the header clicks.
#include <cstdio>
#include <string>

#include "search_fixture.h"
#include "services/recordstore/db_engine.h"
#include "services/ztLOOKUP.h"

namespace {

using recordstore::Variant;
using ztSearchMod::OpenSearchDialog;

TEST_F(SearchTest, CompanySearchIsLaidOutFromItsRequest) {
  folder.AddCompanies(3);
  OpenCompanies([&] {
    frmztSearch& f = Form();
    EXPECT_EQ(f.Caption(), "Search Company Numbers");
    EXPECT_EQ(f.lblSearchTitle.Caption(), "Company Numbers");
    EXPECT_EQ(f.lblInstructA.Caption(), "1. Enter the number of the item you are searching for.");
    EXPECT_TRUE(f.lblInstructC.Visible());
    // Columns of 600 and 4000 twips: the second starts at 285 + 600 - 15.
    EXPECT_EQ(f.lblCOL0(7).Width(), 600);
    EXPECT_EQ(f.lblCOL1(7).Left(), 870);
    EXPECT_EQ(f.lblCOL1(7).Width(), 4000);
    EXPECT_FALSE(f.lblCol2(0).Visible());
    EXPECT_EQ(f.lblCol2(0).Width(), 0);
    EXPECT_EQ(f.lblHCOL0.Caption(), " Co. #");
    EXPECT_EQ(f.lblHCOL1.Caption(), " Company Name");
    EXPECT_EQ(f.lblHCOL1.Left(), 870);
    EXPECT_FALSE(f.lblHCOL2.Visible());
    EXPECT_EQ(f.lblHCOL0.BackColor(), frmztSearch::SearchHeaderColor);
    EXPECT_EQ(f.lblHCOL1.BackColor(), frmztSearch::IndexedHeaderColor);
    EXPECT_EQ(f.State().GridRight, 870 + 4000 + 10);
    EXPECT_EQ(f.cmdHKBPGDN.Left(), 4880);
    EXPECT_EQ(f.hsbMAIN.Left(), 4900);
    EXPECT_EQ(f.lblDisplay(0).Width(), 255 + 4600 + 10);
    EXPECT_EQ(f.Width(), 4865 + 600);
    EXPECT_EQ(f.CmdCancel.Left(), 5465 - (765 + 380));
    EXPECT_EQ(f.CmdSelect.Left(), 4320 - (765 + 100));
    EXPECT_EQ(screen::FocusedControl(), &f.hsbMAIN);
    EXPECT_EQ(f.StateField("SearchIndexName")->ToString(), "CONO");
    EXPECT_EQ(f.StateField("SearchTextLimit")->ToInteger(), 2);
    EXPECT_EQ(f.StateField("KeyCount")->ToInteger(), 0);
    EXPECT_EQ(f.StateField("MessageColumn")->ToInteger(), 1);
    EXPECT_TRUE(f.StateField("KeyPreview")->ToBoolean());
    EXPECT_EQ(Row(0), " 1");
    EXPECT_EQ(f.lblCOL1(2).Caption(), " Company 3");
    EXPECT_EQ(Row(3), "End of List");
    EXPECT_EQ(Row(4), " ");
    EXPECT_EQ(HighlightedRows(), std::vector<int>{0});
  });
}

TEST_F(SearchTest, AZeroWidthHidesTheSecondColumnAndItsHeader) {
  folder.AddCompanies(2);
  Run(
      [&] {
        return OpenSearchDialog(folder.Path(), "MAIN", "COLIST", "CONO|CONAME", "c", "t",
                                "CONO|CONAME", "N|C", "2|30", "A|B", "600|0", "1|0", 0);
      },
      [&] {
        frmztSearch& f = Form();
        for (int r = 0; r < frmztSearch::kRows; ++r) EXPECT_FALSE(f.lblCOL1(r).Visible());
        EXPECT_FALSE(f.lblHCOL1.Visible());
        EXPECT_EQ(f.State().GridRight, 285 + 600 + 10);
        EXPECT_EQ(f.lblCOL0(0).Alignment(), 1);
        EXPECT_EQ(f.lblCOL1(0).Caption(), "");  // a hidden cell is never written
      });
}

TEST_F(SearchTest, EmptyTableShowsNoItemsWithoutSelect) {
  const std::string result = OpenCompanies([&] {
    EXPECT_EQ(Row(0), "No Items Found");
    EXPECT_EQ(Row(1), " ");
    EXPECT_EQ(HighlightedRows(), std::vector<int>{0});
    EXPECT_FALSE(Form().CmdSelect.Visible());
    EXPECT_TRUE(Form().CmdCancel.Visible());
    Press(screen::kKeyDown);  // nothing to move to
    Type("1");                // nor to find
    EXPECT_EQ(Row(0), "No Items Found");
    Press(screen::kKeyEscape);
  });
  EXPECT_EQ(result, " ");
  EXPECT_FALSE(Form().IsLoaded());
}

TEST_F(SearchTest, EmptyKeyedRangeShowsNoItemsWithoutSelect) {
  folder.AddJobs(1, 5);
  const std::string result = Run([&] { return ztLOOKUP::SearchJobNumbers(folder.Path(), 2); },
                                 [&] {
                                   EXPECT_EQ(Row(0), "No Items Found");
                                   EXPECT_FALSE(Form().CmdSelect.Visible());
                                   EXPECT_EQ(Form().StateField("KeyCount")->ToInteger(), 1);
                                   Press(screen::kKeyReturn);  // no default button to press
                                   EXPECT_TRUE(Form().IsLoaded());
                                   screen::ClickControl(Form().CmdCancel);
                                 });
  EXPECT_EQ(result, " ");
}

// Opens a request on the folder's COLIST with one spec changed by the test.
struct BadRequest {
  std::string table = "COLIST";
  std::string indexes = "CONO|CONAME";
  std::string fields = "CONO|CONAME";
  std::string widths = "600|4000";
};

class LoadFailureTest : public SearchTest {
 protected:
  // Opens the request; the dialog shows with only Cancel, which the test
  // presses. Returns the load-failure box's text.
  std::string OpenFailing(const BadRequest& request) {
    folder.AddCompanies(2);
    const std::string result = Run(
        [&] {
          return OpenSearchDialog(folder.Path(), "MAIN", request.table, request.indexes, "c", "t",
                                  request.fields, "N|C", "2|30", "A|B", request.widths, "0|0", 1);
        },
        [&] {
          for (const screen::Control* c : Form().Controls()) {
            EXPECT_EQ(c->Visible(), c == &Form().CmdCancel) << c->QualifiedName();
          }
          Press(screen::kKeyDown);  // keys other than Esc do nothing
          EXPECT_TRUE(screen::ClickControl(Form().CmdCancel));
        });
    EXPECT_EQ(result, " ");
    EXPECT_FALSE(Form().IsLoaded());
    EXPECT_TRUE(desktop.errors.empty());
    if (desktop.messageBoxes.size() != 1) return "(" + std::to_string(desktop.messageBoxes.size());
    EXPECT_EQ(desktop.messageBoxes[0].title, "Error Displaying Form");
    EXPECT_EQ(desktop.messageBoxes[0].style, 16);
    return desktop.messageBoxes[0].prompt;
  }
};

TEST_F(LoadFailureTest, MissingTable) {
  BadRequest request;
  request.table = "NOTABLE";
  const std::string text = OpenFailing(request);
  EXPECT_EQ(text.rfind("Error Loading Form: frmztSearch\r\n\r\nError Number: ", 0), 0u) << text;
  EXPECT_NE(text.find("NOTABLE"), std::string::npos) << text;
}

TEST_F(LoadFailureTest, MissingIndex) {
  BadRequest request;
  request.indexes = "NOINDEX|CONAME";
  const std::string text = OpenFailing(request);
  EXPECT_NE(text.find("Error Number: 3800\r\n\r\nError Description: "), std::string::npos) << text;
}

TEST_F(LoadFailureTest, MissingField) {
  BadRequest request;
  request.fields = "CONO|NOFIELD";
  EXPECT_NE(OpenFailing(request).find("Error Number: 3265"), std::string::npos);
}

TEST_F(LoadFailureTest, SeventhColumnItem) {
  BadRequest request;
  request.widths = "600|4000|1|1|1|1|1";
  EXPECT_NE(OpenFailing(request).find("Error Number: 9"), std::string::npos);
}

TEST_F(SearchTest, OpenerFailureShowsItsBoxOnceAndGivesBlank) {
  const std::vector<ztSearchMod::IndexKey> fiveKeys(5, {Variant::Integer(1), "CONO"});
  const std::string result = OpenSearchDialog(folder.Path(), "MAIN", "COLIST", "CONO", "c", "t",
                                              "CONO", "N", "2", "A", "600", "0", 1, fiveKeys);
  EXPECT_EQ(result, " ");
  ASSERT_EQ(desktop.messageBoxes.size(), 1u);
  EXPECT_EQ(desktop.messageBoxes[0].prompt, "Error Opening Window ztSearch");
  EXPECT_EQ(desktop.messageBoxes[0].title, "Error: ztSearch");
  EXPECT_EQ(desktop.messageBoxes[0].style, 16);
  EXPECT_TRUE(desktop.modalForms.empty());
}

TEST_F(SearchTest, CloseBoxCancelAndSelectResults) {
  folder.AddCompanies(3);
  EXPECT_EQ(OpenCompanies([] {}), " ");  // the close box
  EXPECT_EQ(OpenCompanies([&] { screen::ClickControl(Form().CmdCancel); }), " ");
  const std::string chosen = OpenCompanies([&] {
    Press(screen::kKeyDown);
    Press(screen::kKeyReturn);  // the default button
  });
  EXPECT_EQ(ChosenField("COLIST", chosen, "CONO").ToInteger(), 2);
  EXPECT_EQ(desktop.modalForms.size(), 3u);
}

TEST_F(SearchTest, EveryLoadOpensOneWorkspaceOfItsOwn) {
  folder.AddCompanies(1);
  const int before = recordstore::DBEngine::Instance()->WorkspacesCreated();
  OpenCompanies([&] { EXPECT_EQ(Form().StateField("Workspaces")->ToLong(), before + 1); });
  OpenCompanies([] {});
  EXPECT_EQ(recordstore::DBEngine::Instance()->WorkspacesCreated(), before + 2);
}

TEST_F(SearchTest, InstructionTextAndTrimmedPath) {
  folder.AddCompanies(1);
  Run(
      [&] {
        return OpenSearchDialog("  " + folder.Path() + "  ", "MAIN", "COLIST", "CONO", "c", "t",
                                "CONO", "N", "2", "A", "600", "0", 1, {}, "Pick one.");
      },
      [&] {
        EXPECT_EQ(Form().lblInstructA.Caption(), "Pick one.");
        EXPECT_EQ(Row(0), " 1");
      });
}

TEST_F(SearchTest, KeyCountIsTheHighestNonBlankField) {
  folder.AddJobs(1, 3);
  Run(
      [&] {
        return OpenSearchDialog(folder.Path(), "MAIN", "JOBLIST", "JOBLIST", "c", "t", "JOBNO", "C",
                                "8", "A", "1000", "0", 1,
                                {{Variant::Integer(1), "CONO"},
                                 {Variant::Integer(0), ""},
                                 {Variant::Integer(0), "JOBNAME"}});
      },
      [&] { EXPECT_EQ(Form().StateField("KeyCount")->ToInteger(), 3); });
}

// PELIST rows for the Fridays from 2024-01-05 on, one a week.
void AddFridays(const SearchFolder& folder, int weeks) {
  std::string sql = "BEGIN;";
  for (int w = 0; w < weeks; ++w) {
    int y = 0, m = 0, d = 0;
    recordstore::YMDFromDateSerial(recordstore::DateSerialFromYMD(2024, 1, 5) + 7 * w, y, m, d);
    char key[16];
    std::snprintf(key, sizeof key, "%04d%02d%02d", y, m, d);
    sql +=
        "INSERT INTO PELIST VALUES (" + std::to_string(w + 1) + ", '', 'Friday', '" + key + "');";
  }
  folder.Exec(sql + "COMMIT;");
}

class PeriodEndingStartTest : public SearchTest {
 protected:
  // The LDATE shown at the top and the selected row when today is the date.
  std::string TopWhenToday(int year, int month, int day) {
    desktop.SetToday(recordstore::DateSerialFromYMD(year, month, day));
    std::string top;
    const std::string chosen = Run([&] { return ztLOOKUP::SearchPeriodEndingDates(folder.Path()); },
                                   [&] {
                                     top = Form().lblCOL0(0).Caption();
                                     EXPECT_EQ(HighlightedRows(), std::vector<int>{0});
                                     screen::ClickControl(Form().CmdSelect);
                                   });
    EXPECT_EQ(" " + ChosenField("PELIST", chosen, "LDATE").ToString(), top);
    return top;
  }
};

TEST_F(PeriodEndingStartTest, RowBeforeTheFirstDateWithinSevenDays) {
  AddFridays(folder, 10);
  EXPECT_EQ(TopWhenToday(2024, 1, 19), " 20240112");  // today is a period end
  EXPECT_EQ(TopWhenToday(2024, 1, 13), " 20240112");  // six days ahead
  EXPECT_EQ(TopWhenToday(2024, 1, 18), " 20240112");  // the next day
}

TEST_F(PeriodEndingStartTest, FirstRowWhenNoDateIsNearOrTheMatchIsFirst) {
  AddFridays(folder, 3);
  EXPECT_EQ(TopWhenToday(2023, 6, 1), " 20240105");
  EXPECT_EQ(TopWhenToday(2024, 1, 2), " 20240105");  // the match has no row before it
  EXPECT_EQ(TopWhenToday(2030, 1, 1), " 20240105");
}

TEST_F(SearchTest, HeaderWithoutIndexSaysSearchNotAvailable) {
  AddFridays(folder, 2);
  Run([&] { return ztLOOKUP::SearchPeriodEndingDates(folder.Path()); },
      [&] {
        EXPECT_FALSE(Form().lblInstructC.Visible());
        EXPECT_EQ(Form().lblHCOL1.Caption(), " Period Ending Day");
        screen::ClickControl(Form().lblHCOL1);
        EXPECT_EQ(Form().StateField("SearchIndexName")->ToString(), "PELIST");
        EXPECT_EQ(screen::FocusedControl(), &Form().hsbMAIN);
      });
  ASSERT_EQ(desktop.messageBoxes.size(), 1u);
  EXPECT_EQ(desktop.messageBoxes[0].prompt,
            "There is no Search Available by Column: Period Ending Day");
  EXPECT_EQ(desktop.messageBoxes[0].title, "Search Not Available");
  EXPECT_EQ(desktop.messageBoxes[0].style, 64);
}

TEST_F(SearchTest, HeaderOfTheSearchedColumnChangesNothing) {
  folder.AddCompanies(20);
  OpenCompanies([&] {
    Type("1");
    Press(screen::kKeyDown);
    screen::ClickControl(Form().lblHCOL0);
    EXPECT_EQ(Form().StateField("SearchText")->ToString(), "1");
    EXPECT_EQ(Form().StateField("SelectedRow")->ToInteger(), 1);
  });
  EXPECT_TRUE(desktop.messageBoxes.empty());
}

TEST_F(SearchTest, HeaderOfAnotherIndexedColumnSearchesByIt) {
  folder.Exec("INSERT INTO COLIST VALUES (1, 'Zenith'), (2, 'Acme'), (3, 'Midway');");
  const std::string chosen = OpenCompanies([&] {
    frmztSearch& f = Form();
    Type("3");
    Press(screen::kKeyDown);
    screen::ClickControl(f.lblHCOL1);
    EXPECT_EQ(f.StateField("SearchIndexName")->ToString(), "CONAME");
    EXPECT_EQ(f.StateField("SearchText")->ToString(), "");
    EXPECT_EQ(f.lblSearch.Caption(), "");
    EXPECT_EQ(f.StateField("SearchTextLimit")->ToInteger(), 30);
    EXPECT_EQ(f.StateField("SearchColumnType")->ToString(), "C");
    EXPECT_EQ(f.StateField("MessageColumn")->ToInteger(), 2);
    EXPECT_EQ(f.lblInstructA.Caption(), "1. Type the first few characters you are looking for.");
    EXPECT_EQ(f.lblHCOL0.BackColor(), frmztSearch::IndexedHeaderColor);
    EXPECT_EQ(f.lblHCOL1.BackColor(), frmztSearch::SearchHeaderColor);
    EXPECT_EQ(f.lblCOL1(0).Caption(), " Acme");
    EXPECT_EQ(f.lblCOL1(2).Caption(), " Zenith");
    // The message goes to the search column; column 0 of that row stays blank.
    EXPECT_EQ(f.lblCOL1(3).Caption(), "End of List");
    EXPECT_EQ(Row(3), " ");
    EXPECT_EQ(HighlightedRows(), std::vector<int>{0});
    Type("m");
    EXPECT_EQ(f.lblCOL1(0).Caption(), " Midway");
    Press(screen::kKeyReturn);
  });
  EXPECT_EQ(ChosenField("COLIST", chosen, "CONO").ToInteger(), 3);
}

}  // namespace
