// The control's user actions as the benchmark programs drive them through the
// toolkit, on any data source (a folder, a server database, the same database
// through a slow link): the PathText Let, the list keys Down, Page Down and
// End, an add-update cycle typed into the entry boxes, the company and job
// checks, the company check right after a search, opening each search from
// its button and Select in the job search. bench_control times them beside
// their SQLite floors, bench_link at each round trip of a delayed link.
//
// Header only: every bench/*.cpp is a program of its own.
#pragma once

#include <benchmark/benchmark.h>
#include <time.h>

#include <functional>
#include <memory>
#include <string>

#include "bench/bench_support.h"
#include "control/ztDorvane.h"
#include "services/screen/screen.h"

namespace bench {

constexpr double kToday = 45357;  // 6 March 2024, the benchmark data's today

// The first job of company 1 as stored in a data folder.
inline std::string FirstJobOfCompanyOne(const std::string& folder) {
  PlainDb db(folder + "/MAIN.MDB");
  sqlite3_stmt* stmt = db.Statement(
      "SELECT JOBNO FROM JOBLIST WHERE CONO = 1 ORDER BY JOBNO COLLATE NOCASE LIMIT 1");
  std::string jobNo;
  if (sqlite3_step(stmt) == SQLITE_ROW) {
    jobNo = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
  }
  sqlite3_reset(stmt);
  return jobNo;
}

// Where an action runs: the data source given to PathText, the first job of
// company 1 as typed (no leading blanks), and whether the actions timed by
// hand take the wall time (on a server: its work is not this thread's CPU).
struct Place {
  std::string source;
  std::string jobNo;
  bool wallTime = false;
};

// The Place of `source`, whose rows are those of the data folder `folder`.
inline Place PlaceOf(const std::string& source, const std::string& folder, bool wallTime) {
  const std::string stored = FirstJobOfCompanyOne(folder);
  return {source, stored.substr(stored.find_first_not_of(' ')), wallTime};
}

// One control placed on a headless screen with the focus, showing a list,
// then brought to where the run starts by `setup`. The requests of both, and
// of closing the control, are left out of the round-trip count.
struct ControlBench {
  screen::HeadlessDesktop desktop;
  std::unique_ptr<ztDorvane> control;
  std::string folder;
  std::string jobNo;

  explicit ControlBench(const Place& place,
                        const std::function<void(ControlBench&)>& setup = nullptr)
      : folder(place.source), jobNo(place.jobNo) {
    screen::ResetScreen();
    desktop.SetToday(kToday);
    screen::SetDesktop(&desktop);
    Untimed([&] {
      control = std::make_unique<ztDorvane>();
      screen::PlaceUserControl(control.get());
      screen::FocusUserControl();
      control->SetPathText(folder);
      if (setup) setup(*this);
    });
  }
  ~ControlBench() {
    Untimed([&] {
      screen::PlaceUserControl(nullptr);
      control.reset();
    });
    screen::ResetScreen();
    screen::SetDesktop(nullptr);
  }

  std::string JobName(int row) {
    return static_cast<screen::Label*>(control->Find("lblJOBNAME", row))->Caption();
  }
  int CurrentRow() { return control->StateField("CurrentRow")->ToInteger(); }
  bool OnEndMarker() { return JobName(CurrentRow()) == "End of List"; }
  // True when the highlighted row or the one below it shows the end marker.
  bool NearEnd() {
    const int row = CurrentRow();
    return OnEndMarker() || (row < 3 && JobName(row + 1) == "End of List");
  }
  void Click(const char* name) { screen::ClickControl(*control->Find(name)); }
  // Home, then Down to the bottom row: from there every Down scrolls.
  void ToBottomRow() {
    screen::PressKey(screen::kKeyHome, 0);
    for (int i = 0; i < 3; ++i) screen::PressKey(screen::kKeyDown, 0);
  }
  // The user types text: each character as the key that gives it.
  static void Type(const std::string& text) {
    for (char ch : text) {
      const auto key = screen::KeyOfCharacter(ch);
      if (key) screen::PressKey(key->keyCode, key->shift);
    }
  }
  // Starts an add with company 1 entered: the job box has the focus.
  void StartAdd() {
    screen::PressKey('A', 0);
    Type("1\r");
  }
  // Adds the first job of company 1 as a new row of the list.
  void AddRow() {
    StartAdd();
    Type(jobNo + "\r\r");
  }
  bool Refused() { return control->StateField("EntryMode")->ToString() != " "; }
};

inline void ControlPathText(benchmark::State& state, const Place& place) {
  ControlBench bench(place);
  for (auto _ : state) bench.control->SetPathText(bench.folder);
  if (!bench.desktop.messageBoxes.empty()) state.SkipWithError("the control reported an error");
}

inline void ControlDown(benchmark::State& state, const Place& place) {
  ControlBench bench(place, [](ControlBench& at) { at.ToBottomRow(); });
  for (auto _ : state) {
    screen::PressKey(screen::kKeyDown, 0);
    if (bench.OnEndMarker()) {
      Pause(state);
      bench.ToBottomRow();
      Resume(state);
    }
  }
}

inline void ControlPageDown(benchmark::State& state, const Place& place) {
  ControlBench bench(place);
  for (auto _ : state) {
    screen::PressKey(screen::kKeyPageDown, 0);
    if (bench.NearEnd()) {
      Pause(state);
      screen::PressKey(screen::kKeyHome, 0);
      Resume(state);
    }
  }
}

inline void ControlEnd(benchmark::State& state, const Place& place) {
  ControlBench bench(place);
  for (auto _ : state) screen::PressKey(screen::kKeyEnd, 0);
}

// "A", company 1, Enter, a job, Enter, Enter on cmdUpdate: the row is written
// and the page rebuilt around it. The "D" that deletes it again is not timed.
inline void ControlAddUpdate(benchmark::State& state, const Place& place) {
  ControlBench bench(place);
  for (auto _ : state) {
    bench.AddRow();
    Pause(state);
    if (bench.Refused()) {
      state.SkipWithError("the entry was refused");
      break;
    }
    screen::PressKey('D', 0);
    Resume(state);
  }
}

// The check a box makes when Tab leaves it, timed; the Shift+Tab that comes
// back to the box is not.
inline void TimedTabOut(benchmark::State& state) {
  screen::PressKey(screen::kKeyTab, 0);
  Pause(state);
  screen::PressKey(screen::kKeyTab, screen::kShiftMask);
  Resume(state);
}

// The Tab that leaves the company box with "1" in it; the Shift+Tab back from
// the job box is not timed.
inline void ControlCompanyCheck(benchmark::State& state, const Place& place) {
  ControlBench bench(place, [](ControlBench&) { screen::PressKey('A', 0); });
  for (auto _ : state) {
    Pause(state);
    ControlBench::Type("1");
    Resume(state);
    TimedTabOut(state);
  }
  if (bench.control->StateField("CompanyNo")->ToInteger() != 1) state.SkipWithError("no company");
}

// The company check right after a search was cancelled: the dialog took the
// focus from the control, so the check opens the connection again first. The
// search itself is not timed.
inline void ControlCheckAfterSearch(benchmark::State& state, const Place& place) {
  ControlBench bench(place, [](ControlBench&) { screen::PressKey('A', 0); });
  for (auto _ : state) {
    Pause(state);
    bench.desktop.QueueModalAction([] { screen::PressKey(screen::kKeyEscape, 0); });
    bench.Click("btnCOSearch");
    ControlBench::Type("1");
    Resume(state);
    TimedTabOut(state);
  }
  if (bench.control->StateField("ReopenNeeded")->ToBoolean()) state.SkipWithError("no reopen");
}

// The Tab that leaves the job box with a job of company 1 in it; the
// Shift+Tab back from cmdUpdate is not timed.
inline void ControlJobCheck(benchmark::State& state, const Place& place) {
  ControlBench bench(place, [](ControlBench& at) { at.StartAdd(); });
  for (auto _ : state) {
    Pause(state);
    ControlBench::Type(bench.jobNo);
    Resume(state);
    TimedTabOut(state);
  }
  if (!bench.control->StateField("EntryValid")->ToBoolean()) state.SkipWithError("job refused");
}

// A click on a search button; the dialog opens, shows its first page and is
// closed with Esc. The company and job buttons are shown in the edit mode.
// One search before the timing brings the control to the state every later
// one starts from (its connection to be opened again after a dialog).
inline void OpenSearch(benchmark::State& state, const Place& place, const char* button,
                       bool entry) {
  ControlBench bench(place, [entry, button](ControlBench& at) {
    if (entry) at.StartAdd();
    at.desktop.QueueModalAction([] { screen::PressKey(screen::kKeyEscape, 0); });
    at.Click(button);
  });
  for (auto _ : state) {
    bench.desktop.QueueModalAction([] { screen::PressKey(screen::kKeyEscape, 0); });
    bench.Click(button);
  }
  if (bench.desktop.modalForms.empty()) state.SkipWithError("no dialog opened");
}

inline void ControlCompanySearch(benchmark::State& state, const Place& place) {
  OpenSearch(state, place, "btnCOSearch", true);
}
inline void ControlJobSearch(benchmark::State& state, const Place& place) {
  OpenSearch(state, place, "btnJOBSearch", true);
}
inline void ControlPESearch(benchmark::State& state, const Place& place) {
  OpenSearch(state, place, "btnBPESearch", false);
}
inline void ControlListSearch(benchmark::State& state, const Place& place) {
  OpenSearch(state, place, "cmdRetreiveList", false);
}

// The CPU time of this thread in seconds: the hand-timed actions are timed in
// CPU time like the others, since the machine is shared and wall time waits.
inline double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The wall time in seconds, for actions whose waits are the point.
inline double WallSeconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Enter in the open job search (its first job is selected) until the control
// has put the job into its box: timed by hand from the key to the return, and
// only its requests counted (not the dialog's opening).
inline void ControlSelect(benchmark::State& state, const Place& place) {
  ControlBench bench(place, [](ControlBench& at) { at.StartAdd(); });
  const auto clock = place.wallTime ? WallSeconds : ThreadSeconds;
  for (auto _ : state) {
    double start = 0;
    UntimedTrips opening;
    bench.desktop.QueueModalAction([&] {
      opening.LeaveOut();
      start = clock();
      screen::PressKey(screen::kKeyReturn, 0);
    });
    bench.Click("btnJOBSearch");
    state.SetIterationTime(clock() - start);
  }
  if (bench.control->StateField("JobNoText")->ToString().find(bench.jobNo) == std::string::npos) {
    state.SkipWithError("the job was not selected");
  }
}

}  // namespace bench
