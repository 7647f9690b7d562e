// Setting PathText beyond the scenario scripts: a missing table is reported,
// the tables opened before it stay in use, and a step that needs a table not
// opened says why in its error 91.
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

}  // namespace
