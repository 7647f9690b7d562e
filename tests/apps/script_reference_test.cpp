// Keeps docs/script-language.md current with the scripted host: the command
// table of the reference and the command table of the executor name the same
// words.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <string>

#include "apps/dorvane-script/script_host.h"
#include "support/temp_folder.h"

namespace {

// The command words of the reference: the first word in back quotes of every
// row of the table under "## Commands" (rows may name two forms, "a / b").
std::set<std::string> ReferenceCommands(const std::string& reference) {
  std::set<std::string> words;
  std::istringstream lines(reference.substr(reference.find("## Commands")));
  std::string line;
  std::getline(lines, line);
  while (std::getline(lines, line) && !line.starts_with("## ")) {
    if (!line.starts_with("| `")) continue;
    const std::string cell = line.substr(2, line.find(" |", 2) - 2);
    for (size_t at = cell.find('`'); at != std::string::npos;
         at = cell.find('`', cell.find('`', at + 1) + 1)) {
      const size_t end = cell.find_first_of(" `", at + 1);
      words.insert(cell.substr(at + 1, end - at - 1));
    }
  }
  return words;
}

TEST(ScriptReference, DescribesExactlyTheCommandsTheHostAccepts) {
  const std::string reference =
      testsupport::ReadText(DORVANE_SOURCE_DIR "/docs/script-language.md");
  ASSERT_FALSE(reference.empty()) << "docs/script-language.md is missing";
  const std::set<std::string> documented = ReferenceCommands(reference);
  const std::vector<std::string> accepted = scripthost::ScriptHost::CommandWords();
  ASSERT_GE(accepted.size(), 10u);
  for (const std::string& word : accepted) {
    EXPECT_TRUE(documented.contains(word)) << "the reference has no row for `" << word << "`";
  }
  for (const std::string& word : documented) {
    EXPECT_NE(std::find(accepted.begin(), accepted.end(), word), accepted.end())
        << "the reference describes `" << word << "`, which the host does not accept";
  }
}

}  // namespace
