// Another workstation changing the shared working list under this control, on
// either engine. After it deletes the record in the page's top row or in the
// highlighted row, the next key works from the nearest record left: Home,
// Down and Page Down move, Add opens its boxes, and Edit of the deleted record
// is refused once with the classic message while the page is drawn again, so
// that the next Edit works. A New List made while the other workstation is
// emptying the list too ends on a new list, whose save writes no other list.
#include <libpq-fe.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "control_fixture.h"
#include "writing_actions.h"

namespace {

// A connection of another workstation held open, so that a transaction of its
// own stays open while the control acts.
class OtherConnection {
 public:
  OtherConnection(bool server, const std::string& source) {
    if (!server) file_ = std::make_unique<testsupport::SqlFile>(source + "/MAIN.MDB");
    pg_.reset(server ? PQconnectdb(source.c_str()) : nullptr);
    if (pg_) Exec("SET search_path TO main");
  }

  void Exec(const std::string& sql) {
    if (file_) return file_->Exec(sql);
    std::unique_ptr<PGresult, decltype(&PQclear)> result(PQexec(pg_.get(), sql.c_str()), &PQclear);
    const ExecStatusType status = PQresultStatus(result.get());
    EXPECT_TRUE(status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK)
        << sql << ": " << PQerrorMessage(pg_.get());
  }

 private:
  std::unique_ptr<testsupport::SqlFile> file_;
  std::unique_ptr<PGconn, decltype(&PQfinish)> pg_{nullptr, &PQfinish};
};

class OtherWorkstationTest : public EngineControlTest {
 protected:
  // A fresh data source made by the data tool (a folder, or a database of the
  // test server) with the control placed anew on it.
  void PlaceOnNewSource(const std::vector<std::string>& options) {
    source = testsupport::MakeDataFolder(NewPlace(), options);
    OpenAfresh(source);
  }

  // Rows of a query on MAIN.MDB run by another workstation, fields joined by "|".
  std::vector<std::string> Other(const std::string& sql) const { return Rows(source, sql); }

  // The working list in the page's order, each record as "company|job".
  std::vector<std::string> List() const {
    return Other("SELECT CONO, JOBNO FROM TJLIST ORDER BY CONO, upper(JOBNO), rowid");
  }

  std::string source;
};

// What the user had highlighted when the other workstation deleted a record
// of the page, which record that was, the key pressed next and where the
// highlight is expected then (a position in the list that is left).
struct AfterDeletion {
  const char* name;
  int downs;     // Down presses before the deletion: the highlighted row
  bool topRow;   // the top row's record was deleted, else the highlighted one
  int16_t key;   // a navigation key, 'A' or 'E'
  int expected;  // the highlighted record's position after the key
};

const AfterDeletion kAfterDeletions[] = {
    {"top and highlighted row, Home", 0, true, screen::kKeyHome, 0},
    {"top and highlighted row, Page Down", 0, true, screen::kKeyPageDown, 3},
    {"top and highlighted row, Add", 0, true, 'A', -1},
    {"top and highlighted row, Edit", 0, true, 'E', 0},
    {"highlighted row, Down", 2, false, screen::kKeyDown, 3},
    {"highlighted row, Page Down", 2, false, screen::kKeyPageDown, 5},
    {"highlighted row, Add", 2, false, 'A', -1},
    {"highlighted row, Edit", 2, false, 'E', 2},
    {"top row, Home", 2, true, screen::kKeyHome, 0},
    {"top row, Page Down", 2, true, screen::kKeyPageDown, 4},
    {"top row, Add", 2, true, 'A', -1},
};

TEST_P(OtherWorkstationTest, TheNextKeyAfterAPageRecordWasDeletedWorksFromTheRecordsLeft) {
  for (const AfterDeletion& c : kAfterDeletions) {
    SCOPED_TRACE(c.name);
    PlaceOnNewSource({"--list", "10", "--today", "2024-03-06"});
    for (int i = 0; i < c.downs; ++i) screen::PressKey(screen::kKeyDown, 0);
    const int row = c.topRow ? 0 : c.downs;
    Other("DELETE FROM TJLIST WHERE CONO = " + Caption("lblCONO", row) + " AND JOBNO = '" +
          Caption("lblJOBNO", row) + "'");
    screen::PressKey(c.key, 0);
    if (c.key == 'A') {
      EXPECT_EQ(State("EntryMode"), "A");
      EXPECT_TRUE(Child("txtCONO").Visible());
      EXPECT_EQ(FocusName(), "txtCONO");
      EXPECT_TRUE(desktop.errors.empty());
      continue;
    }
    if (c.key == 'E') {
      // The record to edit is gone: the edit is refused once, with the page
      // drawn again around the record that took its place.
      ASSERT_EQ(desktop.errors.size(), 1u);
      EXPECT_EQ(desktop.errors[0].Number(), 3167);
      EXPECT_EQ(State("EntryMode"), " ");
      EXPECT_EQ(CheckPage(List()), c.expected);
      screen::PressKey('E', 0);
      EXPECT_EQ(State("EntryMode"), "E");
      EXPECT_TRUE(Child("txtJOBNO").Visible());
      const std::string item = List().at(static_cast<size_t>(c.expected));
      EXPECT_EQ(Child<screen::TextBox>("txtJOBNO").Text(), item.substr(item.find('|') + 1));
      EXPECT_EQ(desktop.errors.size(), 1u);
      continue;
    }
    EXPECT_TRUE(desktop.errors.empty());
    EXPECT_EQ(CheckPage(List()), c.expected);
    EXPECT_EQ(FocusName(), "hsbMAIN");
  }
}

TEST_P(OtherWorkstationTest, ANewListWhileAnotherWorkstationEmptiesTheListEndsOnANewList) {
  PlaceOnNewSource({"--today", "2024-03-06"});
  ASSERT_EQ(State("CurrentTJLTAG"), "2");
  // The other workstation's New List is under way: its first row is deleted,
  // not yet committed. It commits once the control waits for it.
  OtherConnection other(OnServer(), source);
  other.Exec(OnServer() ? "BEGIN" : "BEGIN IMMEDIATE");
  other.Exec(
      "DELETE FROM TJLIST WHERE rowid = (SELECT rowid FROM TJLIST ORDER BY CONO, JOBNO "
      "LIMIT 1)");
  std::thread commit([&] {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(4);
    while (OnServer() && std::chrono::steady_clock::now() < until &&
           testsupport::PgRows(source,
                               "SELECT count(*) FROM pg_stat_activity WHERE datname = "
                               "current_database() AND wait_event_type = 'Lock'")[0] == "0") {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!OnServer()) std::this_thread::sleep_for(std::chrono::milliseconds(300));
    other.Exec("COMMIT");
  });
  screen::ClickControl(Child<screen::CommandButton>("cmdNewList"));
  commit.join();
  EXPECT_TRUE(desktop.errors.empty()) << desktop.errors[0].Description();
  EXPECT_EQ(State("CurrentTJLTAG"), "0");
  EXPECT_EQ(Caption("lblTJLNAME"), "New List.");
  EXPECT_EQ(Other("SELECT count(*) FROM TJLIST"), std::vector<std::string>{"0"});

  // Its first save makes a new list; "Spring start-ups" keeps its name.
  const std::string job = Other("SELECT CONO, trim(JOBNO) FROM JOBLIST ORDER BY rowid LIMIT 1")[0];
  screen::PressKey('A', 0);
  Type(job.substr(0, job.find('|')) + "\r" + job.substr(job.find('|') + 1) + "\r\r");
  writingactions::SaveAs(*control, "Night shift");
  EXPECT_EQ(Other("SELECT TJLNAME FROM TJLGROUPS ORDER BY TJLTAG"),
            (std::vector<std::string>{"Payroll check", "Spring start-ups", "Night shift"}));
  EXPECT_TRUE(desktop.errors.empty());
}

RUN_ON_BOTH_ENGINES(OtherWorkstationTest);

}  // namespace
