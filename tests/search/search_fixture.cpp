// Test support for the search dialog: the rows added to MAIN.MDB and the
// modal-run fixture. See search_fixture.h.
#include "search_fixture.h"

#include <cstdio>

#include "search/ztLOOKUP_search.h"

void SearchFolder::AddCompanies(int count) const {
  std::string sql = "BEGIN;";
  for (int i = 1; i <= count; ++i) {
    sql += "INSERT INTO COLIST (CONO, CONAME) VALUES (" + std::to_string(i) + ", 'Company " +
           std::to_string(i) + "');";
  }
  Exec(sql + "COMMIT;");
}

void SearchFolder::AddJobs(int cono, int count) const {
  std::string sql = "BEGIN;";
  for (int i = 1; i <= count; ++i) {
    char jobNo[16];
    std::snprintf(jobNo, sizeof jobNo, "   J%04d", i);
    sql += "INSERT INTO JOBLIST (CONO, JOBNO, JOBNAME) VALUES (" + std::to_string(cono) + ", '" +
           jobNo + "', 'Job " + std::to_string(i) + " of " + std::to_string(cono) + "');";
  }
  Exec(sql + "COMMIT;");
}

std::string SearchTest::Run(const std::function<std::string()>& open,
                            const std::function<void()>& during) {
  bool ran = false;
  desktop.QueueModalAction([&] {
    ran = true;
    during();
  });
  const std::string result = open();
  EXPECT_TRUE(ran) << "the dialog was not shown";
  return result;
}

std::string SearchTest::Open(const std::vector<std::string>& t, const std::function<void()>& during,
                             const std::vector<ztSearchMod::IndexKey>& keys, int16_t searchCol) {
  return Run(
      [&] {
        return ztSearchMod::OpenSearchDialog(folder.Path(), "MAIN", t[0], t[1], "c", "t", t[2],
                                             t[3], t[4], t[5], t[6], t[7], searchCol, keys);
      },
      during);
}

std::string SearchTest::OpenCompanies(const std::function<void()>& during) {
  return Run([&] { return ztLOOKUP::SearchCompanyNumbers(folder.Path()); }, during);
}

std::string SearchTest::Row(int r) { return Form().lblCOL0(r).Caption(); }

std::vector<int> SearchTest::HighlightedRows() {
  std::vector<int> rows;
  for (int r = 0; r < frmztSearch::Impl::kRows; ++r) {
    if (Form().lblCOL0(r).BackColor() == frmztSearch::Impl::SelectedRowColor) rows.push_back(r);
  }
  return rows;
}

std::vector<std::string> SearchTest::ColumnTexts() {
  const auto& f = Form();
  return {f.strColIName, f.strColFName, f.strColFType, f.strColFSize,
          f.strColHText, f.strColWidth, f.strColAlign};
}
