// Tests of ShowFormLoadError: the report box's exact text and the hiding of
// every control but timers and the button that closes the form.
#include <gtest/gtest.h>

#include "services/screen/screen.h"
#include "services/ztMSAccess.h"
#include "support/headless_screen.h"

namespace {

using testsupport::BoxRecorder;

TEST(ShowFormLoadError, ShowsTheReportAndLeavesOnlyTheKeepButton) {
  BoxRecorder boxes;
  screen::Form frm("frmztSearch");
  screen::TextBox txtSearch("txtSearch");
  screen::ControlArray<screen::Label> lblCell("lblCell", 3);
  screen::CommandButton cmdSelect("cmdSelect");
  screen::CommandButton CmdCancel("CmdCancel");
  screen::Label tmrShown("tmrShown");
  screen::Label tmrHidden("tmrHidden");
  screen::Label TMRUpper("TMRUpper");  // the prefix is matched with its case
  tmrHidden.SetVisible(false);
  CmdCancel.SetVisible(false);
  frm.Add(txtSearch);
  frm.Add(lblCell);
  frm.Add(cmdSelect);
  frm.Add(CmdCancel);
  frm.Add(tmrShown);
  frm.Add(tmrHidden);
  frm.Add(TMRUpper);

  ztMSAccess::ShowFormLoadError(frm, CmdCancel, "frmztSearch", "3265", "Field XYZ not found");

  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].style, 16);
  EXPECT_EQ(boxes.Boxes()[0].title, "Error Displaying Form");
  EXPECT_EQ(boxes.Boxes()[0].prompt,
            "Error Loading Form: frmztSearch\r\n\r\nError Number: 3265\r\n\r\n"
            "Error Description: Field XYZ not found");
  EXPECT_FALSE(txtSearch.Visible());
  for (int i = 0; i < lblCell.Count(); ++i) EXPECT_FALSE(lblCell(i).Visible());
  EXPECT_FALSE(cmdSelect.Visible());
  EXPECT_FALSE(TMRUpper.Visible());
  EXPECT_TRUE(tmrShown.Visible());
  EXPECT_FALSE(tmrHidden.Visible());
  EXPECT_TRUE(CmdCancel.Visible());
}

}  // namespace
