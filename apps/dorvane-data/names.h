// Believable names for the sample data: companies, jobs and saved lists, drawn
// from fixed word lists with the tool's own random streams. Relies on
// random.h only.
#pragma once

#include <string>
#include <vector>

#include "random.h"

namespace dorvanedata {

inline constexpr size_t kCompanyNameWidth = 30;  // COLIST.CONAME
inline constexpr size_t kJobNameWidth = 50;      // JOBLIST.JOBNAME
inline constexpr size_t kListNameWidth = 50;     // TJLGROUPS.TJLNAME

// Returns count different company names (count <= 99), each at most 30 characters.
std::vector<std::string> CompanyNames(Random& random, int count);

// Returns one job description of at most 50 characters ("Pier 4 resurfacing").
std::string JobName(Random& random);

// Returns count different saved-list names, each at most 50 characters.
std::vector<std::string> ListNames(Random& random, int64_t count);

}  // namespace dorvanedata
