// Tests the command line of dorvane-data: refusing to overwrite a folder's
// files, --force, bad options and repeatable output; and the conventions
// dorvane-data and dorvane-script share (--help, --version, usage errors).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
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

// A folder made once, with a marker row to tell the old files from new ones.
class ExistingFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(Init(folder_).status, 0);
    SqlFile db(folder_ / "MAIN.MDB");
    db.Exec("INSERT INTO COLIST (CONO, CONAME) VALUES (0, 'MARKER')");
  }
  bool MarkerKept() {
    SqlFile db(folder_ / "MAIN.MDB");
    return db.Value("SELECT count(*) FROM COLIST WHERE CONAME = 'MARKER'") == "1";
  }
  TempFolder scratch_;
  fs::path folder_ = scratch_.File("nested/folder");
};

TEST_F(ExistingFolder, IsNotOverwrittenWithoutForce) {
  const ProgramRun run = Init(folder_);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("--force"), std::string::npos) << run.err;
  EXPECT_TRUE(MarkerKept());
}

TEST_F(ExistingFolder, SettingsFileAloneInAnyCaseAlsoBlocks) {
  fs::remove(folder_ / "MAIN.MDB");
  fs::rename(folder_ / "QRLSYS.mdb", folder_ / "qrlsys.MDB");
  EXPECT_EQ(Init(folder_).status, 1);
  EXPECT_TRUE(fs::exists(folder_ / "qrlsys.MDB"));
  EXPECT_FALSE(fs::exists(folder_ / "MAIN.MDB"));
}

TEST_F(ExistingFolder, ForceReplacesBothFiles) {
  const ProgramRun run = Init(folder_, {"--force", "--no-qrlsys"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_FALSE(MarkerKept());
  EXPECT_FALSE(fs::exists(folder_ / "QRLSYS.mdb"));
  // No half-built file is left behind.
  for (const auto& entry : fs::directory_iterator(folder_)) {
    EXPECT_EQ(entry.path().filename(), "MAIN.MDB");
  }
}

TEST_F(ExistingFolder, ForceRefusesAFileInUse) {
  SqlFile reader(folder_ / "MAIN.MDB");
  EXPECT_EQ(reader.Value("SELECT count(*) FROM COLIST"), "13");  // holds the file open
  const ProgramRun run = Init(folder_, {"--force"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("in use"), std::string::npos) << run.err;
  EXPECT_TRUE(MarkerKept());
}

TEST(Folder, APlainFileInTheWayIsReported) {
  TempFolder scratch;
  std::ofstream(scratch.File("file")) << "not a folder";
  const ProgramRun run = Init(scratch.File("file"));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("not a folder"), std::string::npos) << run.err;
}

// Bad command lines get the usage text and status 2, and make nothing.
class BadOptions : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(BadOptions, GiveUsageAndStatusTwo) {
  TempFolder scratch;
  std::vector<std::string> args = GetParam();
  for (auto& arg : args) {
    if (arg == "FOLDER") arg = scratch.File("d");
  }
  const ProgramRun run = testsupport::RunDataTool(args);
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("usage: dorvane-data init FOLDER"), std::string::npos) << run.err;
  EXPECT_FALSE(fs::exists(scratch.File("d")));
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, BadOptions,
    ::testing::Values(std::vector<std::string>{}, std::vector<std::string>{"create", "FOLDER"},
                      std::vector<std::string>{"init"},
                      std::vector<std::string>{"init", "FOLDER", "--colour"},
                      std::vector<std::string>{"init", "FOLDER", "--jobs"},
                      std::vector<std::string>{"init", "FOLDER", "--jobs", "12x"},
                      std::vector<std::string>{"init", "FOLDER", "--companies", "100"},
                      std::vector<std::string>{"init", "FOLDER", "--jobno-size", "9"},
                      std::vector<std::string>{"init", "FOLDER", "--jobno-type", "c"},
                      std::vector<std::string>{"init", "FOLDER", "--jobs", "5", "--list", "6"},
                      std::vector<std::string>{"init", "FOLDER", "--big-company", "13:5"},
                      std::vector<std::string>{"init", "FOLDER", "--today", "2023-02-29"},
                      // 100 numerical jobs of width 2 cannot all differ (1..99).
                      std::vector<std::string>{"init", "FOLDER", "--companies", "1", "--jobs",
                                               "100", "--jobno-size", "2", "--jobno-type", "N"}));

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

// Returns every table of a folder's files as text.
std::string DumpFolder(const fs::path& folder) {
  return SqlFile(folder / "QRLSYS.mdb").DumpTables({"SYSSETTINGS"}) +
         SqlFile(folder / "MAIN.MDB")
             .DumpTables(
                 {"COLIST", "JOBLIST", "PELIST", "TJLIST", "TJLGROUPS", "TJLITEMS", "SYSTAGS"});
}

// --today takes every real date whose period-ending dates fit the range a
// Date holds; outside it, the message states that range.
TEST(Today, EveryDateWhosePeriodEndingsFitIsAccepted) {
  TempFolder scratch;
  ProgramRun run = Init(scratch.File("late"), {"--today", "9999-01-01", "--weeks", "3"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(SqlFile(scratch.File("late/MAIN.MDB")).Dump("SELECT LDATE FROM PELIST ORDER BY PETAG"),
            "99990212|\n99990219|\n99990226|\n");
  run = Init(scratch.File("early"), {"--today", "0100-01-01", "--weeks", "1"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(SqlFile(scratch.File("early/MAIN.MDB")).Value("SELECT FEDATE FROM PELIST"),
            "02/26/0100");
  for (const std::vector<std::string>& options :
       {std::vector<std::string>{"--today", "9999-12-31"},
        std::vector<std::string>{"--today", "0100-01-01", "--weeks", "10"}}) {
    run = Init(scratch.File("out"), options);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("outside 0100-01-01..9999-12-31"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(scratch.File("out")));
  }
}

// An extra word after `schema` is named as the word in the way.
TEST(Schema, AnExtraArgumentIsTheWordBlamed) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"schema", "extra"},
        std::vector<std::string>{"schema", "--postgres", "extra"},
        std::vector<std::string>{"schema", "extra", "--postgres"}}) {
    const ProgramRun run = testsupport::RunDataTool(args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.substr(0, run.err.find('\n')),
              "dorvane-data: schema takes only --postgres, not extra");
  }
}

TEST(Seed, SameSeedSameDataOtherSeedOtherJobs) {
  TempFolder scratch;
  const std::vector<std::string> options = {"--seed", "42", "--today", "2025-06-01"};
  ASSERT_EQ(Init(scratch.File("a"), options).status, 0);
  ASSERT_EQ(Init(scratch.File("b"), options).status, 0);
  ASSERT_EQ(Init(scratch.File("c"), {"--seed", "43", "--today", "2025-06-01"}).status, 0);
  EXPECT_EQ(DumpFolder(scratch.File("a")), DumpFolder(scratch.File("b")));
  SqlFile a(scratch.File("a/MAIN.MDB")), c(scratch.File("c/MAIN.MDB"));
  EXPECT_NE(a.Dump("SELECT * FROM JOBLIST"), c.Dump("SELECT * FROM JOBLIST"));
}

TEST(Seed, MoreWeeksLeaveTheJobsAsTheyWere) {
  TempFolder scratch;
  ASSERT_EQ(Init(scratch.File("a"), {"--weeks", "10"}).status, 0);
  ASSERT_EQ(Init(scratch.File("b"), {"--weeks", "20"}).status, 0);
  SqlFile a(scratch.File("a/MAIN.MDB")), b(scratch.File("b/MAIN.MDB"));
  EXPECT_EQ(a.Dump("SELECT * FROM JOBLIST"), b.Dump("SELECT * FROM JOBLIST"));
  EXPECT_NE(a.Value("SELECT count(*) FROM PELIST"), b.Value("SELECT count(*) FROM PELIST"));
}

}  // namespace
}  // namespace datatool
