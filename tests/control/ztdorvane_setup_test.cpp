// Setting the control up beyond the scenario scripts: a missing table is
// reported, the tables opened before it stay in use, and a step that needs a
// table not opened says why in its error 91; a control made before any desktop
// is installed is refused with a message that names the cure; every tab stop
// of its screen before and after PathText.
#include "control_fixture.h"
#include "support/error_of.h"

namespace {

using ConnectionTest = ControlTest;

TEST_F(ConnectionTest, AMissingTableIsReportedAndTheTablesOpenedBeforeItStayInUse) {
  const std::string data = MakeFolder("data");
  Exec(data, "MAIN.MDB", "DROP TABLE PELIST");
  control->SetPathText(data);
  ASSERT_EQ(desktop.messageBoxes.size(), 1u);
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
  std::string description;
  EXPECT_NE(testsupport::ErrorOf([] { ztDorvane control; }, &description), 0);
  EXPECT_NE(description.find("SetDesktop"), std::string::npos) << description;
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
  auto walk = [&](int16_t shift, const std::vector<std::string>& names) {
    for (const std::string& name : names) {
      screen::PressKey(screen::kKeyTab, shift);
      EXPECT_EQ(FocusName(), name);
    }
  };
  walk(0, {"CmdAdd", "CmdEdit", "CmdDelete", "CmdCancel", "txtCONO", "txtJOBNO", "txtBPEDATE"});
  NewControl();
  walk(screen::kShiftMask,
       {"cmdNewList", "cmdRetreiveList", "txtTJLNAME", "cmdSaveList", "cmdUpdate", "txtEPEDATE"});
  NewControl();
  control->SetPathText(MakeFolder("data"));
  walk(0, {"CmdAdd", "CmdEdit", "CmdDelete", "txtBPEDATE", "txtEPEDATE", "cmdUpdate", "CmdCancel",
           "txtBPEDATE"});
}

}  // namespace
