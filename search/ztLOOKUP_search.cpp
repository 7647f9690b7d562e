// The search launchers of ztLOOKUP: thin callers of ztSearchMod's opener with
// the fixed requests of the company, job and period-ending date searches, two
// columns each. Relies on ztSearchMod and ztBasicSet (the job search title).
#include "search/ztLOOKUP_search.h"

#include <string>

#include "search/ztSearchMod.h"
#include "services/ztBasicSet.h"

namespace ztLOOKUP {

namespace {

// The title of the last search opened, the module's only state; one per
// thread, as each thread runs sessions of its own.
thread_local std::string strSearchTitle;

}  // namespace

std::string SearchCompanyNumbers(const std::string& pathText) {
  strSearchTitle = "Company Numbers";
  ztSearchMod::SearchRequest request{.pathText = pathText,
                                     .dbName = "MAIN",
                                     .tableName = "COLIST",
                                     .caption = "Search Company Numbers",
                                     .searchTitle = strSearchTitle,
                                     .searchCol = 1};
  request.columns = {
      {.indexName = "CONO",
       .fieldName = "CONO",
       .type = "N",
       .size = "2",
       .header = "Co. #",
       .width = "600",
       .align = "0"},
      {.indexName = "CONAME",
       .fieldName = "CONAME",
       .type = "C",
       .size = "30",
       .header = "Company Name",
       .width = "4000",
       .align = "0"},
  };
  return ztSearchMod::OpenSearch(request);
}

std::string SearchJobNumbers(const std::string& pathText, int16_t companyNumber) {
  strSearchTitle = "Job Numbers for Company: " + ztBasicSet::RightAlignInteger(companyNumber, 2);
  ztSearchMod::SearchRequest request{.pathText = pathText,
                                     .dbName = "MAIN",
                                     .tableName = "JOBLIST",
                                     .caption = "Search Job Numbers",
                                     .searchTitle = strSearchTitle,
                                     .searchCol = 1};
  request.columns = {
      {.indexName = "JOBLIST",
       .fieldName = "JOBNO",
       .type = "C",
       .size = "8",
       .header = "Job #",
       .width = "1000",
       .align = "0"},
      {.indexName = "JOBNAME",
       .fieldName = "JOBNAME",
       .type = "C",
       .size = "50",
       .header = "Description",
       .width = "6000",
       .align = "0"},
  };
  request.keys = {{recordstore::Variant::Integer(companyNumber), "CONO"}};
  return ztSearchMod::OpenSearch(request);
}

// The dates are searched by their key only: the day's name offers no search.
std::string SearchPeriodEndingDates(const std::string& pathText) {
  strSearchTitle = "Period Ending Dates";
  ztSearchMod::SearchRequest request{.pathText = pathText,
                                     .dbName = "MAIN",
                                     .tableName = "PELIST",
                                     .caption = "Search Period Ending Dates",
                                     .searchTitle = strSearchTitle,
                                     .searchCol = 1,
                                     .periodEndingStart = true};
  request.columns = {
      {.indexName = "PELIST",
       .fieldName = "LDATE",
       .type = "C",
       .size = "10",
       .header = "yyyymmdd",
       .width = "900",
       .align = "0"},
      {.fieldName = "TDATE",
       .type = "C",
       .size = "30",
       .header = "Period Ending Day",
       .width = "4000",
       .align = "0"},
  };
  return ztSearchMod::OpenSearch(request);
}

}  // namespace ztLOOKUP
