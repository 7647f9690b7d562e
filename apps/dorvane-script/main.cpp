// dorvane-script [FILE]: the scripted host. Runs the script in FILE (or on
// standard input) against the control and prints what a user and a host see.
// Exit status 0, or 2 for an error in the script (or a file it cannot read).
#include <filesystem>
#include <fstream>
#include <iostream>
#include <system_error>

#include "apps/dorvane-script/hosted_parts.h"
#include "apps/dorvane-script/script_host.h"

int main(int argc, char** argv) {
  if (argc > 2) {
    std::cerr << "usage: dorvane-script [FILE]\n";
    return 2;
  }
  scripthost::ScriptHost host(scripthost::DorvaneControlFactory(), std::cout, std::cerr);
  host.SetOpenSearchHook(scripthost::DorvaneSearchHook());
  if (argc == 1) return host.Run(std::cin);
  // A folder opens as a stream that reads as empty: refuse it by name.
  std::error_code ec;
  if (std::filesystem::is_directory(argv[1], ec)) {
    std::cerr << "ERROR line 0: cannot read the script " << argv[1] << ": it is a folder\n";
    return 2;
  }
  std::ifstream file(argv[1]);
  if (!file) {
    std::cerr << "ERROR line 0: cannot read the script " << argv[1] << "\n";
    return 2;
  }
  return host.Run(file);
}
