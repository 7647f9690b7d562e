// A failing disk under every writing action of the control. For each action
// (add, edit, delete, save, new list, retrieve, save issuing a tag) and each
// kind of file call (read, write, sync, lock), a clean run counts the calls the
// action makes; then the action runs again on a fresh copy of the data for
// each N, with the store's VFS failing the N-th call (an I/O error, or a full
// disk for every other write). After each run: a failure the action did not
// survive reached the user as the store's disk error, the file passes
// integrity_check and holds the state before the action or the state after
// it, never a mix, and the same control works again once the disk is sound.
#include <algorithm>
#include <filesystem>
#include <iostream>

#include "control_fixture.h"
#include "services/recordstore/fault_vfs.h"
#include "writing_actions.h"

namespace {

namespace fs = std::filesystem;
using recordstore::FaultVfs;

using writingactions::Action;
using writingactions::kActions;

const FaultVfs::Call kCalls[] = {FaultVfs::Call::kRead, FaultVfs::Call::kWrite,
                                 FaultVfs::Call::kSync, FaultVfs::Call::kLock};
const char* const kCallNames[] = {"read", "write", "sync", "lock"};

class DiskFaultTest : public ControlTest {
 protected:
  void TearDown() override {
    FaultVfs::Disarm();
    ControlTest::TearDown();
  }

  // The tag counter of SYSTAGS.
  static std::string Counter(const std::string& folder) {
    return testsupport::SqlFile(folder + "/MAIN.MDB", SQLITE_OPEN_READONLY)
        .Value("SELECT TJLTAG FROM SYSTAGS");
  }

  // A fresh copy of the template, the control placed on it with a sound disk.
  std::string Fresh(const std::string& name) {
    std::string folder = root.File(name);
    fs::remove_all(folder);
    fs::copy(original, folder, fs::copy_options::recursive);
    OpenAfresh(folder);
    return folder;
  }

  // True when the user was told of a disk failure with the store's error.
  bool DiskErrorReported() const {
    const std::string told = Told();
    for (const char* words : {"3043", "3026", "Disk or network error", "Not enough space"}) {
      if (told.find(words) != std::string::npos) return true;
    }
    return false;
  }

  // Runs `action` failing each call of `kind` in turn; returns the runs made.
  int Sweep(const Action& action, int kind) {
    const std::string where = std::string(action.name) + ", " + kCallNames[kind];
    const std::string before = ListTables(original);
    std::string folder = Fresh("clean");
    FaultVfs::Arm(kCalls[kind], 0, SQLITE_IOERR);  // counts only
    action.run(*control);
    FaultVfs::Disarm();
    const int total = FaultVfs::Calls();
    const std::string after = ListTables(folder);
    const std::string counterBefore = Counter(original), counterAfter = Counter(folder);
    EXPECT_NE(after, before) << where << ": the clean run changed nothing";
    EXPECT_TRUE(desktop.errors.empty()) << where;
    // Long runs are sampled, keeping the first and the last calls.
    const int step = total > 60 ? total / 30 : 1;
    int runs = 0;
    for (int n = 1; n <= total; n += (n < 10 || n > total - 10) ? 1 : step) {
      const std::string at = where + " call " + std::to_string(n) + " of " + std::to_string(total);
      folder = Fresh("run");
      const bool full = kCalls[kind] == FaultVfs::Call::kWrite && n % 2 == 0;
      FaultVfs::Arm(kCalls[kind], n, full ? SQLITE_FULL : SQLITE_IOERR);
      action.run(*control);
      FaultVfs::Disarm();
      ++runs;
      const std::string state = ListTables(folder);
      EXPECT_EQ(testsupport::SqlFile(folder + "/MAIN.MDB").Value("PRAGMA integrity_check"), "ok")
          << at;
      EXPECT_TRUE(state == before || state == after) << at << ": a mixed state\n"
                                                     << state << "before:\n"
                                                     << before << "after:\n"
                                                     << after << Told();
      const std::string counter = Counter(folder);
      EXPECT_TRUE(counter == counterBefore || counter == counterAfter) << at << ": " << counter;
      if (state == before && FaultVfs::Fired()) {
        EXPECT_TRUE(DiskErrorReported()) << at << Told();
      }
      for (const auto& error : desktop.errors) {
        EXPECT_TRUE(error.Number() == 3043 || error.Number() == 3026)
            << at << ": " << error.Number() << " " << error.Description();
      }
      ExpectOpensAgain(folder, at);  // on a sound disk
    }
    return runs;
  }

  std::string original;
};

TEST_F(DiskFaultTest, EveryWritingActionSurvivesEachFailingCall) {
  const std::string plain = MakeFolder("plain", {"--today", "2024-03-06"});
  const std::string fresh = MakeFolder("fresh", {"--today", "2024-03-06"});
  Exec(fresh, "MAIN.MDB", "UPDATE TJLIST SET TJLTAG = 0");  // saving it issues a tag
  for (const Action& action : kActions) {
    original = action.issuesATag ? fresh : plain;
    for (int kind = 0; kind < 4; ++kind) {
      const int runs = Sweep(action, kind);
      std::cout << action.name << ", " << kCallNames[kind] << ": " << runs << " runs\n";
    }
  }
}

// A disk failing while the list loads: whatever the page came to show, D
// never deletes a record the user was not shown.
TEST_F(DiskFaultTest, AListThatFailedToLoadDeletesNoUnseenRecord) {
  original = MakeFolder("plain", {"--list", "6", "--today", "2024-03-06"});
  auto jobs = [](const std::string& folder) {
    return testsupport::SqlFile(folder + "/MAIN.MDB").Lines("SELECT JOBNO FROM TJLIST");
  };
  for (int kind : {0, 3}) {  // reads and locks
    Fresh("clean");
    FaultVfs::Arm(kCalls[kind], 0, SQLITE_IOERR);
    control->SetPathText(root.File("clean"));
    FaultVfs::Disarm();
    const int total = FaultVfs::Calls();
    for (int n = 1; n <= total; ++n) {
      const std::string at = std::string(kCallNames[kind]) + " call " + std::to_string(n);
      const std::string folder = Fresh("run");
      FaultVfs::Arm(kCalls[kind], n, SQLITE_IOERR);
      try {
        control->SetPathText(folder);
      } catch (const base::RuntimeError& error) {
        EXPECT_EQ(error.Number(), 3043) << at;  // the host reports it and goes on
      }
      FaultVfs::Disarm();
      std::string shown;
      for (int row = 0; row < 4; ++row) shown += Caption("lblJOBNO", row) + "|";
      const std::vector<std::string> before = jobs(folder);
      screen::PressKey('D', 0);
      for (const std::string& job : before) {
        const std::vector<std::string> after = jobs(folder);
        if (std::find(after.begin(), after.end(), job) == after.end()) {
          EXPECT_NE(shown.find(job), std::string::npos)
              << at << ": deleted " << job << ", which the page did not show: " << shown;
        }
      }
    }
  }
}

}  // namespace
