// Saved lists when another program holds the lock: a database locked by another program refuses
// the save, the new list and the retrieve without losing anything and leaves the screen usable.
// (A save killed part-way is tested in lists_kill_test.cpp.)
#include <memory>
#include <string>

#include "control_fixture.h"
#include "support/open_table.h"
#include "writing_actions.h"

namespace {

// Another program holds the write lock of MAIN.MDB while the user acts.
class ListsLockTest : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    data = MakeFolder("data", {"--today", "2024-03-06"});
    control->SetPathText(data);
    other = std::make_unique<testsupport::SqlFile>(data + "/MAIN.MDB");
    before = Tables();
  }

  // The four tables that the list buttons write.
  std::string Tables() { return other->DumpTables({"TJLIST", "TJLGROUPS", "TJLITEMS", "SYSTAGS"}); }

  // The one run-time error the host was told of, which must be the lock, and
  // the screen left usable on the same working list.
  void ExpectLockReported() {
    ASSERT_EQ(desktop.errors.size(), 1u);
    EXPECT_EQ(desktop.errors[0].Number(), 3260);
    EXPECT_EQ(FocusName(), "hsbMAIN");
    EXPECT_TRUE(control->KeyPreview());
    EXPECT_EQ(State("IsSavingList"), "False");
    EXPECT_EQ(State("CurrentTJLTAG"), "2");  // the working list is still saved list 2
  }

  testsupport::LockWait wait{100};
  std::string data;
  std::unique_ptr<testsupport::SqlFile> other;
  std::string before;
};

TEST_F(ListsLockTest, ASaveOverALockedFileWritesNothingAndKeepsTheList) {
  screen::ClickControl(Child<screen::CommandButton>("cmdSaveList"));
  Child<screen::TextBox>("txtTJLNAME").SetText("Spring, revised");
  other->Exec("BEGIN IMMEDIATE");  // the other program takes the write lock
  screen::ClickControl(Child<screen::CommandButton>("cmdUpdate"));
  EXPECT_EQ(Tables(), before);
  other->Exec("COMMIT");
  ExpectLockReported();
  EXPECT_EQ(Caption("lblTJLNAME"), "Spring start-ups");
  EXPECT_TRUE(Child("CmdAdd").Visible());
  EXPECT_FALSE(Child("txtTJLNAME").Visible());
  EXPECT_TRUE(desktop.messageBoxes.empty());
  // Once the file is free the same save goes through.
  writingactions::SaveAs(*control, "Spring, revised");
  EXPECT_EQ(Caption("lblTJLNAME"), "Spring, revised");
  EXPECT_NE(Tables(), before);
}

TEST_F(ListsLockTest, NewListAndRetrieveOverALockedFileKeepTheWorkingList) {
  other->Exec("BEGIN IMMEDIATE");  // the other program takes the write lock
  screen::ClickControl(Child<screen::CommandButton>("cmdNewList"));
  EXPECT_EQ(Tables(), before);
  ExpectLockReported();
  EXPECT_EQ(Caption("lblJOBNAME", 0), "Oak Avenue sewer lining");

  desktop.errors.clear();
  desktop.QueueModalAction([] {
    screen::PressKey(screen::kKeyReturn, 0);  // chooses "Payroll check", the first row
  });
  screen::ClickControl(Child<screen::CommandButton>("cmdRetreiveList"));
  EXPECT_EQ(Tables(), before);
  other->Exec("COMMIT");
  ExpectLockReported();
}

}  // namespace
