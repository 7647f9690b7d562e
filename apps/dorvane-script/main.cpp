// dorvane-script [--source NAME=PLACE]... [FILE]: the scripted host. Runs the
// script in FILE (or on standard input, also for "-") against the control and
// prints what a user and a host see. --source runs a script written for the
// data folder NAME on PLACE (another folder or a server URI) and prints PLACE
// back as NAME. Exit status 0, or 2 for an error in the script (or a file it
// cannot read) and for a bad command line.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include "apps/command-line/command_line.h"
#include "apps/dorvane-script/hosted_parts.h"
#include "apps/dorvane-script/script_host.h"

int main(int argc, char** argv) {
  scripthost::SourceMap sources;
  std::string script;
  std::vector<std::string> assignments;
  CLI::App app(
      "Runs a script of commands (docs/script-language.md) against the control and prints what "
      "a user and a host see. Exit status 0, or 2 for an error in the script or the command "
      "line.");
  commandline::Configure(app, "dorvane-script");
  app.add_option("--source", assignments,
                 "Run a script written for the data folder NAME on PLACE (a folder or a "
                 "postgresql:// URI), printing PLACE back as NAME")
      ->type_name("NAME=PLACE")
      ->allow_extra_args(false)
      ->check([](const std::string& text) {
        scripthost::SourceMap probe;
        return probe.Add(text) ? std::string() : "needs NAME=PLACE, not " + text;
      });
  app.add_option("FILE", script, "The script; standard input when absent or -");
  if (const auto done = commandline::Parse(app, argc, argv)) return *done;
  for (const std::string& assignment : assignments) sources.Add(assignment);
  if (script == "-") script.clear();

  // Output goes through the map even when it is empty: one path for both.
  scripthost::MappedLines out(sources, std::cout);
  scripthost::MappedLines err(sources, std::cerr);
  std::ostream outStream(&out);
  std::ostream errStream(&err);
  scripthost::ScriptHost host(scripthost::DorvaneControlFactory(), outStream, errStream);
  host.SetOpenSearchHook(scripthost::DorvaneSearchHook());
  host.SetSourceMap(sources);
  if (script.empty()) return host.Run(std::cin);
  // A folder opens as a stream that reads as empty: refuse it by name.
  std::error_code ec;
  if (std::filesystem::is_directory(script, ec)) {
    errStream << "ERROR line 0: cannot read the script " << script << ": it is a folder\n";
    return 2;
  }
  std::ifstream file(script);
  if (!file) {
    errStream << "ERROR line 0: cannot read the script " << script << "\n";
    return 2;
  }
  return host.Run(file);
}
