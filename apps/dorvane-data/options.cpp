// Reads the options of `dorvane-data init`. CLI11 reads the line; every value
// is then checked whole (no trailing characters, within its limits) and each
// failure names the option.
#include "options.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <functional>
#include <map>

#include "dates.h"

namespace dorvanedata {
namespace {

// Reads a whole decimal number within low..high into value, or returns why not.
std::string ReadNumber(const std::string& option, const std::string& text, int64_t low,
                       int64_t high, int64_t& value) {
  int64_t number = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, number);
  if (text.empty() || ec != std::errc() || ptr != end) {
    return option + " needs a whole number, not \"" + text + "\"";
  }
  if (number < low || number > high) {
    return option + " must be between " + std::to_string(low) + " and " + std::to_string(high) +
           ", not " + text;
  }
  value = number;
  return {};
}

// Reads a date written YYYY-MM-DD (any real date of years 1..9999), or returns
// nothing when it is not one.
std::optional<std::chrono::year_month_day> ReadDate(const std::string& text) {
  int64_t y = 0, m = 0, d = 0;
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
  if (!ReadNumber("", text.substr(0, 4), 1, 9999, y).empty() ||
      !ReadNumber("", text.substr(5, 2), 1, 12, m).empty() ||
      !ReadNumber("", text.substr(8, 2), 1, 31, d).empty()) {
    return std::nullopt;
  }
  std::chrono::year_month_day date{std::chrono::year(static_cast<int>(y)),
                                   std::chrono::month(static_cast<unsigned>(m)),
                                   std::chrono::day(static_cast<unsigned>(d))};
  if (!date.ok()) return std::nullopt;
  return date;
}

// The dates PELIST may hold: those of a Date value, written with four-digit years.
constexpr std::chrono::year_month_day kFirstDate{std::chrono::year(100), std::chrono::January,
                                                 std::chrono::day(1)};
constexpr std::chrono::year_month_day kLastDate{std::chrono::year(9999), std::chrono::December,
                                                std::chrono::day(31)};

// Checks that every period-ending date made from --today lies within the
// dates PELIST may hold, and names that range when one does not.
std::string CheckToday(const InitOptions& o) {
  if (!o.today || o.weeks == 0) return {};
  const auto dates = PeriodEndingDates(*o.today, o.weeks);
  if (dates.front() >= kFirstDate && dates.back() <= kLastDate) return {};
  std::string today = KeyDateText(*o.today);
  today.insert(6, "-").insert(4, "-");
  return "--today " + today + " with " + std::to_string(o.weeks) +
         " weeks makes period-ending dates outside 0100-01-01..9999-12-31, the dates PELIST holds";
}

// Checks the combinations of options that no single value shows to be wrong.
std::string CheckCombination(const InitOptions& o) {
  if (std::string today = CheckToday(o); !today.empty()) return today;
  if (o.jobs > 0 && o.companies == 0) return "--jobs needs at least one company";
  if (o.listRows > o.jobs) {
    return "--list " + std::to_string(o.listRows) + " needs at least that many jobs (--jobs " +
           std::to_string(o.jobs) + ")";
  }
  if (o.bigCompany != 0) {
    if (o.bigCompany > o.companies) {
      return "--big-company names company " + std::to_string(o.bigCompany) + ", but there are " +
             std::to_string(o.companies) + " companies";
    }
    if (o.bigCompanyJobs > o.jobs) {
      return "--big-company gives " + std::to_string(o.bigCompanyJobs) +
             " jobs to one company, more than --jobs " + std::to_string(o.jobs);
    }
    if (o.companies == 1 && o.bigCompanyJobs != o.jobs) {
      return "--big-company leaves jobs over with no other company to hold them";
    }
  }
  return {};
}

}  // namespace

// The options of init that take a value, with the text of each in the help.
const std::vector<std::pair<std::string, std::string>> kValueOptions = {
    {"--companies", "N"},      {"--jobs", "N"}, {"--big-company", "C:N"}, {"--weeks", "N"},
    {"--today", "YYYY-MM-DD"}, {"--list", "N"}, {"--saved", "N"},         {"--jobno-size", "N"},
    {"--jobno-type", "C|N"},   {"--seed", "N"}};

void AddInitOptions(CLI::App& init, InitArguments& arguments) {
  init.add_option("folder", arguments.folder, "The folder or PostgreSQL URI to create")
      ->type_name("FOLDER|URI")
      ->required();
  // Each value is kept as text and read by ReadInitOptions, whose messages
  // name the option and its limits.
  for (const auto& option : kValueOptions) {
    const std::string& name = option.first;
    init.add_option(name)
        ->type_name(option.second)
        ->each([&arguments, name](const std::string& text) {
          arguments.values.emplace_back(name, text);
        });
  }
  init.add_flag("--force", arguments.force);
  init.add_flag("--no-settings", arguments.noSettings);
  init.add_flag("--no-qrlsys", arguments.noQrlsys);
}

ParsedOptions ReadInitOptions(const InitArguments& arguments) {
  InitOptions o;
  o.folder = arguments.folder;
  o.force = arguments.force;
  o.settings = !arguments.noSettings;
  o.qrlsys = !arguments.noQrlsys;
  ParsedOptions result;
  int64_t value = 0;
  // Options that take a whole number: their limits and where the value goes.
  struct NumberOption {
    int64_t low, high;
    std::function<void(int64_t)> store;
  };
  const std::map<std::string, NumberOption> numbers = {
      {"--companies", {0, kMaxCompanies, [&](int64_t v) { o.companies = static_cast<int>(v); }}},
      {"--jobs", {0, kMaxJobs, [&](int64_t v) { o.jobs = v; }}},
      {"--weeks", {0, kMaxWeeks, [&](int64_t v) { o.weeks = static_cast<int>(v); }}},
      {"--list", {0, kMaxJobs, [&](int64_t v) { o.listRows = v; }}},
      {"--saved", {0, kMaxSaved, [&](int64_t v) { o.savedLists = v; }}},
      {"--jobno-size", {1, kMaxJobNoSize, [&](int64_t v) { o.jobNoSize = static_cast<int>(v); }}},
      {"--seed", {0, INT64_MAX, [&](int64_t v) { o.seed = static_cast<uint64_t>(v); }}},
  };

  for (const auto& [option, text] : arguments.values) {
    if (auto it = numbers.find(option); it != numbers.end()) {
      result.error = ReadNumber(option, text, it->second.low, it->second.high, value);
      if (!result.error.empty()) return result;
      it->second.store(value);
    } else if (option == "--jobno-type") {
      if (text != "C" && text != "N") return {std::nullopt, "--jobno-type must be C or N"};
      o.jobNoType = text[0];
    } else if (option == "--big-company") {
      const auto colon = text.find(':');
      if (colon == std::string::npos) return {std::nullopt, "--big-company needs CONO:COUNT"};
      int64_t count = 0;
      result.error =
          ReadNumber("--big-company's company", text.substr(0, colon), 1, kMaxCompanies, value);
      if (result.error.empty()) {
        result.error =
            ReadNumber("--big-company's count", text.substr(colon + 1), 0, kMaxJobs, count);
      }
      if (!result.error.empty()) return result;
      o.bigCompany = static_cast<int>(value);
      o.bigCompanyJobs = count;
    } else {
      o.today = ReadDate(text);
      if (!o.today) return {std::nullopt, "--today needs a real date written YYYY-MM-DD"};
    }
  }
  result.error = CheckCombination(o);
  if (result.error.empty()) result.options = o;
  return result;
}

std::string UsageText() {
  return "usage: dorvane-data init FOLDER|URI [options]\n"
         "       dorvane-data copy SOURCE DEST [--force]\n"
         "       dorvane-data schema [--postgres]\n"
         "       dorvane-data import CLASSIC_FOLDER DEST_FOLDER|URI [--time-limit SECONDS]\n"
         "       dorvane-data import FILE.mdb OUT_FILE [--time-limit SECONDS]\n"
         "       dorvane-data --help | --version\n"
         "\n"
         "init creates FOLDER (and its parents) with MAIN.MDB and QRLSYS.mdb laid out as\n"
         "`dorvane-data schema` prints, filled with sample data that depends only on the\n"
         "options (and on today's date for the period-ending dates). Given a PostgreSQL\n"
         "URI (postgresql://user@host:port/database) it creates the schemas main and\n"
         "qrlsys in that database instead, laid out as `schema --postgres` prints.\n"
         "copy copies SOURCE into DEST (each a folder or a URI): every row of both\n"
         "databases, the tag counter and the settings; DEST must not hold them yet.\n"
         "\n"
         "  --companies N       companies 1..N in COLIST (0..99; default 12)\n"
         "  --jobs N            jobs in all, spread over the companies (default 400)\n"
         "  --big-company C:N   company C gets N of the jobs, the others share the rest\n"
         "  --weeks N           weekly period-ending Fridays in PELIST (default 156),\n"
         "                      the last one at least 8 weeks after today\n"
         "  --today YYYY-MM-DD  the date taken as today (default: the machine's date)\n"
         "  --list N            rows in the working list TJLIST (default 6)\n"
         "  --saved N           saved lists in TJLGROUPS and TJLITEMS (default 2)\n"
         "  --jobno-size N      width of a stored job number, 1..8 (default 8)\n"
         "  --jobno-type C|N    character or numerical job numbers (default C)\n"
         "  --no-settings       leave SYSSETTINGS in QRLSYS.mdb without a row\n"
         "  --no-qrlsys         do not create QRLSYS.mdb\n"
         "  --seed N            seed of the generated data (default 1)\n"
         "  --force             replace the database files (or schemas) DEST already holds\n"
         "  --postgres          (schema) print the layout of the schemas on a server\n"
         "  -h, --help          print this help and exit\n"
         "  --version           print the version and exit\n"
         "\n"
         "import reads the classic desktop-database files (Jet 3 or Jet 4 .mdb) MAIN.MDB\n"
         "and QRLSYS.mdb of CLASSIC_FOLDER (names in any case) into a new data folder, or\n"
         "into the schemas main and qrlsys of a PostgreSQL URI in one transaction (the\n"
         "database must not hold them yet; `copy` of an imported folder does the same), or\n"
         "one .mdb file into OUT_FILE: every table and row, fields with our declared types,\n"
         "indexes as \"T.X\" (\"t.x\" on a server). It then lists, one line each, what the control "
         "needs that\n"
         "the imported data lacks or holds differently. A damaged file can keep the reader\n"
         "busy without end: the import stops after a minute and 2 s for each MB read,\n"
         "or after --time-limit seconds. Exit status of import:\n"
         "  0  imported, and the control can use the data as it is\n"
         "  1  nothing imported: a file that is not Jet, damaged, truncated, protected by\n"
         "     a password or of a later version, or a destination that already holds data\n"
         "  2  bad command line\n"
         "  3  imported, but the control cannot use the data until the listed lines are\n"
         "     put right\n";
}

}  // namespace dorvanedata
