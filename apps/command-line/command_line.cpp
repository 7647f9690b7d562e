// The programs' shared command-line conventions (see the header).
#include "apps/command-line/command_line.h"

#include <iostream>

namespace commandline {

std::string VersionLine(const std::string& program) { return program + " " + DORVANE_VERSION; }

void Configure(CLI::App& app, const std::string& program, const std::string& usage) {
  app.name(program);
  app.set_version_flag("--version", VersionLine(program), "Print the version and exit");
  app.set_help_flag("-h,--help", "Print this help and exit");
  // The error line names the program, as a Unix tool's does.
  app.failure_message([program, usage](const CLI::App*, const CLI::Error& e) {
    std::string text = program + ": " + e.what() + "\n";
    if (usage.empty()) return text + "Try '" + program + " --help' for more information.\n";
    return text + "\n" + usage;
  });
}

std::optional<int> Parse(CLI::App& app, int argc, const char* const* argv) {
  try {
    app.parse(argc, argv);
    return std::nullopt;
  } catch (const CLI::ParseError& e) {
    // Help and version go to standard output with status 0, errors to
    // standard error with the usage status whatever CLI11's own code is.
    const int status = app.exit(e, std::cout, std::cerr);
    return status == 0 ? 0 : kUsageStatus;
  }
}

}  // namespace commandline
