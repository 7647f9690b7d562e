// Tests the data that `dorvane-data init` generates: companies, job numbers in
// their stored form, the lists and the tag counter, and the period-ending
// dates, read back from the files with SQLite.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "support/programs.h"
#include "support/sql_file.h"
#include "support/temp_folder.h"

namespace datatool {
namespace {

using testsupport::SqlFile;
using testsupport::TempFolder;

using namespace std::chrono;

// Makes a folder with the given init options and returns its MAIN.MDB path.
std::string MakeFolder(const TempFolder& scratch, const std::string& name,
                       const std::vector<std::string>& options) {
  return testsupport::MakeDataFolder(scratch.File(name), options) + "/MAIN.MDB";
}

// Returns the date of a "yyyymmdd" text.
year_month_day FromKey(const std::string& key) {
  return year_month_day{year(std::stoi(key.substr(0, 4))),
                        month(static_cast<unsigned>(std::stoi(key.substr(4, 2)))),
                        day(static_cast<unsigned>(std::stoi(key.substr(6, 2))))};
}

// Companies numbered from one with different names that fit, the big company
// with its share of the jobs; the working list
// a copy of a saved list, with its tag; every list naming existing jobs, every
// item its saved list, the counter past them; the period-ending dates reaching
// past the machine's today.
TEST(Content, CompaniesListsAndDatesHoldTogether) {
  TempFolder scratch;
  SqlFile db(MakeFolder(scratch, "d",
                        {"--companies", "99", "--jobs", "300", "--big-company", "3:200", "--list",
                         "9", "--saved", "5"}));
  EXPECT_EQ(db.Dump("SELECT count(*), min(CONO), max(CONO), count(DISTINCT CONAME), "
                    "max(length(CONAME)) <= 30, min(length(CONAME)) > 0, (SELECT count(*) FROM "
                    "JOBLIST WHERE CONO NOT IN (SELECT CONO FROM COLIST)), (SELECT "
                    "count(*) || ' ' || sum(CONO = 3) FROM JOBLIST) FROM COLIST"),
            "99|1|99|99|1|1|0|300 200|\n");
  EXPECT_EQ(db.Value("SELECT count(*) || ' ' || count(DISTINCT CONO || '|' || JOBNO) FROM TJLIST"),
            "9 9");
  for (const char* table : {"TJLIST", "TJLITEMS"}) {
    EXPECT_EQ(db.Value(std::string("SELECT count(*) FROM ") + table +
                       " t WHERE NOT EXISTS (SELECT 1 FROM JOBLIST j "
                       "WHERE j.CONO = t.CONO AND j.JOBNO = t.JOBNO)"),
              "0")
        << table;
  }
  EXPECT_EQ(db.Dump("SELECT group_concat(TJLTAG), count(DISTINCT TJLNAME), max(length(TJLNAME)) "
                    "<= 50, min(length(TJLNAME)) > 0, (SELECT count(*) FROM TJLITEMS WHERE "
                    "TJLTAG NOT IN (SELECT TJLTAG FROM TJLGROUPS)), (SELECT TJLTAG FROM SYSTAGS) "
                    "FROM (SELECT * FROM TJLGROUPS ORDER BY TJLTAG)"),
            "1,2,3,4,5|5|1|1|0|6|\n");
  const std::string tag = db.Value("SELECT DISTINCT TJLTAG FROM TJLIST");
  ASSERT_NE(tag, "0");
  EXPECT_EQ(
      db.Dump("SELECT CONO, JOBNO FROM TJLIST ORDER BY CONO, JOBNO"),
      db.Dump("SELECT CONO, JOBNO FROM TJLITEMS WHERE TJLTAG = " + tag + " ORDER BY CONO, JOBNO"));
  const sys_days today = floor<days>(system_clock::now());
  const sys_days last = sys_days(FromKey(db.Value("SELECT max(LDATE) FROM PELIST")));
  // One day of slack either way for the local time zone.
  EXPECT_GE(last - today, days(55));
  EXPECT_LE(last - today, days(63));
}

// Job numbers for each width and type: exactly `size` characters,
// right-aligned with leading spaces, decimal (type N) or capitals (type C),
// unique per company.
TEST(JobNumbers, AreStoredRightAlignedAndUnique) {
  const struct {
    int size;
    const char* type;
    int jobs;  // over three companies
  } cases[] = {{4, "N", 2000}, {4, "C", 2000}, {8, "N", 2000},
               {8, "C", 2000}, {1, "C", 60},   {2, "N", 120}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.size) + c.type);
    TempFolder scratch;
    SqlFile db(MakeFolder(scratch, "d",
                          {"--companies", "3", "--jobs", std::to_string(c.jobs), "--jobno-size",
                           std::to_string(c.size), "--jobno-type", c.type}));
    // The job numbers of the wrong width, with blanks but in front, with other
    // characters (or a leading zero) in front of them, or with a name too long.
    const std::string other = std::string(c.type) == "N"
                                  ? "ltrim(JOBNO) GLOB '*[^0-9]*' OR ltrim(JOBNO) GLOB '0*'"
                                  : "ltrim(JOBNO) GLOB '*[^A-Z0-9]*'";
    EXPECT_EQ(db.Lines("SELECT quote(JOBNO) FROM JOBLIST WHERE length(JOBNO) <> " +
                       std::to_string(c.size) + " OR ltrim(JOBNO) = '' OR " + other +
                       " OR JOBNAME IS NULL OR length(JOBNAME) > 50"),
              std::vector<std::string>{});
    EXPECT_EQ(db.Value("SELECT count(*) || ' ' || count(DISTINCT CONO || '|' || upper(JOBNO)) "
                       "FROM JOBLIST"),
              std::to_string(c.jobs) + " " + std::to_string(c.jobs));
  }
}

// Without saved lists the working list is new, here as long as the job table;
// sixty Fridays in a row, numbered in order, each with its entry and text forms
// (the scenarios show the text forms of many).
TEST(ListsAndDates, ANewListOfEveryJobAndWeeklyFridaysWhoseThreeTextsAgree) {
  TempFolder scratch;
  SqlFile db(MakeFolder(scratch, "d",
                        {"--companies", "2", "--jobs", "40", "--list", "40", "--saved", "0",
                         "--weeks", "60", "--today", "2024-02-27"}));
  EXPECT_EQ(db.Dump("SELECT TJLTAG, count(*), count(DISTINCT CONO || '|' || JOBNO), (SELECT "
                    "count(*) FROM TJLGROUPS), (SELECT TJLTAG FROM SYSTAGS) FROM TJLIST GROUP BY "
                    "TJLTAG"),
            "0|40|40|0|1|\n");
  // The last is the first Friday at least eight weeks after Tuesday 27 February
  // 2024 (a leap year); LDATE is unique, so sixty Fridays in that span are all of them.
  EXPECT_EQ(db.Value("SELECT count(*) || ' ' || min(LDATE) || ' ' || max(LDATE) FROM PELIST"),
            "60 20230310 20240426");
  for (const auto& row : db.Rows("SELECT PETAG, FEDATE, TDATE, LDATE, (SELECT count(*) FROM "
                                 "PELIST p WHERE p.LDATE <= PELIST.LDATE) FROM PELIST")) {
    const year_month_day date = FromKey(row[3]);
    ASSERT_TRUE(date.ok()) << row[3];
    EXPECT_EQ(weekday(sys_days(date)), Friday) << row[3];
    EXPECT_EQ(row[0], row[4]) << row[3];
    EXPECT_EQ(row[1], row[3].substr(4, 2) + "/" + row[3].substr(6) + "/" + row[3].substr(0, 4));
    EXPECT_TRUE(row[2].starts_with("Friday, ")) << row[2];
  }
}

}  // namespace
}  // namespace datatool
