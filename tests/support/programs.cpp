// Running the programs of the build from the tests (see the header).
#include "programs.h"

#include <sys/wait.h>

#include <cstdlib>
#include <stdexcept>

#include "temp_folder.h"

namespace testsupport {
namespace {

// The text quoted as one word for the shell.
std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

ProgramRun RunProgram(const std::string& name, const std::vector<std::string>& args,
                      const std::string& folder, const std::string& environment) {
  const TempFolder outputs("dorvane-program-run");
  std::string command = folder.empty() ? "" : "cd " + Quoted(folder) + " && ";
  command += environment + " " + Quoted(std::string(DORVANE_BIN_DIR) + "/" + name);
  for (const std::string& arg : args) command += " " + Quoted(arg);
  command += " >" + Quoted(outputs.File("out.txt")) + " 2>" + Quoted(outputs.File("err.txt"));
  const int raw = std::system(command.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadText(outputs.File("out.txt")),
          ReadText(outputs.File("err.txt"))};
}

ProgramRun RunDataTool(const std::vector<std::string>& args) {
  return RunProgram("dorvane-data", args);
}

std::string MakeDataFolder(const std::string& path, const std::vector<std::string>& options) {
  std::vector<std::string> args = {"init", path};
  args.insert(args.end(), options.begin(), options.end());
  const ProgramRun run = RunDataTool(args);
  // Thrown, so that the test stops instead of going on over a broken folder.
  if (run.status != 0)
    throw std::runtime_error("dorvane-data init " + path + " failed: " + run.err);
  return path;
}

}  // namespace testsupport
