// The search dialog's set-up beyond what the scenario scripts show: a missing
// table, the opener's own failure, the classic texts through the typed
// request, one shown column (the grid's edge), formats and Null
// values, the instruction text and a padded path, the key count rule, the
// workspace of each load and the period-ending start at the table's edges.
#include <string>

#include "search/ztLOOKUP_search.h"
#include "search_fixture.h"
#include "services/recordstore/db_engine.h"

namespace {

using recordstore::Variant;
using ztSearchMod::OpenSearchDialog;

// The screen a failed load leaves is a scenario; a missing table's message
// names the folder, and the form goes back to its design width after a
// request laid out before it.
TEST_F(SearchTest, MissingTableLeavesOnlyCancel) {
  Open({"COLIST", "CONO|CONAME", "CONO|CONAME", "N|C", "2|30", "A|B", "600|4000", "0|0"},
       [&] { Press(screen::kKeyEscape); });
  const std::string result = Open({"NOTABLE", "CONO", "CONO", "N", "2", "A", "600", "0"}, [&] {
    EXPECT_EQ(Form().owner.Width(), 4875);
    EXPECT_TRUE(screen::ClickControl(Form().CmdCancel));
  });
  EXPECT_EQ(result, " ");
  EXPECT_TRUE(desktop.errors.empty());
  ASSERT_EQ(desktop.messageBoxes.size(), 1u);  // the box's form is a scenario's
  const std::string& text = desktop.messageBoxes[0].prompt;
  EXPECT_NE(text.find("Error Number: 3078\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("NOTABLE"), std::string::npos) << text;
}

TEST_F(SearchTest, OpenerFailureShowsItsBoxOnceAndGivesBlank) {
  const std::vector<ztSearchMod::IndexKey> fiveKeys(5, {Variant::Integer(1), "CONO"});
  EXPECT_EQ(OpenSearchDialog(folder.Path(), "MAIN", "COLIST", "CONO", "c", "t", "CONO", "N", "2",
                             "A", "600", "0", 1, fiveKeys),
            " ");
  ASSERT_EQ(desktop.messageBoxes.size(), 1u);
  EXPECT_EQ(desktop.messageBoxes[0].prompt, "Error Opening Window ztSearch");
  EXPECT_EQ(desktop.messageBoxes[0].title, "Error: ztSearch");
  EXPECT_EQ(desktop.messageBoxes[0].style, 16);
  EXPECT_TRUE(desktop.modalForms.empty());
}

// The classic texts reach the dialog unchanged through the typed request:
// items missing from a text stay missing (the load shows them as " ", an
// empty item as ""). Seven items fail the load naming the text; a shown column
// without a field name fails it with error 91 instead of reading no field.
TEST_F(SearchTest, ClassicTextsReachTheDialogUnchanged) {
  folder.AddCompanies(1);
  struct Case {
    std::vector<std::string> texts;
    std::vector<std::string> inBox;  // empty: no box
  };
  const Case cases[] = {
      {{"CONO", "CONO|CONAME", "N", "2|30|", "Co. #", "600|4000", "0"}, {}},
      {{"CONO|", "CONO||CONAME", "N||C", "2", "|B|", "600|0|900", ""}, {}},
      {{"CONO", "CONO", "N", "2", "A|B|C|D|E|F|G", "600", "0"},
       {"Error Number: 9\r\n", "\"A|B|C|D|E|F|G\" has more than six items"}},
      {{"CONO|CONAME", "CONO|", "N|C", "2|30", "A|B", "600|4000", "0|0"},
       {"Error Number: 91\r\n", "column 2 is shown but has no field name"}},
  };
  for (const Case& c : cases) {
    desktop.messageBoxes.clear();
    std::vector<std::string> texts = {"COLIST"}, given;
    texts.insert(texts.end(), c.texts.begin(), c.texts.end());
    Open(texts, [&] { given = ColumnTexts(); });
    EXPECT_EQ(given, c.texts) << c.texts[4];
    ASSERT_EQ(desktop.messageBoxes.size(), c.inBox.empty() ? 0u : 1u) << c.texts[4];
    for (const std::string& part : c.inBox) {
      const std::string& text = desktop.messageBoxes[0].prompt;
      EXPECT_NE(text.find(part), std::string::npos) << text;
    }
  }
  // A request built in code may leave out an item between two given ones.
  using ztSearchMod::SearchColumn;
  const std::vector<SearchColumn> columns = {{.header = "A"}, {}, {.header = "C"}, {}};
  EXPECT_EQ(ztSearchMod::JoinColumnItems(columns, &SearchColumn::header), "A||C");
  EXPECT_EQ(ztSearchMod::JoinColumnItems(columns, &SearchColumn::width), "");
}

TEST_F(SearchTest, OneShownColumnSetsTheGridEdge) {
  folder.AddCompanies(2);
  Open({"COLIST", "CONO|CONAME", "CONO|CONAME", "N|C", "2|30", "A|B", "600|0", "0|0"}, [&] {
    auto& f = Form();
    EXPECT_FALSE(f.lblHCOL1.Visible());
    EXPECT_FALSE(f.lblCOL1(0).Visible());
    EXPECT_EQ(f.State().GridRight, 285 + 600 + 10);
    EXPECT_EQ(f.cmdHKBEND.Left(), 285 + 600 + 10);
    EXPECT_EQ(f.hsbMAIN.Left(), 285 + 600 + 30);
    EXPECT_EQ(f.owner.Width(), 255 + 600 + 10 + 600);
  });
}

TEST_F(SearchTest, HiddenColumnFormatsAndNullValues) {
  folder.Exec("INSERT INTO COLIST (CONO, CONAME) VALUES (0, NULL), (7, 'Seven');");
  Open(
      {"COLIST", "CONO", "CONO|CONAME|CONO", "N|C|N00", "2|30|2", "A|B|C", "600|0|600", "1|0|2"},
      [&] {
        auto& f = Form();
        EXPECT_FALSE(f.lblCOL1(0).Visible());
        EXPECT_FALSE(f.lblHCOL1.Visible());
        EXPECT_EQ(f.lblCOL1(0).Caption(), "");  // a hidden cell is never written
        EXPECT_FALSE(f.lblInstructC.Visible());
        // Column 2 starts after the hidden column's (zero) width.
        EXPECT_EQ(f.lblCol2(0).Left(), f.lblCOL1(0).Left() - 15);
        EXPECT_EQ(f.State().GridRight, f.lblCol2(0).Left() + 600 + 10);
        EXPECT_EQ(f.lblCOL0(0).Alignment(), 1);
        EXPECT_EQ(f.lblCol2(0).Alignment(), 2);
        EXPECT_EQ(Row(0), " 0");
        EXPECT_EQ(f.lblCol2(0).Caption(), " ");  // a formatted zero is blank
        EXPECT_EQ(f.lblCol2(1).Caption(), "07");
      },
      {}, 0);
}

// A Null text shows as spaces of its width.
TEST_F(SearchTest, InstructionTextPaddedPathAndOneWorkspacePerLoad) {
  folder.Exec("INSERT INTO COLIST (CONO, CONAME) VALUES (1, NULL);");
  const int before = recordstore::DBEngine::Instance()->WorkspacesCreated();
  Run(
      [&] {
        return OpenSearchDialog("  " + folder.Path() + "  ", "MAIN", "COLIST", "CONO", "c", "t",
                                "CONO", "N", "2", "A", "600", "0", 1, {}, "Pick one.");
      },
      [&] {
        EXPECT_EQ(Form().lblInstructA.Caption(), "Pick one.");
        EXPECT_EQ(Row(0), " 1");
        EXPECT_EQ(recordstore::DBEngine::Instance()->WorkspacesCreated(), before + 1);
      });
  OpenCompanies([&] { EXPECT_EQ(Form().lblCOL1(0).Caption(), " " + std::string(30, ' ')); });
  EXPECT_EQ(recordstore::DBEngine::Instance()->WorkspacesCreated(), before + 2);
}

TEST_F(SearchTest, KeyCountIsTheHighestNonBlankField) {
  folder.AddJobs(1, 3);
  Open(
      {"JOBLIST", "JOBLIST", "JOBNO", "C", "8", "A", "1000", "0"},
      [&] { EXPECT_EQ(Form().StateField("KeyCount")->ToInteger(), 3); },
      {{Variant::Integer(1), "CONO"}, {Variant::Integer(0), ""}, {Variant::Integer(0), "JOBNAME"}});
}

// The period-ending search starts on the row before the first date within
// seven days of today, selected; at the table's first row, or with no date
// that near, on the first row.
TEST_F(SearchTest, PeriodEndingStartAtTheTablesEdges) {
  folder.Exec(
      "INSERT INTO PELIST (PETAG, FEDATE, TDATE, LDATE) VALUES (1, '', 'a', '20240105'),"
      "(2, '', 'b', '20240112'), (3, '', 'c', '20240119');");
  const struct {
    int year, month, day;
    const char* top;
  } cases[] = {{2024, 1, 13, " 20240112"}, {2024, 1, 2, " 20240105"}, {2023, 6, 1, " 20240105"}};
  for (const auto& c : cases) {
    desktop.SetToday(base::DateSerialFromYMD(c.year, c.month, c.day));
    Run([&] { return ztLOOKUP::SearchPeriodEndingDates(folder.Path()); },
        [&] {
          EXPECT_EQ(Row(0), c.top) << c.year << "-" << c.month << "-" << c.day;
          EXPECT_EQ(HighlightedRows(), std::vector<int>{0});
        });
  }
}

}  // namespace
