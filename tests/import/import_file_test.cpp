// Tests of `dorvane-data import` on the real sample file: the mapping of its
// columns to our declared types, every row with its Chinese text, dates and
// Yes/No values, the unique key, the file as the record store reads it, and
// folder imports whose report lists what the control lacks.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "import_support.h"
#include "support/sql_file.h"
#include "support/temp_folder.h"

namespace importtest {
namespace {

namespace fs = std::filesystem;
using testsupport::ProgramRun;
using testsupport::SqlFile;
using testsupport::TempFolder;

TEST(SampleImport, GivesOurDeclaredTypesEveryRowAndTheKey) {
  TempFolder scratch("dorvane-import");
  const std::string out = scratch.File("users.db");
  const ProgramRun run = Import(SamplePath(), out);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_NE(run.out.find("into " + out + ": 1 table, 3 rows (Jet 4)"), std::string::npos);
  EXPECT_NE(run.out.find("not named MAIN.MDB or QRLSYS.mdb"), std::string::npos) << run.out;
  SqlFile db(out);
  EXPECT_EQ(db.Dump("SELECT name, type, pk FROM pragma_table_info('Users') ORDER BY cid"),
            "rowid|INTEGER|1|\n"
            "UserId|LONG|0|\n"         // Long Integer (an AutoNumber)
            "UserName|TEXT(255)|0|\n"  // Text(255): Jet 4 keeps two bytes a character
            "UserSex|TEXT(255)|0|\n"
            "UserBirthday|DATETIME|0|\n"
            "UserMarried|BIT|0|\n");
  // The row identity only grows: AUTOINCREMENT keeps its counter.
  EXPECT_EQ(db.Value("SELECT seq FROM sqlite_sequence WHERE name = 'Users'"), "3");
  EXPECT_EQ(db.Value("PRAGMA journal_mode"), "wal");
  // Text arrives as Unicode: two characters, not six bytes.
  EXPECT_EQ(db.Dump("SELECT rowid, UserId, UserName, UserSex, UserBirthday, UserMarried, "
                    "typeof(UserMarried), length(UserName) FROM Users ORDER BY rowid"),
            "1|1|Nuintun|Male|1989-01-25 00:00:00|-1|integer|7|\n"
            "2|2|Angela|Female|1988-12-18 00:00:00|0|integer|6|\n"
            "3|3|\u5f20\u4e09|\u7537|1986-12-18 00:00:00|-1|integer|2|\n");
  EXPECT_THROW(db.Exec("INSERT INTO Users (UserId) VALUES (2)"), std::runtime_error);
  ExpectStoreReadsTheSample(out);  // through the index PrimaryKey
}

// A classic folder made of copies of the sample under the control's names
// (in other cases): the report lists every table the control lacks.
TEST(FolderImport, ReportsEveryTableTheControlLacksAndKeepsTheData) {
  TempFolder scratch("dorvane-import");
  WriteBytes(scratch.File("classic/main.mdb"), SampleBytes());
  WriteBytes(scratch.File("classic/QrlSys.MDB"), SampleBytes());
  ProgramRun run = Import(scratch.File("classic"), scratch.File("site/data"));
  EXPECT_EQ(run.status, 3) << run.err;
  const std::string dest = scratch.File("site/data");
  std::string report = "Imported " + scratch.File("classic/main.mdb") + " into " + dest +
                       "/MAIN.MDB: 1 table, 3 rows (Jet 4)\nImported " +
                       scratch.File("classic/QrlSys.MDB") + " into " + dest +
                       "/QRLSYS.mdb: 1 table, 3 rows (Jet 4)\nWhat the control needs that " + dest +
                       " lacks or holds differently:\n";
  for (const char* table :
       {"COLIST", "JOBLIST", "PELIST", "TJLIST", "TJLGROUPS", "TJLITEMS", "SYSTAGS"}) {
    report += std::string("  MAIN.MDB: there is no table ") + table + ".\n";
  }
  EXPECT_EQ(run.out, report + "  QRLSYS.mdb: there is no table SYSSETTINGS.\n" + dest +
                         " holds all the imported data; the control can use it once these are "
                         "put right.\n");
  EXPECT_EQ(Entries(dest), (std::vector<std::string>{"MAIN.MDB", "QRLSYS.mdb"}));
  EXPECT_EQ(SqlFile(dest + "/MAIN.MDB").Value("SELECT count(*) FROM Users"), "3");

  // A folder without the settings file gets none made up; one file named like
  // a data file is compared with that file's layout only.
  fs::remove(scratch.File("classic/QrlSys.MDB"));
  run = Import(scratch.File("classic"), scratch.File("data"));
  EXPECT_EQ(run.status, 3) << run.err;
  EXPECT_NE(run.out.find("  QRLSYS.mdb: the classic folder has no such file; the control needs "
                         "it.\n"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(Entries(scratch.File("data")), std::vector<std::string>{"MAIN.MDB"});
  run = Import(SamplePath(), scratch.File("QRLSYS.mdb"));
  EXPECT_EQ(run.status, 3);
  EXPECT_NE(run.out.find("  QRLSYS.mdb: there is no table SYSSETTINGS.\n"), std::string::npos);
  EXPECT_EQ(run.out.find("MAIN.MDB:"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace importtest
