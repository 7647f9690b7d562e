// The three ztLOOKUP launchers as the dialog shows them (caption, title with
// the company number right-aligned in two and never cut, headers, search
// column, the column texts their requests give), a request with one shown
// column, and two page moves that must change nothing: Up on the range's
// first row and a click on the highlighted row.
#include <string>

#include "search/ztLOOKUP_search.h"
#include "search_fixture.h"

namespace {

// The header captions and the search state the launcher left on the form.
struct Shown {
  std::string caption, title, header0, header1, index, type;
  int16_t limit = 0, keyCount = 0;
  std::vector<std::string> texts;  // the column texts the request gave
};

class LauncherTest : public SearchTest {
 protected:
  Shown ShownBy(const std::function<std::string()>& open) {
    Shown shown;
    Run(open, [&] {
      auto& f = Form();
      shown = {f.owner.Caption(),         f.lblSearchTitle.Caption(), f.lblHCOL0.Caption(),
               f.lblHCOL1.Caption(),      f.State().SearchIndexName,  f.State().SearchColumnType,
               f.State().SearchTextLimit, f.State().KeyCount,         ColumnTexts()};
    });
    return shown;
  }
};

TEST_F(LauncherTest, JobTitleRightAlignsTheCompanyNumberInTwoAndNeverCuts) {
  for (int cono : {5, 12, 123}) folder.AddJobs(cono, 1);
  const std::string path = folder.Path();
  const Shown five = ShownBy([&] { return ztLOOKUP::SearchJobNumbers(path, 5); });
  EXPECT_EQ(five.title, "Job Numbers for Company:  5");
  EXPECT_EQ(ShownBy([&] { return ztLOOKUP::SearchJobNumbers(path, 12); }).title,
            "Job Numbers for Company: 12");
  EXPECT_EQ(ShownBy([&] { return ztLOOKUP::SearchJobNumbers(path, 123); }).title,
            "Job Numbers for Company: 123");
  EXPECT_EQ(five.caption, "Search Job Numbers");
  EXPECT_EQ(five.header0, " Job #");
  EXPECT_EQ(five.header1, " Description");
  EXPECT_EQ(five.index, "JOBLIST");
  EXPECT_EQ(five.type, "C");
  EXPECT_EQ(five.limit, 8);
  EXPECT_EQ(five.keyCount, 1);
  EXPECT_EQ(five.texts, (std::vector<std::string>{"JOBLIST|JOBNAME", "JOBNO|JOBNAME", "C|C", "8|50",
                                                  "Job #|Description", "1000|6000", "0|0"}));
}

TEST_F(LauncherTest, CompanyAndPeriodEndingRequests) {
  folder.AddCompanies(1);
  folder.Exec(
      "INSERT INTO PELIST (PETAG, FEDATE, TDATE, LDATE) VALUES (1, '', 'Friday', '20240105');");
  const Shown companies = ShownBy([&] { return ztLOOKUP::SearchCompanyNumbers(folder.Path()); });
  EXPECT_EQ(companies.caption, "Search Company Numbers");
  EXPECT_EQ(companies.title, "Company Numbers");
  EXPECT_EQ(companies.header0, " Co. #");
  EXPECT_EQ(companies.header1, " Company Name");
  EXPECT_EQ(companies.index, "CONO");
  EXPECT_EQ(companies.type, "N");
  EXPECT_EQ(companies.limit, 2);
  EXPECT_EQ(companies.keyCount, 0);
  EXPECT_EQ(companies.texts, (std::vector<std::string>{"CONO|CONAME", "CONO|CONAME", "N|C", "2|30",
                                                       "Co. #|Company Name", "600|4000", "0|0"}));

  const Shown dates = ShownBy([&] { return ztLOOKUP::SearchPeriodEndingDates(folder.Path()); });
  EXPECT_EQ(dates.caption, "Search Period Ending Dates");
  EXPECT_EQ(dates.title, "Period Ending Dates");
  EXPECT_EQ(dates.header0, " yyyymmdd");
  EXPECT_EQ(dates.header1, " Period Ending Day");
  EXPECT_EQ(dates.index, "PELIST");
  EXPECT_EQ(dates.limit, 10);
  // The day's column has no index item at all, not an empty one.
  EXPECT_EQ(dates.texts,
            (std::vector<std::string>{"PELIST", "LDATE|TDATE", "C|C", "10|30",
                                      "yyyymmdd|Period Ending Day", "900|4000", "0|0"}));
}

TEST_F(SearchTest, OneShownColumnSetsTheGridEdge) {
  folder.AddCompanies(2);
  Run(
      [&] {
        return ztSearchMod::OpenSearchDialog(folder.Path(), "MAIN", "COLIST", "CONO|CONAME", "c",
                                             "t", "CONO|CONAME", "N|C", "2|30", "A|B", "600|0",
                                             "0|0", 1);
      },
      [&] {
        auto& f = Form();
        EXPECT_FALSE(f.lblHCOL1.Visible());
        EXPECT_FALSE(f.lblCOL1(0).Visible());
        EXPECT_EQ(f.State().GridRight, 285 + 600 + 10);
        EXPECT_EQ(f.cmdHKBEND.Left(), 285 + 600 + 10);
        EXPECT_EQ(f.hsbMAIN.Left(), 285 + 600 + 30);
        EXPECT_EQ(f.owner.Width(), 255 + 600 + 10 + 600);
      });
}

TEST_F(SearchTest, UpOnTheFirstRowAndAClickOnTheHighlightChangeNothing) {
  folder.AddCompanies(3);
  const std::string chosen = OpenCompanies([&] {
    Press(screen::kKeyUp);
    EXPECT_EQ(Row(0), " 1");
    EXPECT_EQ(Row(1), " 2");
    EXPECT_EQ(HighlightedRows(), std::vector<int>{0});
    Press(screen::kKeyDown);
    EXPECT_TRUE(screen::ClickControl(Form().lblCOL1(1)));
    EXPECT_EQ(HighlightedRows(), std::vector<int>{1});
    EXPECT_EQ(Form().State().CurrentRow, 1);
    Press(screen::kKeyReturn);
  });
  EXPECT_EQ(ChosenField("COLIST", chosen, "CONO").ToInteger(), 2);
}

}  // namespace
