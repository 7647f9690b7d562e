// Setting the control up beyond the scenario scripts: a missing table is
// reported, the tables opened before it stay in use, and a step that needs a
// table not opened says why in its error 91; a control made before any desktop
// is installed is refused with a message that names the cure; every tab stop
// of its screen before and after PathText.
#include "control_fixture.h"

namespace {

using ConnectionTest = ControlTest;

TEST_F(ConnectionTest, AMissingTableIsReportedAndTheTablesOpenedBeforeItStayInUse) {
  const std::string data = MakeFolder("data");
  Exec(data, "MAIN.MDB", "DROP TABLE PELIST");
  control->SetPathText(data);
  ASSERT_EQ(desktop.messageBoxes.size(), 1u);
  EXPECT_EQ(desktop.messageBoxes[0].title, "wqHalvine.ocx Error");
  EXPECT_EQ(State("ConnectionReady"), "False");
  EXPECT_EQ(Caption("lblTJLNAME"), "Spring start-ups");
  screen::ClickControl(Child<screen::TextBox>("txtBPEDATE"));
  Type("1/5/01");
  screen::PressKey(screen::kKeyTab, 0);
  ASSERT_EQ(desktop.errors.size(), 1u);
  EXPECT_EQ(desktop.errors[0].Number(), 91);
  EXPECT_NE(desktop.errors[0].Description().find("PELIST of MAIN.MDB is not open: opening "
                                                 "MAIN.MDB failed with error 3078"),
            std::string::npos)
      << desktop.errors[0].Description();
}

TEST(ControlWithoutDesktopTest, IsRefusedAtConstructionWithAClearMessage) {
  screen::SetDesktop(nullptr);
  ASSERT_FALSE(screen::DesktopInstalled());
  try {
    ztDorvane control;
    ADD_FAILURE() << "a control was made without a desktop";
  } catch (const base::RuntimeError& error) {
    EXPECT_NE(error.Description().find("SetDesktop"), std::string::npos) << error.Description();
  }
  screen::HeadlessDesktop desktop;
  screen::Screen window;
  window.SetDesktop(&desktop);
  screen::Screen::Use use(window);
  EXPECT_NO_THROW(ztDorvane());
}

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
