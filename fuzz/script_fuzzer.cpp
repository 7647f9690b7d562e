// Fuzzes the scripted host's reader: the input is a script, split into words,
// keys, control names and numbers, then run against a fresh control as
// dorvane-script runs it. `sql` lines are dropped so that no input touches a
// file; the fuzzer runs in a folder without data, so `let PathText` meets
// missing databases. A script error is an expected outcome; anything that
// escapes Run, or a sanitizer report, is a fault.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "apps/dorvane-script/hosted_parts.h"
#include "apps/dorvane-script/script_host.h"
#include "apps/dorvane-script/script_words.h"

namespace {

// Runs `read`, taking a script error as an expected outcome.
template <class Read>
void Quietly(Read read) {
  try {
    read();
  } catch (const scripthost::ScriptError&) {
  }
}

// Runs every lexical routine on each word of each line.
void ReadWords(const std::string& script) {
  std::istringstream lines(script);
  for (std::string line; std::getline(lines, line);) {
    Quietly([&] {
      for (const scripthost::Word& word : scripthost::SplitWords(line)) {
        std::string name;
        int index = 0;
        Quietly([&] { scripthost::ParseKey(word.text); });
        Quietly([&] { scripthost::ParseControlName(word.text, name, index); });
        Quietly([&] { scripthost::ParseWholeNumber(word.text, -32768, 32767, "fuzz"); });
      }
    });
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  ReadWords(input);
  std::istringstream lines(input);
  std::string script, line;
  while (std::getline(lines, line)) {
    if (line.find("sql") == std::string::npos) script += line + "\n";
  }
  std::ostringstream out, err;
  scripthost::ScriptHost host(scripthost::DorvaneControlFactory(), out, err);
  host.SetOpenSearchHook(scripthost::DorvaneSearchHook());
  std::istringstream in(script);
  const int status = host.Run(in);
  if (status != 0 && status != 2) __builtin_trap();
  return 0;
}
