// Random scripts and the checks on their runs and on the data they wrote.
#include "soak/random_script.h"

#include <cstdlib>
#include <iterator>
#include <set>
#include <sstream>
#include <stdexcept>

#include "support/sql_file.h"

namespace soak {

std::vector<std::string> InitArguments(const std::string& place, uint64_t seed) {
  return {"init",    place, "--companies", "6",    "--jobs",  "60", "--list", "5",
          "--saved", "3",   "--today",     kToday, "--weeks", "20", "--seed", std::to_string(seed)};
}

// The listings of the control and, once btnCOSearch opened it, of the dialog.
std::string ProbeScript() {
  return std::string("today ") + kToday +
         "\nlet PathText data\nscreen\nclick btnCOSearch\nscreen\n";
}

std::vector<std::string> ControlNames(const std::string& probeOutput) {
  std::set<std::string> names;
  std::istringstream lines(probeOutput);
  for (std::string line; std::getline(lines, line);) {
    if (line.find(" visible=") != std::string::npos) names.insert(line.substr(0, line.find(' ')));
  }
  if (names.size() < 20) throw std::runtime_error("the probe found no controls:\n" + probeOutput);
  return {names.begin(), names.end()};
}

std::string MakeScript(std::mt19937_64& random, const std::vector<std::string>& names, int count) {
  static const char* const kKeys[] = {
      "A",         "D",         "E",     "N",     "S",      "R",         "Enter", "Enter", "Esc",
      "Tab",       "Shift+Tab", "Up",    "Down",  "PageUp", "PageDown",  "Home",  "End",   "Space",
      "Backspace", "Delete",    "/",     "?",     "F2",     "F4",        "Alt+S", "Alt+A", "Alt+E",
      "Alt+D",     "Alt+U",     "Alt+C", "Alt+N", "Alt+R",  "Ctrl+Home", "1",     "2",     "x"};
  static const char* const kTexts[] = {"1",      "2",        "12",        "99",
                                       "0",      "EJ916",    "jk887",     "A1",
                                       "3/6/26", "12/31/99", "2/30/26",   "\"Saved by soak\"",
                                       "-",      "\"\"",     "123456789", "%"};
  auto pick = [&](auto& list) { return list[random() % std::size(list)]; };
  std::string script = std::string("today ") + kToday + "\nlet PathText data\n";
  for (int i = 0; i < count; ++i) {
    const unsigned choice = random() % 10;
    if (choice < 6) {
      script += std::string("press ") + pick(kKeys) + "\n";
    } else if (choice < 8) {
      script += std::string("type ") + pick(kTexts) + "\n";
    } else if (choice < 9) {
      script += "click " + names[random() % names.size()] + "\n";
    } else {
      script += "screen\n";
    }
  }
  return script;
}

// The store's classic errors and the toolkit's invalid call (5) and overflow,
// type mismatch and invalid use of Null. 51 (an exception that was no
// run-time error) and 3000 (an engine failure without a classic number) are
// faults.
std::string JudgeRun(int status, const std::string& out, const std::string& err,
                     std::map<int, int>& hostErrors, bool& endedEarly) {
  static const std::set<int> kNumbers = {5,    6,    13,   94,   3021, 3022, 3024, 3027,
                                         3043, 3159, 3163, 3167, 3260, 3265, 3343};
  endedEarly = status == 2 && (err.find(": no control ") != std::string::npos ||
                               err.find("refused while a dialog is open") != std::string::npos);
  if (status != 0 && !endedEarly) return "ended with status " + std::to_string(status);
  if (!endedEarly && !err.empty()) return "wrote to standard error";
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("HOST ERROR number=", 0) != 0) continue;
    const int number = std::atoi(line.c_str() + 18);
    ++hostErrors[number];
    if (kNumbers.count(number) == 0) return "an error outside the documented ones: " + line;
  }
  return {};
}

std::string CheckSavedLists(const MainRows& rows) {
  const struct {
    const char* what;
    const char* sql;
  } kChecks[] = {
      {"a saved list's tag held twice",
       "SELECT TJLTAG FROM TJLGROUPS GROUP BY TJLTAG HAVING count(*) > 1"},
      {"SYSTAGS not ahead of a saved list's tag",
       "SELECT TJLTAG FROM TJLGROUPS WHERE TJLTAG >= (SELECT max(TJLTAG) FROM SYSTAGS)"},
      {"SYSTAGS without its one row", "SELECT count(*) FROM SYSTAGS HAVING count(*) <> 1"},
      {"a saved list without items",
       "SELECT TJLTAG FROM TJLGROUPS WHERE TJLTAG NOT IN (SELECT TJLTAG FROM TJLITEMS)"},
      {"items of a list that is not saved (half-saved)",
       "SELECT DISTINCT TJLTAG FROM TJLITEMS WHERE TJLTAG NOT IN (SELECT TJLTAG FROM TJLGROUPS)"},
  };
  std::string failures;
  for (const auto& check : kChecks) {
    for (const std::string& row : rows(check.sql)) {
      failures += std::string(check.what) + ": " + row + "\n";
    }
  }
  return failures;
}

std::string CheckFiles(const std::string& data) {
  std::string failures;
  for (const char* file : {"MAIN.MDB", "QRLSYS.mdb"}) {
    testsupport::SqlFile db(data + "/" + file);
    const std::string check = db.Value("PRAGMA integrity_check");
    if (check != "ok") failures += std::string(file) + " integrity_check: " + check + "\n";
  }
  testsupport::SqlFile main(data + "/MAIN.MDB");
  return failures + CheckSavedLists([&](const std::string& sql) { return main.Lines(sql); });
}

}  // namespace soak
