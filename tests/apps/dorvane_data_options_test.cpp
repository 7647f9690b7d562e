// Tests the command line of dorvane-data: refusing to overwrite a folder's
// files, --force, bad options and repeatable output; and the conventions
// dorvane-data and dorvane-script share (--help, --version, usage errors).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/programs.h"
#include "support/sql_file.h"
#include "support/temp_folder.h"

namespace datatool {
namespace {

namespace fs = std::filesystem;
using testsupport::ProgramRun;
using testsupport::SqlFile;
using testsupport::TempFolder;

// Runs init FOLDER with the options and returns what the program did.
ProgramRun Init(const fs::path& folder, std::vector<std::string> options = {}) {
  options.insert(options.begin(), {"init", folder.string()});
  return testsupport::RunDataTool(options);
}

// A folder's files are replaced only with --force, and not while in use; the
// settings file alone, in any case, also blocks; a plain file in the way is named.
TEST(ExistingFolder, IsReplacedOnlyWithForceAndNotWhileInUse) {
  TempFolder scratch;
  const fs::path folder = scratch.File("nested/folder");
  ASSERT_EQ(Init(folder).status, 0);
  SqlFile(folder / "MAIN.MDB").Exec("INSERT INTO COLIST (CONO, CONAME) VALUES (0, 'MARKER')");
  const auto markerKept = [&] {
    return SqlFile(folder / "MAIN.MDB").Value("SELECT count(*) FROM COLIST WHERE CONO = 0") == "1";
  };
  ProgramRun run = Init(folder);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("--force"), std::string::npos) << run.err;
  EXPECT_TRUE(markerKept());
  {
    SqlFile reader(folder / "MAIN.MDB");
    EXPECT_EQ(reader.Value("SELECT count(*) FROM COLIST"), "13");  // holds the file open
    run = Init(folder, {"--force"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("in use"), std::string::npos) << run.err;
    EXPECT_TRUE(markerKept());
  }
  run = Init(folder, {"--force", "--no-qrlsys"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_FALSE(markerKept());
  // No half-built file is left behind.
  for (const auto& entry : fs::directory_iterator(folder)) {
    EXPECT_EQ(entry.path().filename(), "MAIN.MDB");
  }

  const fs::path other = scratch.File("other");
  ASSERT_EQ(Init(other).status, 0);
  fs::remove(other / "MAIN.MDB");
  fs::rename(other / "QRLSYS.mdb", other / "qrlsys.MDB");
  EXPECT_EQ(Init(other).status, 1);
  EXPECT_TRUE(fs::exists(other / "qrlsys.MDB"));
  EXPECT_FALSE(fs::exists(other / "MAIN.MDB"));

  std::ofstream(scratch.File("file")) << "not a folder";
  run = Init(scratch.File("file"));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("not a folder"), std::string::npos) << run.err;
}

// Bad command lines get the usage text and status 2, and make nothing; some
// name what is wrong first: the word in the way after `schema`, the range of
// dates a --today must keep the period-ending dates in.
TEST(CommandLine, BadOnesGiveTheUsageAndStatusTwo) {
  TempFolder scratch;
  const std::string d = scratch.File("d");
  // Command lines split at ";", D standing for a new folder; 100 numerical
  // jobs of width 2 cannot all differ (1..99).
  std::istringstream commandLines(
      ";create D;init;init D --colour;init D --jobs;init D --jobs 12x;init D --companies 100;"
      "init D --jobno-size 9;init D --jobno-type c;init D --jobs 5 --list 6;"
      "init D --big-company 13:5;init D --today 2023-02-29;"
      "init D --companies 1 --jobs 100 --jobno-size 2 --jobno-type N;init D --today 9999-12-31;"
      "init D --today 0100-01-01 --weeks 10;schema extra;schema --postgres extra;"
      "schema extra --postgres");
  for (std::string line; std::getline(commandLines, line, ';');) {
    SCOPED_TRACE(line);
    const std::string message =
        line.starts_with("schema") ? "dorvane-data: schema takes only --postgres, not extra\n"
        : line.find("--today 9999") != std::string::npos || line.find("0100") != std::string::npos
            ? "makes period-ending dates outside 0100-01-01..9999-12-31"
            : "";
    std::vector<std::string> args;
    std::istringstream words(line);
    for (std::string word; words >> word;) args.push_back(word == "D" ? d : word);
    const ProgramRun run = testsupport::RunDataTool(args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("\n\nusage: dorvane-data init FOLDER"), std::string::npos) << run.err;
    EXPECT_NE(run.err.substr(0, run.err.find('\n') + 1).find(message), std::string::npos);
  }
  EXPECT_FALSE(fs::exists(d));
}

// Help and version go to standard output with status 0 and read no file;
// a usage error is reported on standard error only, with status 2.
TEST(CommandLine, HelpVersionAndUsageErrorsAsEveryProgramGivesThem) {
  TempFolder scratch;
  for (const std::string program : {"dorvane-data", "dorvane-script"}) {
    for (const std::string help : {"-h", "--help"}) {
      const ProgramRun run = testsupport::RunProgram(program, {help}, scratch.Path());
      EXPECT_EQ(run.status, 0) << program << " " << help << ": " << run.err;
      EXPECT_NE(run.out.find("--version"), std::string::npos) << run.out;
      EXPECT_EQ(run.err, "") << program << " " << help;
    }
    ProgramRun run = testsupport::RunProgram(program, {"--version"}, scratch.Path());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, program + " " + DORVANE_VERSION + "\n");
    run = testsupport::RunProgram(program, {"--colour"}, scratch.Path());
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind(program + ": ", 0), 0u) << run.err;
  }
}

// --today takes every real date whose period-ending dates fit the range a
// Date holds (the dates outside it are bad command lines above). Another seed
// gives other jobs; more weeks leave the jobs as they were (the same options
// give the same data: every scenario's output depends on it).
TEST(Init, TodayAtTheEndsOfTheRangeAndSeedsAndWeeks) {
  TempFolder scratch;
  for (const auto& [folder, options] :
       std::vector<std::pair<std::string, std::vector<std::string>>>{
           {"late", {"--today", "9999-01-01", "--weeks", "3"}},
           {"early", {"--today", "0100-01-01", "--weeks", "1"}},
           {"a", {"--seed", "42", "--today", "2025-06-01"}},
           {"b", {"--seed", "43", "--today", "2025-06-01"}},
           {"c", {"--seed", "42", "--weeks", "20"}}}) {
    const ProgramRun run = Init(scratch.File(folder), options);
    ASSERT_EQ(run.status, 0) << folder << ": " << run.err;
  }
  const auto db = [&](const char* folder) { return SqlFile(scratch.File(folder) + "/MAIN.MDB"); };
  EXPECT_EQ(db("late").Dump("SELECT LDATE FROM PELIST ORDER BY PETAG"),
            "99990212|\n99990219|\n99990226|\n");
  EXPECT_EQ(db("early").Value("SELECT FEDATE FROM PELIST"), "02/26/0100");
  const auto jobs = [&](const char* folder) { return db(folder).Dump("SELECT * FROM JOBLIST"); };
  EXPECT_NE(jobs("a"), jobs("b"));
  EXPECT_EQ(jobs("a"), jobs("c"));
  EXPECT_EQ(db("c").Value("SELECT count(*) FROM PELIST"), "20");
}

}  // namespace
}  // namespace datatool
