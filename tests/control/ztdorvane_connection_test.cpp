// Setting PathText beyond the scenario scripts: a missing table, a stored
// job-number width below one, and a second PathText replacing the connection.
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

TEST_F(ConnectionTest, AStoredWidthBelowOneIsReportedWithoutReadingTheType) {
  const std::string data = MakeFolder("data");
  Exec(data, "QRLSYS.mdb", "UPDATE SYSSETTINGS SET JOBNOSIZE = 0, JOBNOTYPE = 'N'");
  control->SetPathText(data);
  ASSERT_EQ(desktop.messageBoxes.size(), 1u);
  EXPECT_EQ(desktop.messageBoxes[0].prompt, "0 ");
  EXPECT_EQ(State("JobNoType"), "");
}

TEST_F(ConnectionTest, SettingPathTextAgainReplacesTheConnection) {
  const std::string first = MakeFolder("first");
  const std::string second =
      MakeFolder("second", {"--list", "0", "--jobno-size", "6", "--jobno-type", "N"});
  control->SetPathText(first);
  const int before = Workspaces();
  control->SetPathText(second);
  EXPECT_EQ(Workspaces(), before + 3);
  EXPECT_EQ(State("JobNoSize"), "6");
  EXPECT_EQ(State("JobNoType"), "N");
  EXPECT_EQ(Caption("lblJOBNAME", 0), "List is Empty");
  EXPECT_EQ(Caption("lblTJLNAME"), "Spring start-ups");  // CurrentTJLTAG kept by an empty list
}

}  // namespace
