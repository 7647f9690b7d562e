// Runs the programs of the build (dorvane-data, dorvane-script,
// dorvane-desktop, found in DORVANE_BIN_DIR) as separate processes on Qt's
// offscreen platform, collecting their exit status and output, and makes
// filled data folders with dorvane-data. Relies on std::system and the POSIX
// status macros.
#pragma once

#include <string>
#include <vector>

namespace testsupport {

// What one run of a program did.
struct ProgramRun {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs bin/`name` with the arguments, each passed as one word, in `folder`
// (the test's own working folder when empty), the shell words `environment`
// coming before the program (Qt's offscreen platform unless told otherwise).
ProgramRun RunProgram(const std::string& name, const std::vector<std::string>& args,
                      const std::string& folder = "",
                      const std::string& environment = "QT_QPA_PLATFORM=offscreen");

// Runs dorvane-data with the arguments.
ProgramRun RunDataTool(const std::vector<std::string>& args);

// Runs `dorvane-data init path options...` and returns `path`; a failed run
// throws with the tool's message, which fails the test where it stands.
std::string MakeDataFolder(const std::string& path, const std::vector<std::string>& options = {});

}  // namespace testsupport
