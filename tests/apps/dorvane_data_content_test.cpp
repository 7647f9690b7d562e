// Tests the data that `dorvane-data init` generates: companies, job numbers in
// their stored form, the lists and the tag counter, and the period-ending
// dates, read back from the files with SQLite.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <regex>
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

TEST(Companies, NumberedFromOneWithDifferentNamesThatFit) {
  TempFolder scratch;
  SqlFile db(MakeFolder(scratch, "d", {"--companies", "99", "--jobs", "99"}));
  EXPECT_EQ(db.Value("SELECT count(*) || ' ' || min(CONO) || ' ' || max(CONO) FROM COLIST"),
            "99 1 99");
  EXPECT_EQ(db.Value("SELECT count(DISTINCT CONAME) FROM COLIST "
                     "WHERE length(CONAME) BETWEEN 1 AND 30"),
            "99");
  EXPECT_EQ(db.Value("SELECT count(*) FROM JOBLIST WHERE CONO NOT IN (SELECT CONO FROM COLIST)"),
            "0");
}

// Job numbers for one width and type: exactly `size` characters, right-aligned
// with leading spaces, decimal (type N) or capitals (type C), unique per company.
struct JobNoCase {
  int size;
  const char* type;
  int jobs;  // over three companies
};

class JobNumbers : public ::testing::TestWithParam<JobNoCase> {};

TEST_P(JobNumbers, AreStoredRightAlignedAndUnique) {
  const JobNoCase c = GetParam();
  TempFolder scratch;
  SqlFile db(MakeFolder(scratch, "d",
                        {"--companies", "3", "--jobs", std::to_string(c.jobs), "--jobno-size",
                         std::to_string(c.size), "--jobno-type", c.type}));
  const std::regex form(std::string(c.type) == "N" ? " *[1-9][0-9]*" : " *[A-Z0-9]+");
  const auto rows = db.Rows("SELECT JOBNO, length(JOBNAME) FROM JOBLIST");
  ASSERT_EQ(rows.size(), static_cast<size_t>(c.jobs));
  for (const auto& row : rows) {
    const std::string& jobNo = row[0];
    ASSERT_EQ(jobNo.size(), static_cast<size_t>(c.size)) << "'" << jobNo << "'";
    ASSERT_TRUE(std::regex_match(jobNo, form)) << "'" << jobNo << "'";
    ASSERT_NE(jobNo.back(), ' ');
    ASSERT_LE(std::stoi(row[1]), 50);
  }
  EXPECT_EQ(db.Value("SELECT count(*) FROM (SELECT DISTINCT CONO, upper(JOBNO) FROM JOBLIST)"),
            std::to_string(c.jobs));
}

INSTANTIATE_TEST_SUITE_P(SizesAndTypes, JobNumbers,
                         ::testing::Values(JobNoCase{4, "N", 2000}, JobNoCase{4, "C", 2000},
                                           JobNoCase{8, "N", 2000}, JobNoCase{8, "C", 2000},
                                           JobNoCase{1, "C", 60}, JobNoCase{2, "N", 120}));

TEST(JobSpread, BigCompanyGetsItsShareAndTheRestIsShared) {
  TempFolder scratch;
  SqlFile db(MakeFolder(scratch, "d",
                        {"--companies", "4", "--jobs", "200600", "--big-company", "3:200000",
                         "--jobno-type", "N", "--list", "0", "--saved", "0"}));
  EXPECT_EQ(db.Dump("SELECT CONO, count(*) > 0 FROM JOBLIST GROUP BY CONO"),
            "1|1|\n2|1|\n3|1|\n4|1|\n");
  EXPECT_EQ(db.Value("SELECT count(*) FROM JOBLIST WHERE CONO = 3"), "200000");
  EXPECT_EQ(db.Value("SELECT count(*) FROM JOBLIST"), "200600");
}

TEST(Lists, WorkingListAndSavedListsReferToExistingJobs) {
  TempFolder scratch;
  SqlFile db(MakeFolder(scratch, "d", {"--list", "9", "--saved", "5"}));
  EXPECT_EQ(db.Value("SELECT count(*) FROM TJLIST"), "9");
  EXPECT_EQ(db.Value("SELECT count(*) FROM (SELECT DISTINCT CONO, JOBNO FROM TJLIST)"), "9");
  for (const char* table : {"TJLIST", "TJLITEMS"}) {
    EXPECT_EQ(db.Value(std::string("SELECT count(*) FROM ") + table +
                       " t WHERE NOT EXISTS (SELECT 1 FROM JOBLIST j "
                       "WHERE j.CONO = t.CONO AND j.JOBNO = t.JOBNO)"),
              "0")
        << table;
  }
  EXPECT_EQ(
      db.Value("SELECT group_concat(TJLTAG) FROM (SELECT TJLTAG FROM TJLGROUPS ORDER BY TJLTAG)"),
      "1,2,3,4,5");
  EXPECT_EQ(db.Value("SELECT count(DISTINCT TJLNAME) FROM TJLGROUPS "
                     "WHERE length(TJLNAME) BETWEEN 1 AND 50"),
            "5");
  EXPECT_EQ(db.Value("SELECT count(*) FROM TJLITEMS WHERE TJLTAG NOT IN "
                     "(SELECT TJLTAG FROM TJLGROUPS)"),
            "0");
  EXPECT_EQ(db.Dump("SELECT TJLTAG FROM SYSTAGS"), "6|\n");
  // The working list carries the tag of the saved list it is a copy of.
  const std::string tag = db.Value("SELECT DISTINCT TJLTAG FROM TJLIST");
  ASSERT_NE(tag, "0");
  EXPECT_EQ(
      db.Dump("SELECT CONO, JOBNO FROM TJLIST ORDER BY CONO, JOBNO"),
      db.Dump("SELECT CONO, JOBNO FROM TJLITEMS WHERE TJLTAG = " + tag + " ORDER BY CONO, JOBNO"));
}

TEST(Lists, WithoutSavedListsTheWorkingListIsNew) {
  TempFolder scratch;
  SqlFile db(MakeFolder(scratch, "d", {"--list", "3", "--saved", "0"}));
  EXPECT_EQ(db.Dump("SELECT TJLTAG, count(*) FROM TJLIST GROUP BY TJLTAG"), "0|3|\n");
  EXPECT_EQ(db.Value("SELECT count(*) FROM TJLGROUPS"), "0");
  EXPECT_EQ(db.Dump("SELECT TJLTAG FROM SYSTAGS"), "1|\n");
}

TEST(Lists, AListAsLongAsTheJobTableHoldsEveryJob) {
  TempFolder scratch;
  SqlFile db(MakeFolder(scratch, "d", {"--companies", "2", "--jobs", "40", "--list", "40"}));
  EXPECT_EQ(db.Value("SELECT count(*) FROM (SELECT DISTINCT CONO, JOBNO FROM TJLIST)"), "40");
}

// Returns the date of a "yyyymmdd" text.
year_month_day FromKey(const std::string& key) {
  return year_month_day{year(std::stoi(key.substr(0, 4))),
                        month(static_cast<unsigned>(std::stoi(key.substr(4, 2)))),
                        day(static_cast<unsigned>(std::stoi(key.substr(6, 2))))};
}

TEST(PeriodEndings, WeeklyFridaysWhoseThreeTextsAgree) {
  TempFolder scratch;
  SqlFile db(MakeFolder(scratch, "d", {"--weeks", "60", "--today", "2024-02-27"}));
  const auto rows = db.Rows("SELECT PETAG, FEDATE, TDATE, LDATE FROM PELIST ORDER BY LDATE");
  ASSERT_EQ(rows.size(), 60u);
  const char* months[] = {"January", "February", "March",     "April",   "May",      "June",
                          "July",    "August",   "September", "October", "November", "December"};
  for (size_t i = 0; i < rows.size(); ++i) {
    const year_month_day date = FromKey(rows[i][3]);
    ASSERT_TRUE(date.ok()) << rows[i][3];
    EXPECT_EQ(rows[i][0], std::to_string(i + 1));
    char entry[16];
    std::snprintf(entry, sizeof entry, "%02u/%02u/%04d", static_cast<unsigned>(date.month()),
                  static_cast<unsigned>(date.day()), static_cast<int>(date.year()));
    EXPECT_EQ(rows[i][1], entry);
    EXPECT_EQ(rows[i][2], std::string("Friday, ") +
                              months[static_cast<unsigned>(date.month()) - 1] + " " +
                              std::to_string(static_cast<unsigned>(date.day())) + ", " +
                              std::to_string(static_cast<int>(date.year())));
    EXPECT_EQ(weekday(sys_days(date)), Friday);
    if (i > 0) {
      EXPECT_EQ(sys_days(date) - sys_days(FromKey(rows[i - 1][3])), days(7));
    }
  }
  // The first Friday at least eight weeks after Tuesday 27 February 2024 (a leap year).
  EXPECT_EQ(rows.back()[3], "20240426");
}

TEST(PeriodEndings, ReachPastTheMachinesToday) {
  TempFolder scratch;
  SqlFile db(MakeFolder(scratch, "d", {"--weeks", "3"}));
  const sys_days today = floor<days>(system_clock::now());
  const sys_days last = sys_days(FromKey(db.Value("SELECT max(LDATE) FROM PELIST")));
  // One day of slack either way for the local time zone.
  EXPECT_GE(last - today, days(55));
  EXPECT_LE(last - today, days(63));
}

}  // namespace
}  // namespace datatool
