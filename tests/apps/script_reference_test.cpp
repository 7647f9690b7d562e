// Keeps docs/script-language.md current with the scripted host: the command
// table of the reference and the command table of the executor name the same
// words.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "apps/dorvane-script/script_host.h"
#include "support/temp_folder.h"

namespace {

// The command words of the reference: the first word in back quotes of each
// form in the first cell of every row of the table under "## Commands" (rows
// may name two forms, "`a X` / `a X(I)`").
std::set<std::string> ReferenceCommands(const std::string& reference) {
  std::set<std::string> words;
  std::istringstream lines(reference.substr(reference.find("## Commands") + 3));
  static const std::regex form("`([a-z][a-z-]*)");
  for (std::string line; std::getline(lines, line) && !line.starts_with("## ");) {
    if (!line.starts_with("| `")) continue;
    const std::string cell = line.substr(0, line.find(" |", 2));
    for (std::sregex_iterator at(cell.begin(), cell.end(), form), end; at != end; ++at) {
      words.insert((*at)[1]);
    }
  }
  return words;
}

TEST(ScriptReference, DescribesExactlyTheCommandsTheHostAccepts) {
  const std::string reference =
      testsupport::ReadText(DORVANE_SOURCE_DIR "/docs/script-language.md");
  ASSERT_FALSE(reference.empty()) << "docs/script-language.md is missing";
  const std::vector<std::string> accepted = scripthost::ScriptHost::CommandWords();
  ASSERT_GE(accepted.size(), 10u);
  EXPECT_EQ(ReferenceCommands(reference), std::set<std::string>(accepted.begin(), accepted.end()))
      << "the rows of the reference (left) and the words the host accepts (right)";
}

}  // namespace
