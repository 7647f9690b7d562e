// Entry editing through the keyboard: a run of typed adds, each ended by
// cmdUpdate, landing all over the list, checked against TJLIST (one row
// written per update, with the typed company and the job in its stored form)
// and against the page (the written record highlighted). Single cases and
// the screen an add leaves are scenario scripts.
#include <cctype>
#include <vector>

#include "control_fixture.h"

namespace {

constexpr uint32_t kYellow = 0x0000FFFF;

class EntryEditTest : public ControlTest {
 protected:
  // Rows of a query on MAIN.MDB, each as its columns' texts.
  std::vector<std::vector<std::string>> Query(const std::string& sql) {
    return testsupport::SqlFile(data + "/MAIN.MDB", SQLITE_OPEN_READONLY).Rows(sql);
  }

  // The highlighted row's company and job captions.
  std::pair<std::string, std::string> Highlighted() {
    for (int row = 0; row < 4; ++row) {
      if (Child("lblCONO", row).BackColor() == kYellow) {
        return {Caption("lblCONO", row), Caption("lblJOBNO", row)};
      }
    }
    return {"(none)", "(none)"};
  }

  std::string data;
};

TEST_F(EntryEditTest, EachTypedAddWritesOneRowAndHighlightsIt) {
  data = MakeFolder("data", {"--list", "5", "--today", "2024-03-06"});
  control->SetPathText(data);
  // Every tenth job of JOBLIST, typed short and in small letters.
  const auto jobs = Query("SELECT CONO, JOBNO FROM JOBLIST WHERE rowid % 10 = 3 LIMIT 8");
  ASSERT_EQ(jobs.size(), 8u);
  int count = 5;
  for (const auto& job : jobs) {
    screen::PressKey('A', 0);
    ASSERT_EQ(State("EntryMode"), "A");
    std::string typed = job[1].substr(job[1].find_first_not_of(' '));
    for (char& c : typed) c = static_cast<char>(std::tolower(c));
    Type(job[0] + "\r" + typed + "\r");
    EXPECT_EQ(State("EntryValid"), "True") << job[0] << job[1];
    Type("\r");
    EXPECT_EQ(Query("SELECT count(*) FROM TJLIST")[0][0], std::to_string(++count));
    EXPECT_EQ(Highlighted(), std::make_pair(job[0], job[1]));
    EXPECT_EQ(State("EntryMode"), " ");
    EXPECT_EQ(control->IsListOK(), -1);
  }
  // New rows carry the table's default tag; nothing else was touched.
  EXPECT_EQ(Query("SELECT count(*) FROM TJLIST WHERE TJLTAG = 0")[0][0], "8");
  EXPECT_EQ(Query("SELECT count(*) FROM TJLIST WHERE TJLTAG = 2")[0][0], "5");
  EXPECT_TRUE(desktop.errors.empty());
}

}  // namespace
