// dorvane-data: makes data sources (a folder or a PostgreSQL database) for
// the control and its tests.
//   dorvane-data init FOLDER|URI [options]   creates MAIN.MDB and QRLSYS.mdb
//   dorvane-data copy SOURCE DEST [--force]  copies a data source into another
//   dorvane-data schema [--postgres]         prints the layout of both files
//   dorvane-data import SOURCE DEST          imports classic files (import.h)
//   dorvane-data --help | --version
// Exit status: 0 done, 1 the destination could not be made or already holds
// data (nothing is lost either way), 2 bad command or options; import also
// gives 3 for data imported that the control cannot use as it is.
#include <chrono>
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "apps/command-line/command_line.h"
#include "copy_command.h"
#include "dates.h"
#include "destination.h"
#include "import.h"
#include "options.h"
#include "plan.h"
#include "schema.h"
#include "server_layout.h"
#include "services/recordstore/data_source.h"
#include "table_writers.h"

namespace dorvanedata {
namespace {

// Reports a bad command line with the usage text; returns the exit status 2.
int UsageError(const std::string& message) {
  std::cerr << "dorvane-data: " << message << "\n\n" << UsageText();
  return 2;
}

// Returns "1 job" or "400 jobs".
std::string Count(int64_t count, const std::string& one, const std::string& many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// Returns the one-line account of what init made.
std::string Summary(const InitOptions& options, const DataPlan& plan,
                    std::chrono::year_month_day today, double seconds) {
  const std::string where = recordstore::HidePasswords(options.folder);
  std::string text = "Created " + where + ": " + Count(options.companies, "company", "companies") +
                     ", " + Count(options.jobs, "job", "jobs") + ", " +
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

// Runs `init`: plans the data and builds the data source, complete or not at all.
int RunInit(const InitArguments& args) {
  const auto start = std::chrono::steady_clock::now();
  const ParsedOptions parsed = ReadInitOptions(args);
  if (!parsed.options) return UsageError(parsed.error);
  const InitOptions& options = *parsed.options;
  std::string error;
  const auto plan = PlanData(options, error);
  if (!plan) return UsageError(error);

  try {
    const auto today = options.today.value_or(LocalToday());
    FillFile fillSettings;
    if (options.qrlsys) {
      fillSettings = [&](FileTarget& target) { WriteSettingsDatabase(target, options); };
    }
    BuildDataSource(
        options.folder, options.force,
        [&](FileTarget& target) { WriteMainDatabase(target, options, *plan, today); },
        fillSettings);
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    std::cout << Summary(options, *plan, today, seconds.count()) << "\n";
    return 0;
  } catch (const std::exception& failure) {
    std::cerr << "dorvane-data: " << failure.what() << "\n";
    return 1;
  }
}

}  // namespace
}  // namespace dorvanedata

// Reads the command line and runs the command it names.
int main(int argc, char** argv) {
  using namespace dorvanedata;
  CLI::App app("Makes data sources for the control.");
  commandline::Configure(app, "dorvane-data", UsageText());
  // One help for the program and each command: the usage text.
  app.formatter_fn([](const CLI::App*, std::string, CLI::AppFormatMode) { return UsageText(); });
  app.require_subcommand(1);

  InitArguments init;
  AddInitOptions(*app.add_subcommand("init", "Create a data source with sample data"), init);

  std::vector<std::string> copyPlaces;
  bool copyForce = false;
  auto* copy = app.add_subcommand("copy", "Copy a data source into another");
  copy->add_option("places", copyPlaces)->type_name("SOURCE DEST");
  copy->add_flag("--force", copyForce);

  bool postgres = false;
  auto* schema = app.add_subcommand("schema", "Print the layout of the data files");
  schema->add_flag("--postgres", postgres);
  schema->allow_extras();

  std::vector<std::string> importPaths;
  std::optional<std::string> timeLimit;
  auto* import = app.add_subcommand("import", "Import classic desktop-database files");
  import->add_option("paths", importPaths)->type_name("SOURCE DEST");
  import->add_option("--time-limit", timeLimit)->type_name("SECONDS");

  auto* help = app.add_subcommand("help", "Print this help");
  // CLI11 would only say that a command is missing.
  if (argc > 1 && argv[1][0] != '-') {
    const std::string command = argv[1];
    const auto named = [&](CLI::App* sub) { return sub->get_name() == command; };
    if (app.get_subcommands(named).empty()) return UsageError("unknown command " + command);
  }
  if (const auto done = commandline::Parse(app, argc, argv)) return *done;

  if (app.got_subcommand("init")) return RunInit(init);
  if (app.got_subcommand(copy)) {
    if (copyPlaces.size() != 2) return UsageError("copy needs a source and a destination");
    return RunCopy(copyPlaces[0], copyPlaces[1], copyForce);
  }
  if (app.got_subcommand(import)) {
    std::string error;
    const auto command = ReadImportCommand(importPaths, timeLimit, error);
    return command ? RunImport(*command) : UsageError(error);
  }
  if (app.got_subcommand(help)) {
    std::cout << UsageText();
    return 0;
  }
  if (!schema->remaining().empty()) {
    return UsageError("schema takes only --postgres, not " + schema->remaining().front());
  }
  try {
    std::cout << (postgres ? ServerSchemaText(SchemaText()) : SchemaText());
  } catch (const std::exception& failure) {
    std::cerr << "dorvane-data: " << failure.what() << "\n";
    return 1;
  }
  return std::cout.flush() ? 0 : 1;
}
