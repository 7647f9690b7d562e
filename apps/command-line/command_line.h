// The command-line conventions of dorvane-data, dorvane-script and
// dorvane-desktop, over CLI11: -h/--help prints the help on standard output
// and exits 0, --version prints the program's name and the project's version
// and exits 0, and a usage error is one line on standard error (then the
// usage, or where to find it) with exit status 2.
#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <string>

namespace commandline {

// The exit status of a command line the program cannot take.
inline constexpr int kUsageStatus = 2;

// Returns "NAME VERSION", the line --version prints.
std::string VersionLine(const std::string& program);

// Makes the parser of `program` with --help and --version. A non-empty
// `usage` is printed after a usage error instead of the pointer to --help.
void Configure(CLI::App& app, const std::string& program, const std::string& usage = {});

// Parses the arguments. Returns the exit status when the program is done
// (help or version printed: 0; a usage error reported: 2), nothing when it
// should go on.
std::optional<int> Parse(CLI::App& app, int argc, const char* const* argv);

}  // namespace commandline
