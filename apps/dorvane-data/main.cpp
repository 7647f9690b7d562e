// dorvane-data: makes data folders for the control and its tests.
//   dorvane-data init FOLDER [options]   creates MAIN.MDB and QRLSYS.mdb
//   dorvane-data schema                  prints the layout of both files
//   dorvane-data import SOURCE DEST      imports classic files (import.h)
// Exit status: 0 done, 1 the folder could not be made or already holds data
// (nothing is lost either way), 2 bad command or options; import also gives 3
// for data imported that the control cannot use as it is.
#include <chrono>
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "data_folder.h"
#include "dates.h"
#include "import.h"
#include "options.h"
#include "plan.h"
#include "schema.h"
#include "sqlite_file.h"
#include "table_writers.h"

namespace dorvanedata {
namespace {

namespace fs = std::filesystem;

// Reports a bad command line with the usage text; returns the exit status 2.
int UsageError(const std::string& message) {
  std::cerr << "dorvane-data: " << message << "\n\n" << UsageText();
  return 2;
}

// Removes half-built files after a failure; a failure here is not reported
// over the one that caused it.
void DiscardBuildingFiles(const fs::path& folder) {
  try {
    for (std::string_view name : {kMainFile, kSettingsFile}) {
      RemoveDatabase(folder, BuildingPath(folder, name).filename().string());
    }
  } catch (const std::exception&) {
  }
}

// Returns "1 job" or "400 jobs".
std::string Count(int64_t count, const std::string& one, const std::string& many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// Returns the one-line account of what init made.
std::string Summary(const InitOptions& options, const DataPlan& plan,
                    std::chrono::year_month_day today, double seconds) {
  std::string text = "Created " + options.folder + ": " +
                     Count(options.companies, "company", "companies") + ", " +
                     Count(options.jobs, "job", "jobs") + ", " +
                     Count(options.weeks, "period-ending date", "period-ending dates");
  const auto dates = PeriodEndingDates(today, options.weeks);
  if (!dates.empty()) {
    text += " (" + EntryDateText(dates.front()) + " to " + EntryDateText(dates.back()) + ")";
  }
  text += ", " + Count(static_cast<int64_t>(plan.workingList.size()), "row", "rows") +
          " in the working list, " +
          Count(static_cast<int64_t>(plan.savedLists.size()), "saved list", "saved lists");
  if (!options.qrlsys) {
    text += "; no QRLSYS.mdb";
  } else if (!options.settings) {
    text += "; QRLSYS.mdb without settings";
  } else {
    text += "; job numbers of size " + std::to_string(options.jobNoSize) + ", type " +
            options.jobNoType;
  }
  char elapsed[32];
  std::snprintf(elapsed, sizeof elapsed, " (%.2f s)", seconds);
  return text + elapsed;
}

// Runs `init`: plans the data, builds both files beside any old ones and
// moves them into place when both are complete.
int RunInit(const std::vector<std::string>& args) {
  const auto start = std::chrono::steady_clock::now();
  const ParsedOptions parsed = ParseInitOptions(args);
  if (!parsed.options) return UsageError(parsed.error);
  const InitOptions& options = *parsed.options;
  std::string error;
  const auto plan = PlanData(options, error);
  if (!plan) return UsageError(error);

  const fs::path folder(options.folder);
  try {
    MakeFolder(folder);
    std::vector<fs::path> existing = FilesNamed(folder, kMainFile);
    for (const fs::path& file : FilesNamed(folder, kSettingsFile)) existing.push_back(file);
    if (!existing.empty() && !options.force) {
      std::cerr << "dorvane-data: " << options.folder << " already holds "
                << existing.front().filename().string()
                << "; nothing was changed (use --force to replace its database files)\n";
      return 1;
    }
    for (const fs::path& file : existing) CheckNotInUse(file);

    DiscardBuildingFiles(folder);
    const auto today = options.today.value_or(LocalToday());
    WriteMainDatabase(BuildingPath(folder, kMainFile).string(), options, *plan, today);
    if (options.qrlsys)
      WriteSettingsDatabase(BuildingPath(folder, kSettingsFile).string(), options);
    InstallDatabase(folder, kMainFile);
    if (options.qrlsys) {
      InstallDatabase(folder, kSettingsFile);
    } else {
      RemoveDatabase(folder, kSettingsFile);
    }
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    std::cout << Summary(options, *plan, today, seconds.count()) << "\n";
    return 0;
  } catch (const std::exception& failure) {
    DiscardBuildingFiles(folder);
    std::cerr << "dorvane-data: " << failure.what() << "\n";
    return 1;
  }
}

}  // namespace
}  // namespace dorvanedata

// Dispatches the command named by the first argument.
int main(int argc, char** argv) {
  using namespace dorvanedata;
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return UsageError("no command given");
  const std::string& command = args.front();
  if (command == "init") return RunInit({args.begin() + 1, args.end()});
  if (command == "import") {
    std::string error;
    const auto import = ParseImportCommand({args.begin() + 1, args.end()}, error);
    return import ? RunImport(*import) : UsageError(error);
  }
  if (command == "schema") {
    if (args.size() > 1) return UsageError("schema takes no arguments, not " + args[1]);
    std::cout << SchemaText();
    return std::cout.flush() ? 0 : 1;
  }
  if (command == "help" || command == "--help" || command == "-h") {
    std::cout << UsageText();
    return 0;
  }
  return UsageError("unknown command " + command);
}
