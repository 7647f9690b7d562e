// Running dorvane-data from the tests (see the header).
#include "data_tool.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>

#include "temp_folder.h"

namespace testsupport {

ToolRun RunDataTool(const std::vector<std::string>& args) {
  const TempFolder outputs("dorvane-data-run");
  std::string command = "'" DORVANE_BIN_DIR "/dorvane-data'";
  for (const std::string& arg : args) command += " '" + arg + "'";
  command += " >'" + outputs.File("out.txt") + "' 2>'" + outputs.File("err.txt") + "'";
  const int raw = std::system(command.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadText(outputs.File("out.txt")),
          ReadText(outputs.File("err.txt"))};
}

std::string MakeDataFolder(const std::string& path, const std::vector<std::string>& options) {
  std::vector<std::string> args = {"init", path};
  args.insert(args.end(), options.begin(), options.end());
  const ToolRun run = RunDataTool(args);
  EXPECT_EQ(run.status, 0) << "dorvane-data init " << path << " failed: " << run.err;
  return path;
}

}  // namespace testsupport
