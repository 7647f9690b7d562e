// The search launchers of ztLOOKUP: thin callers of ztSearchMod's opener with
// the fixed requests of the company, job and period-ending date searches.
// Relies on ztSearchMod and ztBasicSet (the job search title).
#include "search/ztLOOKUP_search.h"

#include <string>

#include "search/ztSearchMod.h"
#include "services/ztBasicSet.h"

namespace ztLOOKUP {

namespace {

// The title of the last search opened, the module's only state.
std::string strSearchTitle;

}  // namespace

std::string SearchCompanyNumbers(const std::string& pathText) {
  strSearchTitle = "Company Numbers";
  return ztSearchMod::OpenSearchDialog(pathText, "MAIN", "COLIST", "CONO|CONAME",
                                       "Search Company Numbers", strSearchTitle, "CONO|CONAME",
                                       "N|C", "2|30", "Co. #|Company Name", "600|4000", "0|0", 1);
}

std::string SearchJobNumbers(const std::string& pathText, int16_t companyNumber) {
  strSearchTitle = "Job Numbers for Company: " + ztBasicSet::RightAlignInteger(companyNumber, 2);
  return ztSearchMod::OpenSearchDialog(pathText, "MAIN", "JOBLIST", "JOBLIST|JOBNAME",
                                       "Search Job Numbers", strSearchTitle, "JOBNO|JOBNAME", "C|C",
                                       "8|50", "Job #|Description", "1000|6000", "0|0", 1,
                                       {{recordstore::Variant::Integer(companyNumber), "CONO"}});
}

std::string SearchPeriodEndingDates(const std::string& pathText) {
  strSearchTitle = "Period Ending Dates";
  return ztSearchMod::OpenSearchDialog(
      pathText, "MAIN", "PELIST", "PELIST", "Search Period Ending Dates", strSearchTitle,
      "LDATE|TDATE", "C|C", "10|30", "yyyymmdd|Period Ending Day", "900|4000", "0|0", 1);
}

}  // namespace ztLOOKUP
