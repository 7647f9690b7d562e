// Setting PathText beyond the scenario scripts: a missing table is reported
// and the tables opened before it stay in use.
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
}

}  // namespace
