// Fills the data files: rows written in key order, table by table, into a
// target that builds the indexes after the rows.
#include "table_writers.h"

#include <cassert>
#include <map>

#include "dates.h"
#include "names.h"
#include "random.h"

namespace dorvanedata {
namespace {

// Random streams of the writers (the plan uses 2..4).
enum Stream : uint64_t { kCompanyStream = 1, kFirstJobStream = 1000 };

// The stored job numbers of the listed jobs, filled while JOBLIST is written.
using ListedJobs = std::map<JobRef, std::string>;

void WriteCompanies(FileTarget& target, const InitOptions& options) {
  Random random(options.seed, kCompanyStream);
  const std::vector<std::string> names = CompanyNames(random, options.companies);
  auto rows = target.Open("COLIST", {"CONO", "CONAME"});
  for (int cono = 1; cono <= options.companies; ++cono) {
    rows->Add({std::to_string(cono), names[static_cast<size_t>(cono - 1)]});
  }
  rows->Finish();
}

// Writes every company's jobs in (CONO, JOBNO) order and records the stored
// job numbers of the jobs the lists refer to.
void WriteJobs(FileTarget& target, const InitOptions& options, const DataPlan& plan,
               ListedJobs& listed) {
  auto rows = target.Open("JOBLIST", {"CONO", "JOBNO", "JOBNAME"});
  auto nextListed = listed.begin();
  for (size_t c = 0; c < plan.jobsPerCompany.size(); ++c) {
    const int cono = static_cast<int>(c) + 1;
    Random random(options.seed, kFirstJobStream + static_cast<uint64_t>(cono));
    JobNumberRun run(plan.scheme, plan.jobsPerCompany[c], random);
    for (uint64_t index = 0; index < plan.jobsPerCompany[c]; ++index) {
      const std::string jobNo = StoredJobNumber(run.Next(), options.jobNoSize);
      if (nextListed != listed.end() && nextListed->first == JobRef{cono, index}) {
        nextListed->second = jobNo;
        ++nextListed;
      }
      rows->Add({std::to_string(cono), jobNo, JobName(random)});
    }
  }
  rows->Finish();
  assert(nextListed == listed.end());
}

void WritePeriodEndings(FileTarget& target, const InitOptions& options,
                        std::chrono::year_month_day today) {
  auto rows = target.Open("PELIST", {"PETAG", "FEDATE", "TDATE", "LDATE"});
  int64_t tag = 0;
  for (const auto& date : PeriodEndingDates(today, options.weeks)) {
    rows->Add({std::to_string(++tag), EntryDateText(date), DayText(date), KeyDateText(date)});
  }
  rows->Finish();
}

// Adds the rows of one list (TJLTAG, CONO, JOBNO) for TJLIST or TJLITEMS.
void AddListRows(RowWriter& rows, int64_t tag, const std::vector<JobRef>& items,
                 const ListedJobs& listed) {
  for (const JobRef& item : items) {
    rows.Add({std::to_string(tag), std::to_string(item.cono), listed.at(item)});
  }
}

// Writes the saved lists, the working list and the SYSTAGS row that issues
// the next list tag.
void WriteLists(FileTarget& target, const DataPlan& plan, const ListedJobs& listed) {
  auto groups = target.Open("TJLGROUPS", {"TJLTAG", "TJLNAME"});
  for (const SavedList& list : plan.savedLists) groups->Add({std::to_string(list.tag), list.name});
  groups->Finish();
  // Items list by list, in the order a save writes them.
  auto items = target.Open("TJLITEMS", {"TJLTAG", "CONO", "JOBNO"});
  for (const SavedList& list : plan.savedLists) AddListRows(*items, list.tag, list.items, listed);
  items->Finish();
  auto working = target.Open("TJLIST", {"TJLTAG", "CONO", "JOBNO"});
  AddListRows(*working, plan.workingListTag, plan.workingList, listed);
  working->Finish();
  auto tags = target.Open("SYSTAGS", {"TJLTAG"});
  tags->Add({std::to_string(plan.savedLists.size() + 1)});
  tags->Finish();
}

}  // namespace

void WriteMainDatabase(FileTarget& target, const InitOptions& options, const DataPlan& plan,
                       std::chrono::year_month_day today) {
  ListedJobs listed;
  for (const JobRef& item : plan.workingList) listed.emplace(item, std::string());
  for (const SavedList& list : plan.savedLists) {
    for (const JobRef& item : list.items) listed.emplace(item, std::string());
  }

  WriteCompanies(target, options);
  WriteJobs(target, options, plan, listed);
  WritePeriodEndings(target, options, today);
  WriteLists(target, plan, listed);
  target.Finish();
}

void WriteSettingsDatabase(FileTarget& target, const InitOptions& options) {
  if (options.settings) {
    auto rows = target.Open("SYSSETTINGS", {"JOBNOSIZE", "JOBNOTYPE"});
    rows->Add({std::to_string(options.jobNoSize), std::string(1, options.jobNoType)});
    rows->Finish();
  }  // the writer is gone here, before the file closes
  target.Finish();
}

}  // namespace dorvanedata
