// dorvane-soak: random scripts against one data folder while another process
// changes its files. Each run is a script of random key presses, typing and
// clicks (drawn from --seed and the run's number) given to dorvane-script;
// a run must end in time, without a crash, a sanitizer report, or a run-time
// error outside the store's and toolkit's classic ones. When the time
// (--seconds) or the count (--runs) is spent, the writer stops and the files
// must pass integrity_check, hold each saved list's tag once with the SYSTAGS
// counter ahead of it, every saved list with its items and no item without
// its list. A failure prints the seed, the run and the script, and keeps the
// folder. Relies on timeout(1), tests/support and soak_writer.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "soak/random_script.h"
#include "soak/soak_writer.h"
#include "support/programs.h"

namespace soak {
namespace {

namespace fs = std::filesystem;

// Runs dorvane-script on `script` in `folder`; `timeout` ends it after `seconds`.
testsupport::ProgramRun RunScript(const std::string& folder, const std::string& script,
                                  int seconds) {
  return testsupport::RunProgram("dorvane-script", {script}, folder,
                                 "timeout -k 5 " + std::to_string(seconds));
}

// Why a run failed, or "" when it did not.
std::string Judge(const testsupport::ProgramRun& run, std::map<int, int>& hostErrors,
                  int& endedEarly) {
  if (run.status == 124 || run.status == 137) return "hung (killed after the time limit)";
  if (run.status < 0 || run.status > 128) {
    return "crashed (status " + std::to_string(run.status) + ")";
  }
  bool early = false;
  std::string why = JudgeRun(run.status, run.out, run.err, hostErrors, early);
  endedEarly += early;
  return why;
}

// The names of the controls a click may hit, from a run of the probe script.
std::vector<std::string> ProbeControlNames(const std::string& folder) {
  std::ofstream(folder + "/probe.script") << ProbeScript();
  return ControlNames(RunScript(folder, "probe.script", 60).out);
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
  const auto made = testsupport::RunDataTool(InitArguments(data, seed));
  if (made.status != 0) throw std::runtime_error("soak: dorvane-data failed: " + made.err);
  const std::vector<std::string> names = ProbeControlNames(folder);

  const pid_t writer = StartWriter(data, seed * 7919 + 1);
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
    const testsupport::ProgramRun result = RunScript(folder, "run.script", 30);
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
  if (std::string why = StopWriter(data, writer); !why.empty()) failure += why + "\n";
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
