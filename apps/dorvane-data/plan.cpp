// Plans the data: spreads the jobs over the companies by random weights (one
// company may be given a fixed share), picks the listed jobs without
// repetition (Floyd's sampling, so a list as long as the job table stays
// cheap), and makes the working list a copy of the last saved list, as if
// that list had just been retrieved.
#include "plan.h"

#include <algorithm>
#include <cassert>
#include <set>

#include "names.h"
#include "random.h"

namespace dorvanedata {
namespace {

// Random streams of the plan; each table draws from its own.
enum Stream : uint64_t { kSpreadStream = 2, kListStream = 3, kListNameStream = 4 };

// Spreads `jobs` over companies by weights 1..4; the big company, when given,
// keeps its fixed count and the others share the rest.
std::vector<uint64_t> SpreadJobs(const InitOptions& options, Random& random) {
  std::vector<uint64_t> counts(static_cast<size_t>(options.companies), 0);
  std::vector<uint64_t> weights(counts.size(), 0);
  uint64_t totalWeight = 0;
  for (size_t i = 0; i < counts.size(); ++i) {
    const bool isBig = static_cast<int>(i) + 1 == options.bigCompany;
    weights[i] = isBig ? 0 : 1 + random.Below(4);
    totalWeight += weights[i];
  }
  uint64_t rest = static_cast<uint64_t>(options.jobs);
  if (options.bigCompany != 0) {
    counts[static_cast<size_t>(options.bigCompany - 1)] =
        static_cast<uint64_t>(options.bigCompanyJobs);
    rest -= static_cast<uint64_t>(options.bigCompanyJobs);
  }
  if (totalWeight == 0) return counts;
  uint64_t given = 0;
  for (size_t i = 0; i < counts.size(); ++i) {
    const uint64_t share = rest * weights[i] / totalWeight;
    counts[i] += share;
    given += share;
  }
  // The remainder of the division goes one each to the weighted companies.
  for (size_t i = 0; given < rest; i = (i + 1) % counts.size()) {
    if (weights[i] == 0) continue;
    ++counts[i];
    ++given;
  }
  return counts;
}

// Returns `count` different jobs picked at random, in (CONO, JOBNO) order.
std::vector<JobRef> PickJobs(const std::vector<uint64_t>& firstIndex, uint64_t total,
                             uint64_t count, Random& random) {
  assert(count <= total);
  // Floyd's algorithm: count different numbers below total in count steps.
  std::set<uint64_t> chosen;
  for (uint64_t j = total - count; j < total; ++j) {
    const uint64_t t = random.Below(j + 1);
    chosen.insert(chosen.count(t) ? j : t);
  }
  std::vector<JobRef> jobs;
  jobs.reserve(count);
  for (uint64_t g : chosen) {
    // firstIndex[i] is the number of jobs of the companies before company i + 1.
    const auto next = std::upper_bound(firstIndex.begin(), firstIndex.end(), g);
    const auto company = static_cast<size_t>(next - firstIndex.begin()) - 1;
    jobs.push_back({static_cast<int>(company) + 1, g - firstIndex[company]});
  }
  return jobs;  // increasing g is increasing (CONO, index)
}

}  // namespace

std::optional<DataPlan> PlanData(const InitOptions& options, std::string& error) {
  DataPlan plan;
  Random spread(options.seed, kSpreadStream);
  plan.jobsPerCompany = SpreadJobs(options, spread);

  const uint64_t largest =
      plan.jobsPerCompany.empty()
          ? 0
          : *std::max_element(plan.jobsPerCompany.begin(), plan.jobsPerCompany.end());
  auto scheme = ChooseScheme(options.jobNoSize, options.jobNoType, largest);
  if (!scheme) {
    error = "one company would get " + std::to_string(largest) + " jobs, but job numbers of type " +
            options.jobNoType + " and size " + std::to_string(options.jobNoSize) +
            " allow at most " + std::to_string(LargestCount(options.jobNoSize, options.jobNoType)) +
            " per company";
    return std::nullopt;
  }
  plan.scheme = *scheme;

  std::vector<uint64_t> firstIndex;
  uint64_t total = 0;
  for (uint64_t count : plan.jobsPerCompany) {
    firstIndex.push_back(total);
    total += count;
  }
  assert(total == static_cast<uint64_t>(options.jobs));

  Random lists(options.seed, kListStream);
  Random listNames(options.seed, kListNameStream);
  std::vector<std::string> names = ListNames(listNames, options.savedLists);
  for (int64_t tag = 1; tag <= options.savedLists; ++tag) {
    const uint64_t size = std::min<uint64_t>(total, 2 + lists.Below(7));
    plan.savedLists.push_back({tag, std::move(names[static_cast<size_t>(tag - 1)]),
                               PickJobs(firstIndex, total, size, lists)});
  }
  plan.workingList = PickJobs(firstIndex, total, static_cast<uint64_t>(options.listRows), lists);
  if (!plan.workingList.empty() && !plan.savedLists.empty()) {
    plan.workingListTag = plan.savedLists.back().tag;
    plan.savedLists.back().items = plan.workingList;
  }
  return plan;
}

}  // namespace dorvanedata
