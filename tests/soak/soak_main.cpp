// dorvane-soak: random scripts against one data folder while another process
// changes its files. Each run is a script of random key presses, typing and
// clicks (drawn from --seed and the run's number) given to dorvane-script;
// a run must end in time, without a crash, a sanitizer report, or a run-time
// error outside the store's and toolkit's classic ones. When the time
// (--seconds) or the count (--runs) is spent, the writer stops and the files
// must pass integrity_check, hold each saved list's tag once with the SYSTAGS
// counter ahead of it, every saved list with its items and no item without
// its list. A failure prints the seed, the run and the script, and keeps the
// folder. Relies on fork/exec, tests/support and soak_writer.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "soak/soak_writer.h"
#include "support/programs.h"
#include "support/sql_file.h"
#include "support/temp_folder.h"

namespace soak {
namespace {

namespace fs = std::filesystem;
constexpr const char* kToday = "2026-03-04";

// What one run of dorvane-script did.
struct Run {
  bool timedOut = false;
  int status = 0;  // as waitpid gives it
  std::string out, err;
};

// Runs dorvane-script on `script` in `folder`, killing it after `limit`.
Run RunScript(const std::string& folder, const std::string& script, std::chrono::seconds limit) {
  const std::string program = std::string(DORVANE_BIN_DIR) + "/dorvane-script";
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(folder.c_str()) != 0 || !freopen("run.out", "w", stdout) ||
        !freopen("run.err", "w", stderr)) {
      _exit(127);
    }
    execl(program.c_str(), "dorvane-script", script.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  Run run;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (waitpid(pid, &run.status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &run.status, 0);
      run.timedOut = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  run.out = testsupport::ReadText(folder + "/run.out");
  run.err = testsupport::ReadText(folder + "/run.err");
  return run;
}

// The run-time errors a user may meet: the store's classic errors and the
// toolkit's invalid call (5) and overflow, type mismatch and invalid use of
// Null. 51 (an exception that was no run-time error) and 3000 (an engine
// failure without a classic number) are faults.
bool Documented(int number) {
  static const std::set<int> kNumbers = {5,    6,    13,   94,   3021, 3022, 3024, 3027,
                                         3043, 3159, 3163, 3167, 3260, 3265, 3343};
  return kNumbers.count(number) > 0;
}

// Why a run failed, or "" when it did not. Script errors caused by a click
// or host action that the open form does not allow end a run early and are
// no fault.
std::string Judge(const Run& run, std::map<int, int>& hostErrors, int& endedEarly) {
  if (run.timedOut) return "hung (killed after the time limit)";
  if (WIFSIGNALED(run.status)) return "crashed with signal " + std::to_string(WTERMSIG(run.status));
  const int status = WEXITSTATUS(run.status);
  const bool benignScriptError =
      status == 2 && (run.err.find(": no control ") != std::string::npos ||
                      run.err.find("refused while a dialog is open") != std::string::npos);
  if (status != 0 && !benignScriptError) return "ended with status " + std::to_string(status);
  if (!benignScriptError && !run.err.empty()) return "wrote to standard error";
  endedEarly += benignScriptError;
  std::istringstream lines(run.out);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("HOST ERROR number=", 0) != 0) continue;
    const int number = std::atoi(line.c_str() + 18);
    ++hostErrors[number];
    if (!Documented(number)) return "an error outside the documented ones: " + line;
  }
  return {};
}

// The names of the controls a click may hit, on the control and on the
// company search dialog, read from their `screen` listings.
std::vector<std::string> ControlNames(const std::string& folder) {
  std::ofstream(folder + "/probe.script")
      << "today " << kToday << "\nlet PathText data\nscreen\nclick btnCOSearch\nscreen\n";
  const Run run = RunScript(folder, "probe.script", std::chrono::seconds(60));
  std::set<std::string> names;
  std::istringstream lines(run.out);
  for (std::string line; std::getline(lines, line);) {
    if (line.find(" visible=") != std::string::npos) names.insert(line.substr(0, line.find(' ')));
  }
  if (names.size() < 20) throw std::runtime_error("soak: the probe found no controls:\n" + run.out);
  return {names.begin(), names.end()};
}

// A random script of `count` commands: mostly keys the control and the dialog
// act on, some typing of company numbers, job numbers, names and dates, and
// clicks on any control.
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

// The checks on the files once the writer has stopped; returns the failures.
std::string CheckFiles(const std::string& data) {
  std::string failures;
  for (const char* file : {"MAIN.MDB", "QRLSYS.mdb"}) {
    testsupport::SqlFile db(data + "/" + file);
    const std::string check = db.Value("PRAGMA integrity_check");
    if (check != "ok") failures += std::string(file) + " integrity_check: " + check + "\n";
  }
  testsupport::SqlFile main(data + "/MAIN.MDB");
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
  for (const auto& check : kChecks) {
    for (const std::string& row : main.Lines(check.sql)) {
      failures += std::string(check.what) + ": " + row + "\n";
    }
  }
  return failures;
}

// Reads "--name value" options into numbers.
std::map<std::string, uint64_t> ReadOptions(int argc, char** argv) {
  std::map<std::string, uint64_t> options = {
      {"--seconds", 60}, {"--runs", 1000}, {"--seed", 1}, {"--commands", 60}};
  for (int i = 1; i + 1 < argc; i += 2) {
    if (!options.count(argv[i])) throw std::runtime_error(std::string("unknown option ") + argv[i]);
    options[argv[i]] = std::strtoull(argv[i + 1], nullptr, 10);
  }
  if (argc % 2 == 0) throw std::runtime_error("every option needs a value");
  return options;
}

int Soak(int argc, char** argv) {
  const auto options = ReadOptions(argc, argv);
  const uint64_t seed = options.at("--seed");
  char folderName[] = "/tmp/dorvane-soak-XXXXXX";
  if (!mkdtemp(folderName)) throw std::runtime_error("soak: cannot make a folder");
  const std::string folder = folderName;
  const std::string data = folder + "/data";
  const auto made = testsupport::RunDataTool({"init", data, "--companies", "6", "--jobs", "60",
                                              "--list", "5", "--saved", "3", "--today", kToday,
                                              "--weeks", "20", "--seed", std::to_string(seed)});
  if (made.status != 0) throw std::runtime_error("soak: dorvane-data failed: " + made.err);
  const std::vector<std::string> names = ControlNames(folder);

  Writer writer = StartWriter(data, seed * 7919 + 1);
  const auto start = std::chrono::steady_clock::now();
  const auto limit = std::chrono::seconds(options.at("--seconds"));
  std::map<int, int> hostErrors;
  int endedEarly = 0;
  std::string failure;
  uint64_t run = 0;
  for (; run < options.at("--runs") && std::chrono::steady_clock::now() - start < limit; ++run) {
    std::mt19937_64 random(seed * 1000003 + run);
    const int count =
        5 + static_cast<int>(random() % std::max<uint64_t>(1, options.at("--commands")));
    const std::string script = MakeScript(random, names, count);
    std::ofstream(folder + "/run.script") << script;
    const Run result = RunScript(folder, "run.script", std::chrono::seconds(30));
    if (std::string why = Judge(result, hostErrors, endedEarly); !why.empty()) {
      std::ostringstream report;
      report << "run " << run << " " << why << "\n--- script:\n"
             << script << "--- output:\n"
             << result.out << "--- standard error:\n"
             << result.err;
      failure = report.str();
      break;
    }
  }
  if (std::string why = StopWriter(writer); !why.empty()) failure += why + "\n";
  if (failure.empty()) failure = CheckFiles(data);

  std::cout << "soak: seed " << seed << ", " << run << " runs in "
            << std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() -
                                                                start)
                   .count()
            << " s (" << endedEarly
            << " ended early by a refused click or action); host errors by number:";
  for (const auto& [number, times] : hostErrors) std::cout << " " << number << "x" << times;
  std::cout << "\n";
  if (failure.empty()) {
    fs::remove_all(folder);
    return 0;
  }
  std::cout << "soak FAILED (replay with --seed " << seed << "; folder kept: " << folder << ")\n"
            << failure;
  return 1;
}

}  // namespace
}  // namespace soak

int main(int argc, char** argv) {
  try {
    return soak::Soak(argc, argv);
  } catch (const std::exception& e) {
    std::cerr << e.what() << "\n";
    return 2;
  }
}
