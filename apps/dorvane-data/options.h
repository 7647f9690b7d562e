// The command line of `dorvane-data init`: the options, their defaults and
// limits, and the usage text. Relies on CLI11 for the syntax of the line.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace CLI {
class App;
}

namespace dorvanedata {

// Largest values accepted on the command line.
inline constexpr int kMaxCompanies = 99;         // a company number is typed as two digits
inline constexpr int kMaxWeeks = 32767;          // PETAG is a 16-bit integer
inline constexpr int kMaxJobNoSize = 8;          // JOBNO is TEXT(8)
inline constexpr int64_t kMaxJobs = 20'000'000;  // keeps a folder within a few gigabytes
inline constexpr int64_t kMaxSaved = 100'000;    // saved lists (TJLGROUPS rows)

struct InitOptions {
  std::string folder;
  int companies = 12;
  int64_t jobs = 400;
  int weeks = 156;
  int64_t listRows = 6;
  int64_t savedLists = 2;
  int jobNoSize = 8;
  char jobNoType = 'C';
  bool settings = true;  // false: SYSSETTINGS is created without a row
  bool qrlsys = true;    // false: QRLSYS.mdb is not created
  uint64_t seed = 1;
  bool force = false;
  int bigCompany = 0;  // company given bigCompanyJobs of the jobs; 0 for none
  int64_t bigCompanyJobs = 0;
  std::optional<std::chrono::year_month_day> today;  // the machine's date when unset
};

// The outcome of reading the options: the options, or what is wrong with them.
struct ParsedOptions {
  std::optional<InitOptions> options;
  std::string error;
};

// What the command line gave `init`: the folder, each option's text in the
// order given ("--jobs", "12"), and the flags.
struct InitArguments {
  std::string folder;
  std::vector<std::pair<std::string, std::string>> values;
  bool force = false;
  bool noSettings = false;
  bool noQrlsys = false;
};

// Declares init's folder, options and flags on its subcommand; the parsed
// line lands in `arguments`.
void AddInitOptions(CLI::App& init, InitArguments& arguments);

// Checks each value and the combinations of values that can be judged
// without building anything.
ParsedOptions ReadInitOptions(const InitArguments& arguments);

// Returns the usage text printed for bad options and for "help".
std::string UsageText();

}  // namespace dorvanedata
