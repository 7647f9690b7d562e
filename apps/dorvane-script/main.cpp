// dorvane-script [--source NAME=PLACE]... [FILE]: the scripted host. Runs the
// script in FILE (or on standard input) against the control and prints what a
// user and a host see. --source runs a script written for the data folder NAME
// on PLACE (another folder or a server URI) and prints PLACE back as NAME.
// Exit status 0, or 2 for an error in the script (or a file it cannot read).
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <system_error>

#include "apps/dorvane-script/hosted_parts.h"
#include "apps/dorvane-script/script_host.h"

int main(int argc, char** argv) {
  scripthost::SourceMap sources;
  std::string script;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool ok = arg == "--source" ? i + 1 < argc && sources.Add(argv[++i])
                                      : script.empty() && !arg.starts_with("--");
    if (!ok) {
      std::cerr << "usage: dorvane-script [--source NAME=PLACE]... [FILE]\n";
      return 2;
    }
    if (arg != "--source") script = arg;
  }
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
