// Fills the data files in one transaction each, with the journal off while
// building (the file is new and only this program sees it), rows inserted in
// key order through prepared statements, and the indexes built after the rows.
// The finished file is switched to WAL, the mode the record store shares it in.
#include "table_writers.h"

#include <cassert>
#include <map>

#include "dates.h"
#include "names.h"
#include "random.h"
#include "schema.h"
#include "sqlite_file.h"

namespace dorvanedata {
namespace {

// Random streams of the writers (the plan uses 2..4).
enum Stream : uint64_t { kCompanyStream = 1, kFirstJobStream = 1000 };

// The stored job numbers of the listed jobs, filled while JOBLIST is written.
using ListedJobs = std::map<JobRef, std::string>;

// Opens a new file for a fast build and creates the tables of its section.
FileLayout StartFile(SqliteFile& file, std::string_view section) {
  FileLayout layout = SchemaLayout(SchemaText(), section);
  if (layout.tables.empty()) {
    throw ToolError("the built-in layout has no tables for " + std::string(section));
  }
  file.Exec("PRAGMA journal_mode=OFF");
  file.Exec("PRAGMA synchronous=OFF");
  file.Exec("PRAGMA cache_size=-131072");  // 128 MB for the index builds
  file.Exec("BEGIN");
  for (const std::string& table : layout.tables) file.Exec(table);
  return layout;
}

// Builds the indexes, commits, and leaves the file in WAL mode.
void FinishFile(SqliteFile& file, const FileLayout& layout) {
  for (const std::string& index : layout.indexes) file.Exec(index);
  file.Exec("COMMIT");
  file.UseWal();
  file.Close();
}

void WriteCompanies(SqliteFile& file, const InitOptions& options) {
  Random random(options.seed, kCompanyStream);
  const std::vector<std::string> names = CompanyNames(random, options.companies);
  Statement insert = file.Prepare(R"(INSERT INTO "COLIST" ("CONO", "CONAME") VALUES (?, ?))");
  for (int cono = 1; cono <= options.companies; ++cono) {
    insert.Bind(1, int64_t{cono});
    insert.Bind(2, names[static_cast<size_t>(cono - 1)]);
    insert.Run();
  }
}

// Writes every company's jobs in (CONO, JOBNO) order and records the stored
// job numbers of the jobs the lists refer to.
void WriteJobs(SqliteFile& file, const InitOptions& options, const DataPlan& plan,
               ListedJobs& listed) {
  Statement insert =
      file.Prepare(R"(INSERT INTO "JOBLIST" ("CONO", "JOBNO", "JOBNAME") VALUES (?, ?, ?))");
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
      insert.Bind(1, int64_t{cono});
      insert.Bind(2, jobNo);
      insert.Bind(3, JobName(random));
      insert.Run();
    }
  }
  assert(nextListed == listed.end());
}

void WritePeriodEndings(SqliteFile& file, const InitOptions& options,
                        std::chrono::year_month_day today) {
  Statement insert = file.Prepare(
      R"(INSERT INTO "PELIST" ("PETAG", "FEDATE", "TDATE", "LDATE") VALUES (?, ?, ?, ?))");
  int64_t tag = 0;
  for (const auto& date : PeriodEndingDates(today, options.weeks)) {
    insert.Bind(1, ++tag);
    insert.Bind(2, EntryDateText(date));
    insert.Bind(3, DayText(date));
    insert.Bind(4, KeyDateText(date));
    insert.Run();
  }
}

// Writes the rows of one list (TJLTAG, CONO, JOBNO) into TJLIST or TJLITEMS.
void WriteListRows(SqliteFile& file, const char* table, int64_t tag,
                   const std::vector<JobRef>& items, const ListedJobs& listed) {
  Statement insert = file.Prepare(std::string("INSERT INTO \"") + table +
                                  R"(" ("TJLTAG", "CONO", "JOBNO") VALUES (?, ?, ?))");
  for (const JobRef& item : items) {
    insert.Bind(1, tag);
    insert.Bind(2, int64_t{item.cono});
    insert.Bind(3, listed.at(item));
    insert.Run();
  }
}

// Writes the saved lists, the working list and the SYSTAGS row that issues
// the next list tag.
void WriteLists(SqliteFile& file, const DataPlan& plan, const ListedJobs& listed) {
  Statement group = file.Prepare(R"(INSERT INTO "TJLGROUPS" ("TJLTAG", "TJLNAME") VALUES (?, ?))");
  for (const SavedList& list : plan.savedLists) {
    group.Bind(1, list.tag);
    group.Bind(2, list.name);
    group.Run();
    WriteListRows(file, "TJLITEMS", list.tag, list.items, listed);
  }
  WriteListRows(file, "TJLIST", plan.workingListTag, plan.workingList, listed);
  Statement tags = file.Prepare(R"(INSERT INTO "SYSTAGS" ("TJLTAG") VALUES (?))");
  tags.Bind(1, static_cast<int64_t>(plan.savedLists.size()) + 1);
  tags.Run();
}

}  // namespace

void WriteMainDatabase(const std::string& path, const InitOptions& options, const DataPlan& plan,
                       std::chrono::year_month_day today) {
  ListedJobs listed;
  for (const JobRef& item : plan.workingList) listed.emplace(item, std::string());
  for (const SavedList& list : plan.savedLists) {
    for (const JobRef& item : list.items) listed.emplace(item, std::string());
  }

  SqliteFile file(path);
  const FileLayout layout = StartFile(file, "MAIN.MDB");
  WriteCompanies(file, options);
  WriteJobs(file, options, plan, listed);
  WritePeriodEndings(file, options, today);
  WriteLists(file, plan, listed);
  FinishFile(file, layout);
}

void WriteSettingsDatabase(const std::string& path, const InitOptions& options) {
  SqliteFile file(path);
  const FileLayout layout = StartFile(file, "QRLSYS.mdb");
  if (options.settings) {
    Statement insert =
        file.Prepare(R"(INSERT INTO "SYSSETTINGS" ("JOBNOSIZE", "JOBNOTYPE") VALUES (?, ?))");
    insert.Bind(1, int64_t{options.jobNoSize});
    insert.Bind(2, std::string_view(&options.jobNoType, 1));
    insert.Run();
  }  // the statement is finalized here, before the file closes
  FinishFile(file, layout);
}

}  // namespace dorvanedata
