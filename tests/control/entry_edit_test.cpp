// Entry editing through the keyboard: a run of typed adds, each ended by
// cmdUpdate, landing all over the list, checked against TJLIST (one row
// written per update, with the typed company and the job in its stored form)
// and against the page (the written record highlighted), and the state the
// edit mode leaves when it ends. Single cases are scenario scripts.
#include <cctype>
#include <vector>

#include "control_fixture.h"

namespace {

constexpr uint32_t kYellow = 0x0000FFFF;

struct Job {
  int cono = 0;
  std::string jobno;  // stored form
};

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

  // The company and the job (typed short, in small letters) of a row of
  // JOBLIST, for every tenth job.
  std::vector<Job> SomeJobs() {
    std::vector<Job> jobs;
    for (const auto& row : Query("SELECT CONO, JOBNO FROM JOBLIST WHERE rowid % 10 = 3 LIMIT 8")) {
      jobs.push_back({std::stoi(row[0]), row[1]});
    }
    return jobs;
  }

  std::string data;
};

TEST_F(EntryEditTest, EachTypedAddWritesOneRowAndHighlightsIt) {
  data = MakeFolder("data", {"--list", "5", "--today", "2024-03-06"});
  control->SetPathText(data);
  const std::vector<Job> jobs = SomeJobs();
  ASSERT_EQ(jobs.size(), 8u);
  int count = 5;
  for (const Job& job : jobs) {
    screen::PressKey('A', 0);
    ASSERT_EQ(State("EntryMode"), "A");
    ASSERT_EQ(control->IsListOK(), 0);
    std::string typed = job.jobno.substr(job.jobno.find_first_not_of(' '));
    for (char& c : typed) c = static_cast<char>(std::tolower(c));
    Type(std::to_string(job.cono) + "\r" + typed + "\r");
    EXPECT_EQ(FocusName(), "cmdUpdate");
    EXPECT_EQ(State("EntryValid"), "True") << job.cono << job.jobno;
    Type("\r");
    ++count;
    EXPECT_EQ(Query("SELECT count(*) FROM TJLIST")[0][0], std::to_string(count));
    EXPECT_EQ(Highlighted(), std::make_pair(std::to_string(job.cono), job.jobno));
    EXPECT_EQ(State("EntryMode"), " ");
    EXPECT_EQ(control->IsListOK(), -1);
    EXPECT_EQ(FocusName(), "hsbMAIN");
    EXPECT_FALSE(Child("txtCONO").Visible());
    EXPECT_EQ(Child("txtCONO").Top(), 1740);
    EXPECT_EQ(Child("btnJOBSearch").Top(), 1740);
  }
  // New rows carry the table's default tag; nothing else was touched.
  EXPECT_EQ(Query("SELECT count(*) FROM TJLIST WHERE TJLTAG = 0")[0][0], "8");
  EXPECT_EQ(Query("SELECT count(*) FROM TJLIST WHERE TJLTAG = 2")[0][0], "5");
  EXPECT_TRUE(desktop.errors.empty());
}

}  // namespace
