// The list page seen as a user sees it: long random runs of the navigation
// and delete keys on a list of thirteen records, checked after every key
// against the table itself (the four rows always show consecutive records in
// company and job order, then the end marker, and the highlight sits where a
// user expects it), and the order of the moves after the connection was
// reopened. Scenario scripts cover the single cases; these cover sequences.
#include <random>
#include <utility>
#include <vector>

#include "control_fixture.h"

namespace {

constexpr uint32_t kYellow = 0x0000FFFF;

// One TJLIST record as the page shows it: company and job number captions.
using ListItem = std::pair<std::string, std::string>;

class ListPageTest : public ControlTest {
 protected:
  // The working list in the page's order, read with SQLite.
  std::vector<ListItem> TableList() {
    std::vector<ListItem> items;
    for (const auto& row : testsupport::SqlFile(data + "/MAIN.MDB", SQLITE_OPEN_READONLY)
                               .Rows("SELECT CAST(CONO AS TEXT), JOBNO FROM TJLIST ORDER BY CONO, "
                                     "JOBNO COLLATE NOCASE, rowid")) {
      items.emplace_back(row[0], row[1]);
    }
    return items;
  }

  ListItem RowItem(int row) { return {Caption("lblCONO", row), Caption("lblJOBNO", row)}; }

  // Checks the page against the table and returns the position in the list
  // of the highlighted record (the list's size for the end marker, -1 for an
  // empty list).
  int CheckPage() {
    const std::vector<ListItem> list = TableList();
    int highlighted = -1;
    for (int row = 0; row < 4; ++row) {
      if (Child("lblJOBNO", row).BackColor() == kYellow) {
        EXPECT_EQ(highlighted, -1) << "two rows highlighted";
        highlighted = row;
      }
    }
    EXPECT_EQ(std::to_string(highlighted), State("CurrentRow"));
    if (list.empty()) {
      EXPECT_EQ(Caption("lblJOBNAME", 0), "List is Empty");
      EXPECT_EQ(highlighted, 0);
      return -1;
    }
    size_t top = 0;
    while (top < list.size() && list[top] != RowItem(0)) ++top;
    EXPECT_LT(top, list.size()) << "row 0 shows no record of the list";
    for (size_t row = 0; row < 4; ++row) {
      const size_t at = top + row;
      if (at < list.size()) {
        EXPECT_EQ(RowItem(static_cast<int>(row)), list[at]) << "row " << row;
      } else if (at == list.size()) {
        EXPECT_EQ(Caption("lblJOBNAME", static_cast<int>(row)), "End of List");
      } else {
        EXPECT_EQ(Caption("lblJOBNAME", static_cast<int>(row)), " ") << "row " << row;
      }
    }
    return static_cast<int>(top) + highlighted;
  }

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
  ASSERT_EQ(TableList().size(), 13u);
  const int16_t keys[] = {screen::kKeyDown,  screen::kKeyUp,     screen::kKeyHome,
                          screen::kKeyEnd,   screen::kKeyPageUp, screen::kKeyPageDown,
                          screen::kKeyDown,  screen::kKeyDown,   screen::kKeyPageDown,
                          screen::kKeyRight, screen::kKeyLeft,   screen::kKeyDelete};
  std::mt19937 random(7);
  int at = CheckPage();
  ASSERT_EQ(at, 0);
  for (int step = 0; step < 400 && at >= 0; ++step) {
    const int16_t key = keys[random() % std::size(keys)];
    if (key == screen::kKeyDelete && random() % 4 != 0) continue;  // keep the list a while
    const int16_t move = key == screen::kKeyRight  ? screen::kKeyDown
                         : key == screen::kKeyLeft ? screen::kKeyUp
                                                   : key;
    const int n = static_cast<int>(TableList().size());
    const int expected = Expected(move, at, n);
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
