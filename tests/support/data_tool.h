// Runs the built data tool dorvane-data (found in DORVANE_BIN_DIR) as a
// separate program, collecting its exit status and output, and makes filled
// data folders with it. Relies on std::system and the POSIX status macros.
#pragma once

#include <string>
#include <vector>

namespace testsupport {

// What one run of the program did.
struct ToolRun {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs dorvane-data with the arguments, each passed as one word.
ToolRun RunDataTool(const std::vector<std::string>& args);

// Runs `dorvane-data init path options...` and returns `path`; a failed run is
// a test failure that shows the tool's message.
std::string MakeDataFolder(const std::string& path, const std::vector<std::string>& options = {});

}  // namespace testsupport
