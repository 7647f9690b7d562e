// The control as a whole: its start-up state and property Gets, the tab order
// of its screen, the focus handlers (enabling the boxes, the focus on
// hsbMAIN), ControlsEnabled, and the reopen on demand after a focus loss.
#include "control_fixture.h"

namespace {

using FocusTest = ControlTest;

TEST_F(FocusTest, AHostThatNeverSetsPathTextReadsTheInitialValues) {
  EXPECT_EQ(control->SelectedBPETAG(), 0);
  EXPECT_EQ(control->SelectedEPETAG(), 0);
  EXPECT_EQ(control->SelectedBPEDATE(), "");
  EXPECT_EQ(control->SelectedEPEDATE(), "");
  EXPECT_EQ(control->IsListOK(), -1);
  EXPECT_EQ(control->ArePEDatesOK(), 0);
  EXPECT_EQ(State("EntryMode"), " ");
  EXPECT_EQ(State("FocusColumn"), "1");
  EXPECT_EQ(State("ReopenNeeded"), "True");
  EXPECT_EQ(State("KeyPreview"), "True");
  EXPECT_FALSE(control->StateField("NoSuchField").has_value());
  EXPECT_EQ(FocusName(), "hsbMAIN");
}

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

TEST_F(FocusTest, RegainingTheFocusEnablesTheBoxesButNotTheButtons) {
  screen::FocusHost();
  control->SetControlsEnabled(false);
  for (const char* name : {"btnCOSearch", "btnJOBSearch", "btnBPESearch", "btnEPESearch",
                           "btnMakeLastFirst", "txtCONO", "txtJOBNO", "txtBPEDATE", "txtEPEDATE"}) {
    EXPECT_FALSE(Child(name).Enabled()) << name;
  }
  EXPECT_TRUE(Child("CmdAdd").Enabled());
  screen::FocusUserControl();
  for (const char* name : {"txtCONO", "txtJOBNO", "txtBPEDATE", "txtEPEDATE", "hsbMAIN"}) {
    EXPECT_TRUE(Child(name).Enabled()) << name;
  }
  for (const char* name :
       {"btnCOSearch", "btnJOBSearch", "btnBPESearch", "btnEPESearch", "btnMakeLastFirst"}) {
    EXPECT_FALSE(Child(name).Enabled()) << name;
  }
  EXPECT_EQ(FocusName(), "hsbMAIN");
  control->SetControlsEnabled(true);
  EXPECT_TRUE(Child("btnMakeLastFirst").Enabled());
}

// After a focus loss the next database step opens a new "wksMAIN" once,
// without reading the settings again.
TEST_F(FocusTest, TheReopenAfterAFocusLossOpensOneWorkspaceAndKeepsTheSettings) {
  const std::string data = MakeFolder("data", {"--no-settings"});
  control->SetPathText(data);
  ASSERT_EQ(desktop.messageBoxes.size(), 2u);
  Exec(data, "QRLSYS.mdb", "INSERT INTO SYSSETTINGS VALUES (5, 'N')");
  const int before = Workspaces();
  ztDorvaneTestAccess::EnsureConnection(*control);
  EXPECT_EQ(Workspaces(), before);  // nothing stale yet
  screen::FocusHost();
  EXPECT_EQ(State("ReopenNeeded"), "True");
  screen::FocusUserControl();
  EXPECT_EQ(Workspaces(), before);  // the focus alone opens nothing
  ztDorvaneTestAccess::EnsureConnection(*control);
  ztDorvaneTestAccess::EnsureConnection(*control);
  EXPECT_EQ(Workspaces(), before + 1);
  EXPECT_EQ(State("ReopenNeeded"), "False");
  EXPECT_EQ(State("ConnectionReady"), "True");
  EXPECT_EQ(State("JobNoSize"), "8");
  EXPECT_EQ(desktop.messageBoxes.size(), 2u);
}

// A modal dialog over the control takes the focus, so it marks the
// connection stale too.
TEST_F(FocusTest, AModalDialogMarksTheConnectionForReopening) {
  control->SetPathText(MakeFolder("data"));
  screen::Form dialog("frmTest");
  screen::HScrollBar holder("hsbTest");
  dialog.Add(holder);
  dialog.ShowModal();  // the headless desktop closes it at once
  EXPECT_EQ(State("ReopenNeeded"), "True");
  EXPECT_EQ(FocusName(), "hsbMAIN");  // back where it was, with no event
}

// Before PathText there is no connection: losing the focus closes nothing and
// the reopen step reports the missing file like any failed open.
TEST_F(FocusTest, FocusLossBeforePathTextIsHarmless) {
  screen::FocusHost();
  screen::FocusUserControl();
  ztDorvaneTestAccess::EnsureConnection(*control);
  ASSERT_EQ(desktop.messageBoxes.size(), 1u);
  EXPECT_EQ(desktop.messageBoxes[0].prompt.rfind("3024 ", 0), 0u);
}

}  // namespace
