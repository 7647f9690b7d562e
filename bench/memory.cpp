// Peak memory of the process with the control showing a folder's list and the
// job search open over it (End pressed and a number typed in the dialog), for
// folders of 1,000 and 1,000,000 jobs and for a million jobs with a list of
// 100,000 rows. Each measure runs in a process of its own (this program
// started again with --measure FOLDER), which reports its peak resident size
// (VmHWM of /proc/self/status) while the dialog is open. The peak with the
// large folders must stay within 10 MiB of the peak with the small one: no
// step may read a table into memory.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "control/ztDorvane.h"
#include "services/screen/screen.h"

namespace {

constexpr long kLimitKiB = 10L * 1024;

// The peak resident size of this process in KiB, 0 when unknown.
long PeakResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return 0;
}

// The child: the control on `folder`, an entry for company 1 and its job
// search open; prints the peak while the dialog is open.
int Measure(const std::string& folder) {
  screen::HeadlessDesktop desktop;
  screen::SetDesktop(&desktop);
  auto control = std::make_unique<ztDorvane>();
  screen::PlaceUserControl(control.get());
  screen::FocusUserControl();
  control->SetPathText(folder);
  screen::PressKey(screen::kKeyEnd, 0);
  screen::PressKey('A', 0);
  for (char ch : std::string("1\r")) {
    const auto key = screen::KeyOfCharacter(ch);
    screen::PressKey(key->keyCode, key->shift);
  }
  long peak = 0;
  desktop.QueueModalAction([&] {
    screen::PressKey(screen::kKeyEnd, 0);
    screen::PressKey(screen::kKeyHome, 0);
    screen::PressKey('5', 0);
    screen::PressKey(screen::kKeyPageDown, 0);
    peak = PeakResidentKiB();
    screen::PressKey(screen::kKeyEscape, 0);
  });
  screen::ClickControl(*control->Find("btnJOBSearch"));
  screen::PlaceUserControl(nullptr);
  control.reset();
  screen::SetDesktop(nullptr);
  if (!desktop.messageBoxes.empty() || desktop.modalForms.empty()) {
    std::fprintf(stderr, "the search did not open on %s\n", folder.c_str());
    return 1;
  }
  std::printf("%ld\n", peak);
  return 0;
}

// Runs this program again to measure `folder`; the peak in KiB, 0 on failure.
long MeasureInChild(const std::string& self, const std::string& folder) {
  const std::string command = "'" + self + "' --measure '" + folder + "'";
  FILE* child = popen(command.c_str(), "r");
  if (child == nullptr) return 0;
  long peak = 0;
  if (std::fscanf(child, "%ld", &peak) != 1) peak = 0;
  return pclose(child) == 0 ? peak : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--measure") return Measure(argv[2]);
  const std::string self = "/proc/" + std::to_string(getpid()) + "/exe";
  struct Case {
    const char* label;
    int64_t jobs;
    int64_t listRows;
  };
  const std::vector<Case> cases = {{"1,000 jobs, list of 10", 1000, 10},
                                   {"1,000,000 jobs, list of 10", 1000000, 10},
                                   {"1,000,000 jobs, list of 100,000", 1000000, 100000}};
  std::printf("\nPeak resident size with the list shown and the job search open\n");
  long base = 0;
  bool within = true;
  for (const Case& c : cases) {
    const long peak = MeasureInChild(self, bench::ActionFolder(c.jobs, c.listRows));
    if (peak == 0) {
      std::printf("%-34s could not be measured\n", c.label);
      within = false;
      continue;
    }
    if (base == 0) base = peak;
    const long growth = peak - base;
    within = within && growth <= kLimitKiB;
    std::printf("%-34s %8ld KiB  %+7ld KiB\n", c.label, peak, growth);
  }
  std::printf("%s (limit: %ld KiB above the smallest folder)\n",
              within ? "within the limit" : "OVER THE LIMIT", kLimitKiB);
  return 0;
}
