// The list page seen as a user sees it: long random runs of the navigation
// and delete keys on a list of thirteen records, checked after every key
// against the table itself (the four rows always show consecutive records in
// company and job order, then the end marker, and the highlight sits where a
// user expects it), and the order of the moves after the connection was
// reopened. Scenario scripts cover the single cases; these cover sequences.
#include <random>

#include "control_fixture.h"

namespace {

class ListPageTest : public ControlTest {
 protected:
  // Checks the page against the working list, read with SQLite in the page's
  // order, and notes the list's size.
  int CheckPage() {
    const std::vector<std::string> list =
        testsupport::SqlFile(data + "/MAIN.MDB", SQLITE_OPEN_READONLY)
            .Lines("SELECT CONO, JOBNO FROM TJLIST ORDER BY CONO, JOBNO COLLATE NOCASE, rowid");
    listSize = static_cast<int>(list.size());
    return ControlTest::CheckPage(list);
  }

  int listSize = 0;
  std::string data;
};

// Where a key leaves the highlight, as the user sees it, from position `at`
// in a list of n records (n stands for the end marker).
int Expected(int16_t key, int at, int n) {
  switch (key) {
    case screen::kKeyDown:
      return std::min(at + 1, n);
    case screen::kKeyUp:
      return at == n ? n - 1 : std::max(at - 1, 0);
    case screen::kKeyHome:
      return 0;
    case screen::kKeyEnd:
      return n - 1;
    case screen::kKeyPageDown:
      return at == n ? n : std::min(at + 3, n - 1);
    case screen::kKeyPageUp:
      return std::max((at == n ? n - 1 : at) - 3, 0);
    default:  // Delete: the next record moves up, or the previous is taken
      return at == n ? n : std::min(at, n - 2);
  }
}

TEST_F(ListPageTest, RandomKeysKeepThePageInStepWithTheTable) {
  data = MakeFolder("data", {"--list", "13", "--today", "2024-03-06"});
  control->SetPathText(data);
  const int16_t keys[] = {screen::kKeyDown,  screen::kKeyUp,     screen::kKeyHome,
                          screen::kKeyEnd,   screen::kKeyPageUp, screen::kKeyPageDown,
                          screen::kKeyDown,  screen::kKeyDown,   screen::kKeyPageDown,
                          screen::kKeyRight, screen::kKeyLeft,   screen::kKeyDelete};
  std::mt19937 random(7);
  int at = CheckPage();
  ASSERT_EQ(listSize, 13);
  ASSERT_EQ(at, 0);
  for (int step = 0; step < 400 && at >= 0; ++step) {
    const int16_t key = keys[random() % std::size(keys)];
    if (key == screen::kKeyDelete && random() % 4 != 0) continue;  // keep the list a while
    const int16_t move = key == screen::kKeyRight  ? screen::kKeyDown
                         : key == screen::kKeyLeft ? screen::kKeyUp
                                                   : key;
    const int expected = Expected(move, at, listSize);
    screen::PressKey(key, 0);
    at = CheckPage();
    if (at < 0) break;  // the last record was deleted
    ASSERT_EQ(at, expected) << "step " << step << " key " << key;
    ASSERT_EQ(FocusName(), "hsbMAIN");
  }
  EXPECT_TRUE(desktop.errors.empty());
}

// A reopen (after a focus loss) gives the control a new TJLIST recordset;
// the moves after it still follow company and job order, not the order in
// which the rows were written.
TEST_F(ListPageTest, MovesAfterAReopenFollowTheListOrder) {
  data = MakeFolder("data", {"--list", "6", "--today", "2024-03-06"});
  Exec(data, "MAIN.MDB", "INSERT INTO TJLIST (TJLTAG, CONO, JOBNO) VALUES (2, 1, '   AA001')");
  control->SetPathText(data);
  ASSERT_EQ(Caption("lblJOBNO", 0), "   AA001");
  screen::FocusHost();
  screen::FocusUserControl();
  const int before = Workspaces();
  screen::PressKey(screen::kKeyReturn, 0);  // edit the first record
  screen::PressKey(screen::kKeyTab, 0);     // its company check reopens the connection
  EXPECT_EQ(Workspaces(), before + 1);
  screen::ClickControl(Child("CmdCancel"));
  screen::PressKey(screen::kKeyDown, 0);
  EXPECT_EQ(CheckPage(), 1);
  screen::PressKey(screen::kKeyPageDown, 0);
  EXPECT_EQ(CheckPage(), 4);
  EXPECT_TRUE(desktop.errors.empty());
}

}  // namespace
