// Many sessions in one process, as a server runs them: each on a thread of its
// own with its own screen made current, the scripted host's desktop (which
// answers message boxes) set for the thread, and a ztDorvane on a data source,
// driven by random scripts of the soak, one after another. On a folder per
// session every session must print what the same scripts print when they run
// alone; on one shared folder, and on one database of the test server, every
// run must pass the soak's judgement and the saved lists must stay whole.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <latch>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "apps/dorvane-script/hosted_parts.h"
#include "apps/dorvane-script/script_host.h"
#include "services/screen/host_screen.h"
#include "soak/random_script.h"
#include "support/programs.h"
#include "support/temp_folder.h"
#include "support/test_server.h"

namespace {

namespace fs = std::filesystem;
constexpr int kSessions = 20;
constexpr int kScriptsEach = 3;
constexpr uint64_t kSeed = 20261207;

// What each script of a session printed.
using ScriptRun = testsupport::ProgramRun;
using Scripts = std::vector<std::string>;
using Session = std::vector<ScriptRun>;

// One session on the calling thread: a screen of its own, made current, on
// which the scripted host runs each script in turn with the data source
// "data" at `place`.
Session RunSession(const Scripts& scripts, const std::string& place) {
  screen::Screen window;
  screen::Screen::Use use(window);
  scripthost::SourceMap sources;
  sources.Add("data=" + place);
  Session session;
  for (const std::string& script : scripts) {
    std::ostringstream out;
    std::ostringstream err;
    ScriptRun run;
    {
      scripthost::MappedLines outLines(sources, out);
      scripthost::MappedLines errLines(sources, err);
      std::ostream outStream(&outLines);
      std::ostream errStream(&errLines);
      scripthost::ScriptHost host(scripthost::DorvaneControlFactory(), outStream, errStream);
      host.SetOpenSearchHook(scripthost::DorvaneSearchHook());
      host.SetSourceMap(sources);
      std::istringstream in(script);
      run.status = host.Run(in);
    }
    run.out = out.str();
    run.err = err.str();
    session.push_back(std::move(run));
  }
  return session;
}

// Session i runs scripts[i] on places[i]; all start together, each on a
// thread of its own.
std::vector<Session> RunAtOnce(const std::vector<Scripts>& scripts,
                               const std::vector<std::string>& places) {
  std::vector<Session> runs(scripts.size());
  std::latch start(static_cast<std::ptrdiff_t>(scripts.size()));
  std::vector<std::thread> threads;
  for (size_t i = 0; i < scripts.size(); ++i) {
    threads.emplace_back([&, i] {
      start.arrive_and_wait();
      runs[i] = RunSession(scripts[i], places[i]);
    });
  }
  for (std::thread& thread : threads) thread.join();
  return runs;
}

// The sessions' random scripts: the same for every run of the test, with
// clicks on the controls a probe on `place` lists.
std::vector<Scripts> SessionScripts(const std::string& place) {
  const std::vector<std::string> names =
      soak::ControlNames(RunSession({soak::ProbeScript()}, place).front().out);
  std::vector<Scripts> sessions(kSessions);
  for (int i = 0; i < kSessions; ++i) {
    std::mt19937_64 random(kSeed * 1000003 + i);
    for (int j = 0; j < kScriptsEach; ++j) {
      sessions[i].push_back(soak::MakeScript(random, names, 20 + static_cast<int>(random() % 60)));
    }
  }
  return sessions;
}

// Every run passes the soak's judgement; the failures name the session and
// show the script and its output.
void ExpectRunsPass(const std::vector<Session>& sessions, const std::vector<Scripts>& scripts) {
  std::map<int, int> hostErrors;
  for (size_t i = 0; i < sessions.size(); ++i) {
    for (size_t j = 0; j < sessions[i].size(); ++j) {
      const ScriptRun& run = sessions[i][j];
      bool endedEarly = false;
      EXPECT_EQ(soak::JudgeRun(run.status, run.out, run.err, hostErrors, endedEarly), "")
          << "session " << i << ", script " << j << "\n--- script:\n"
          << scripts[i][j] << "--- output:\n"
          << run.out << "--- standard error:\n"
          << run.err;
    }
  }
}

TEST(Sessions, EachOnItsOwnFolderPrintsWhatItPrintsAlone) {
  testsupport::TempFolder folder("dorvane-sessions");
  const std::string seed = folder.File("seed");
  ASSERT_EQ(testsupport::RunDataTool(soak::InitArguments(seed, kSeed)).status, 0);
  std::vector<std::string> alone;
  std::vector<std::string> together;
  for (int i = 0; i < kSessions; ++i) {
    for (auto* places : {&alone, &together}) {
      places->push_back(folder.File((places == &alone ? "alone" : "together") + std::to_string(i)));
      fs::copy(seed, places->back(), fs::copy_options::recursive);
    }
  }
  const std::vector<Scripts> scripts = SessionScripts(seed);
  std::vector<Session> expected;
  for (int i = 0; i < kSessions; ++i) expected.push_back(RunSession(scripts[i], alone[i]));
  ExpectRunsPass(expected, scripts);
  const std::vector<Session> sessions = RunAtOnce(scripts, together);
  int boxes = 0;
  int dialogs = 0;
  for (int i = 0; i < kSessions; ++i) {
    for (int j = 0; j < kScriptsEach; ++j) {
      const ScriptRun& run = sessions[i][j];
      EXPECT_TRUE(std::tie(run.status, run.out, run.err) ==
                  std::tie(expected[i][j].status, expected[i][j].out, expected[i][j].err))
          << "session " << i << ", script " << j << "\n--- script:\n"
          << scripts[i][j] << "--- alone:\n"
          << expected[i][j].out << expected[i][j].err << "--- together:\n"
          << run.out << run.err;
      boxes += run.out.find("MSGBOX") != std::string::npos;
      dialogs += run.out.find("DIALOG OPEN") != std::string::npos;
    }
  }
  // The scripts reach message boxes and search dialogs, so the sessions'
  // desktops and dialogs are tried too.
  EXPECT_GT(boxes, 0);
  EXPECT_GT(dialogs, 0);
}

TEST(Sessions, SharingOneFolderKeepsItWhole) {
  testsupport::TempFolder folder("dorvane-sessions");
  const std::string data = folder.File("data");
  ASSERT_EQ(testsupport::RunDataTool(soak::InitArguments(data, kSeed)).status, 0);
  const std::vector<Scripts> scripts = SessionScripts(data);
  ExpectRunsPass(RunAtOnce(scripts, std::vector<std::string>(kSessions, data)), scripts);
  EXPECT_EQ(soak::CheckFiles(data), "");
}

TEST(Sessions, SharingOneServerDatabaseKeepsItWhole) {
  DORVANE_REQUIRE_TEST_SERVER();
  testsupport::TestDatabase db;
  ASSERT_EQ(testsupport::RunDataTool(soak::InitArguments(db.Uri(), kSeed)).status, 0);
  const std::vector<Scripts> scripts = SessionScripts(db.Uri());
  ExpectRunsPass(RunAtOnce(scripts, std::vector<std::string>(kSessions, db.Uri())), scripts);
  EXPECT_EQ(soak::CheckSavedLists([&](const std::string& sql) {
              return testsupport::PgRows(db.Uri(), "SET search_path TO main; " + sql);
            }),
            "");
}

}  // namespace
