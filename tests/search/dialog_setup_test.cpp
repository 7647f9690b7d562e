// The search dialog's set-up beyond what the scenario scripts show: a missing
// table (its message names the folder), the opener's own failure, the classic
// texts through the typed request, the alignments and the host's instruction.
// The dialog runs modally on a headless screen with the test's actions inside,
// over a temporary MAIN.MDB the test fills with plain SQL.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "search/frmztSearch_impl.h"
#include "search/ztSearchMod.h"
#include "services/screen/screen.h"
#include "support/data_folder.h"
#include "support/headless_screen.h"

namespace {

using recordstore::Variant;
using ztSearchMod::OpenSearchDialog;

class SearchTest : public testsupport::ToolkitTest {
 protected:
  frmztSearch::Impl& Form() { return frmztSearch::Impl::Of(ztSearchMod::SearchDialog()); }
  // Runs `during` while the dialog is open (it then closes with its close box
  // unless the actions closed it) and returns the opener's result.
  std::string Run(const std::function<std::string()>& open, const std::function<void()>& during) {
    bool ran = false;
    desktop.QueueModalAction([&] {
      ran = true;
      during();
    });
    const std::string result = open();
    EXPECT_TRUE(ran) << "the dialog was not shown";
    return result;
  }
  // Runs `during` in the search of MAIN's table t[0] by the column texts of
  // t (index names, fields, types, sizes, headers, widths, alignments).
  std::string Open(const std::vector<std::string>& t, const std::function<void()>& during) {
    return Run(
        [&] {
          return OpenSearchDialog(folder.Path(), "MAIN", t[0], t[1], "c", "t", t[2], t[3], t[4],
                                  t[5], t[6], t[7], 1, {});
        },
        during);
  }

  const testsupport::DataFolder folder{"MAIN.MDB"};
};

// The screen a failed load leaves is a scenario; a missing table's message
// names the folder, and the form goes back to its design width after a
// request laid out before it.
TEST_F(SearchTest, MissingTableLeavesOnlyCancel) {
  Open({"COLIST", "CONO|CONAME", "CONO|CONAME", "N|C", "2|30", "A|B", "600|4000", "0|0"},
       [&] { screen::PressKey(screen::kKeyEscape, 0); });
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
  folder.Exec("MAIN.MDB", "INSERT INTO COLIST (CONO, CONAME) VALUES (1, 'Company 1')");
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
    Open(texts, [&] {
      const auto& f = Form();
      given = {f.strColIName, f.strColFName, f.strColFType, f.strColFSize,
               f.strColHText, f.strColWidth, f.strColAlign};
    });
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

// The alignments reach the cells, an instruction given by the host replaces
// the load's own, and a padded path is trimmed.
TEST_F(SearchTest, AlignmentsAndTheHostsInstruction) {
  Run(
      [&] {
        return OpenSearchDialog("  " + folder.Path() + "  ", "MAIN", "COLIST", "CONO", "c", "t",
                                "CONO|CONAME|CONO", "N|C|N00", "2|30|2", "A|B|C", "600|0|600",
                                "1|0|2", 0, {}, "Pick one.");
      },
      [&] {
        EXPECT_EQ(Form().lblInstructA.Caption(), "Pick one.");
        EXPECT_EQ(Form().lblCOL0(0).Alignment(), 1);
        EXPECT_EQ(Form().lblCol2(0).Alignment(), 2);
      });
}

}  // namespace
