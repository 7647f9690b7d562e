// Setting PathText: the connection to MAIN.MDB, the job-number settings, the
// "wqHalvine.ocx Error" report and the working list shown afterwards.
#include "control_fixture.h"

namespace {

using ConnectionTest = ControlTest;

TEST_F(ConnectionTest, OpensTheFolderReadsTheSettingsAndShowsTheWorkingList) {
  const std::string data = MakeFolder("data");
  const int before = Workspaces();
  control->SetPathText(data);
  EXPECT_TRUE(desktop.messageBoxes.empty());
  // wksMAIN plus one workspace for each settings reader.
  EXPECT_EQ(Workspaces(), before + 3);
  EXPECT_EQ(State("ConnectionReady"), "True");
  EXPECT_EQ(State("ReopenNeeded"), "False");
  EXPECT_EQ(State("JobNoSize"), "8");
  EXPECT_EQ(State("JobNoType"), "C");
  EXPECT_EQ(Caption("lblCONO", 0), "1");
  EXPECT_EQ(Caption("lblJOBNO", 0), "   JK993");
  EXPECT_EQ(Caption("lblCONO", 3), "8");
  EXPECT_EQ(Caption("lblTJLNAME"), "Spring start-ups");
  EXPECT_EQ(State("CurrentTJLTAG"), "2");
  EXPECT_EQ(Child("lblJOBNAME", 0).BackColor(), 0x0000FFFFu);
  EXPECT_EQ(Child("lblJOBNAME", 1).BackColor(), 0x00FFFFFFu);
  for (const char* name : {"cmdUpdate", "CmdCancel", "btnCOSearch", "btnJOBSearch", "txtTJLNAME",
                           "txtCONO", "txtJOBNO", "lblDJOBNAME"}) {
    EXPECT_FALSE(Child(name).Visible()) << name;
  }
}

TEST_F(ConnectionTest, AFolderWithoutMainShowsOneReportAndLeavesTheListAsDesigned) {
  control->SetPathText(root.File("nowhere"));
  ASSERT_EQ(desktop.messageBoxes.size(), 1u);
  EXPECT_EQ(desktop.messageBoxes[0].title, "wqHalvine.ocx Error");
  EXPECT_EQ(desktop.messageBoxes[0].style, 16);
  EXPECT_EQ(desktop.messageBoxes[0].prompt.rfind("3024 ", 0), 0u) << desktop.messageBoxes[0].prompt;
  EXPECT_EQ(State("ConnectionReady"), "False");
  EXPECT_EQ(Caption("lblJOBNAME", 0), "");
  EXPECT_EQ(Caption("lblTJLNAME"), "");
}

TEST_F(ConnectionTest, AMissingTableIsReportedAndTheTablesOpenedBeforeItStayInUse) {
  const std::string data = MakeFolder("data");
  Exec(data, "MAIN.MDB", "DROP TABLE PELIST");
  control->SetPathText(data);
  ASSERT_EQ(desktop.messageBoxes.size(), 1u);
  EXPECT_EQ(desktop.messageBoxes[0].title, "wqHalvine.ocx Error");
  EXPECT_EQ(State("ConnectionReady"), "False");
  EXPECT_EQ(Caption("lblTJLNAME"), "Spring start-ups");
}

TEST_F(ConnectionTest, MissingSettingsFileGivesItsMessageThenTheZeroReport) {
  const std::string data = MakeFolder("data", {"--no-qrlsys"});
  control->SetPathText(data);
  ASSERT_EQ(desktop.messageBoxes.size(), 2u);
  EXPECT_EQ(desktop.messageBoxes[0].title, "Database Missing.");
  EXPECT_EQ(desktop.messageBoxes[1].title, "wqHalvine.ocx Error");
  EXPECT_EQ(desktop.messageBoxes[1].prompt, "0 ");
  EXPECT_EQ(State("ConnectionReady"), "False");
  EXPECT_EQ(State("JobNoSize"), "0");
  EXPECT_EQ(State("JobNoType"), "");
  EXPECT_EQ(Caption("lblCONO", 0), "1");  // the list is loaded all the same
}

TEST_F(ConnectionTest, AStoredWidthBelowOneIsReportedWithoutReadingTheType) {
  const std::string data = MakeFolder("data");
  Exec(data, "QRLSYS.mdb", "UPDATE SYSSETTINGS SET JOBNOSIZE = 0, JOBNOTYPE = 'N'");
  control->SetPathText(data);
  ASSERT_EQ(desktop.messageBoxes.size(), 1u);
  EXPECT_EQ(desktop.messageBoxes[0].prompt, "0 ");
  EXPECT_EQ(State("JobNoType"), "");
}

TEST_F(ConnectionTest, NoSettingsRowUsesTheDefaults) {
  const std::string data = MakeFolder("data", {"--no-settings"});
  control->SetPathText(data);
  ASSERT_EQ(desktop.messageBoxes.size(), 2u);  // one per settings reader
  EXPECT_EQ(desktop.messageBoxes[0].title, "No Settings Found");
  EXPECT_EQ(State("JobNoSize"), "8");
  EXPECT_EQ(State("JobNoType"), "C");
  EXPECT_EQ(State("ConnectionReady"), "True");
}

TEST_F(ConnectionTest, ShortEmptyAndUnnamedListsShowTheirMarkers) {
  const std::string data = MakeFolder("data");
  Exec(data, "MAIN.MDB", "DELETE FROM TJLIST WHERE rowid > 2");
  Exec(data, "MAIN.MDB", "UPDATE TJLIST SET TJLTAG = 9, JOBNO = '   NOJOB' WHERE rowid = 2");
  control->SetPathText(data);
  EXPECT_EQ(Caption("lblJOBNAME", 1), std::string(30, '?'));
  EXPECT_EQ(Caption("lblJOBNAME", 2), "End of List");
  EXPECT_EQ(Caption("lblJOBNAME", 3), " ");
  EXPECT_EQ(Caption("lblTJLNAME"), "Cannot Find List Identifier in List Table");

  Exec(data, "MAIN.MDB", "DELETE FROM TJLIST");
  control->SetPathText(data);
  EXPECT_EQ(Caption("lblJOBNAME", 0), "List is Empty");
  EXPECT_EQ(Child("lblJOBNAME", 0).BackColor(), 0x0000FFFFu);
  EXPECT_EQ(Caption("lblJOBNAME", 2), " ");
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
