// The plan of a folder's data, made before anything is written: how many jobs
// each company gets, how its job numbers are written, and which jobs the
// working list and the saved lists hold. Relies on options.h, job_numbers.h
// and random.h.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "job_numbers.h"
#include "options.h"

namespace dorvanedata {

// A job named by its company and its place (0-based) in that company's run of
// job numbers; ordering by it is the (CONO, JOBNO) order.
struct JobRef {
  int cono = 0;
  uint64_t index = 0;
  bool operator==(const JobRef& other) const { return cono == other.cono && index == other.index; }
  bool operator<(const JobRef& other) const {
    return cono != other.cono ? cono < other.cono : index < other.index;
  }
};

struct SavedList {
  int64_t tag = 0;
  std::string name;
  std::vector<JobRef> items;  // ascending, all different
};

struct DataPlan {
  std::vector<uint64_t> jobsPerCompany;  // element i is company i + 1
  JobNumberScheme scheme;
  std::vector<JobRef> workingList;    // ascending, all different
  int64_t workingListTag = 0;         // the saved list the working list belongs to, or 0
  std::vector<SavedList> savedLists;  // tags 1..S in order
};

// Makes the plan for the options, or returns nothing and says in `error` why
// the options cannot be met (too many jobs for the job-number width).
std::optional<DataPlan> PlanData(const InitOptions& options, std::string& error);

}  // namespace dorvanedata
