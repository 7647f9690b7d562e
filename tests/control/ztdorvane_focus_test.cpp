// The control's tab order beyond the scenario scripts: every stop of its
// screen before and after PathText.
#include "control_fixture.h"

namespace {

using FocusTest = ControlTest;

// Tab walks the visible tab stops in TabIndex order; the search, navigation
// and period-ending buttons are not among them. A date box that gets the focus
// starts the date-edit mode, which hides the list buttons, so each walk stops
// there: Shift+Tab walks the rest of the order backwards.
TEST_F(FocusTest, TabFollowsTheDesignOrderAndSkipsWhatPathTextHides) {
  const char* const designed[] = {"CmdAdd",  "CmdEdit",  "CmdDelete", "CmdCancel",
                                  "txtCONO", "txtJOBNO", "txtBPEDATE"};
  for (const char* name : designed) {
    screen::PressKey(screen::kKeyTab, 0);
    EXPECT_EQ(FocusName(), name);
  }
  NewControl();
  const char* const backwards[] = {"cmdNewList",  "cmdRetreiveList", "txtTJLNAME",
                                   "cmdSaveList", "cmdUpdate",       "txtEPEDATE"};
  for (const char* name : backwards) {
    screen::PressKey(screen::kKeyTab, screen::kShiftMask);
    EXPECT_EQ(FocusName(), name);
  }
  NewControl();
  control->SetPathText(MakeFolder("data"));
  const char* const running[] = {"CmdAdd",     "CmdEdit",   "CmdDelete", "txtBPEDATE",
                                 "txtEPEDATE", "cmdUpdate", "CmdCancel", "txtBPEDATE"};
  for (const char* name : running) {
    screen::PressKey(screen::kKeyTab, 0);
    EXPECT_EQ(FocusName(), name);
  }
}

}  // namespace
