// Tests of `dorvane-data import` on the real sample file: the mapping of its
// columns to our declared types, every row with its Chinese text, dates and
// Yes/No values, the index, the file as the record store reads it, and folder
// imports whose report lists what the control lacks.
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

// One import of the sample file into a data file, shared by the tests that
// only read it.
class SampleImport : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new TempFolder("dorvane-import");
    run_ = new ProgramRun(Import(SamplePath(), folder_->File("users.db")));
  }
  static void TearDownTestSuite() {
    delete run_;
    delete folder_;
  }
  static std::string Out() { return folder_->File("users.db"); }

  static TempFolder* folder_;
  static ProgramRun* run_;
};
TempFolder* SampleImport::folder_ = nullptr;
ProgramRun* SampleImport::run_ = nullptr;

TEST_F(SampleImport, SaysWhatItImportedAndThatNoLayoutApplies) {
  EXPECT_EQ(run_->status, 0) << run_->err;
  EXPECT_EQ(run_->err, "");
  EXPECT_NE(run_->out.find("into " + Out() + ": 1 table, 3 rows (Jet 4)"), std::string::npos)
      << run_->out;
  EXPECT_NE(run_->out.find("not named MAIN.MDB or QRLSYS.mdb"), std::string::npos);
}

TEST_F(SampleImport, ColumnsGetOurDeclaredTypesAfterTheRowIdentity) {
  SqlFile db(Out());
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
}

TEST_F(SampleImport, EveryRowWithItsTextDatesAndYesNoValues) {
  SqlFile db(Out());
  EXPECT_EQ(db.Dump("SELECT rowid, UserId, UserName, UserSex, UserBirthday, UserMarried, "
                    "typeof(UserMarried) FROM Users ORDER BY rowid"),
            "1|1|Nuintun|Male|1989-01-25 00:00:00|-1|integer|\n"
            "2|2|Angela|Female|1988-12-18 00:00:00|0|integer|\n"
            "3|3|\u5f20\u4e09|\u7537|1986-12-18 00:00:00|-1|integer|\n");
  // Two characters, six bytes of UTF-8: text arrives as Unicode, not as bytes.
  EXPECT_EQ(db.Value("SELECT length(UserName) || '/' || length(CAST(UserName AS BLOB)) "
                     "FROM Users WHERE UserId = 3"),
            "2/6");
}

TEST_F(SampleImport, PrimaryKeyBecomesAUniqueIndexNamedAfterItsTable) {
  SqlFile db(Out());
  EXPECT_EQ(db.Dump("SELECT name, \"unique\" FROM pragma_index_list('Users') "
                    "WHERE origin = 'c'"),
            "Users.PrimaryKey|1|\n");
  EXPECT_EQ(db.Dump("SELECT name FROM pragma_index_info('Users.PrimaryKey')"), "UserId|\n");
  EXPECT_THROW(db.Exec("INSERT INTO Users (UserId) VALUES (2)"), std::runtime_error);
}

TEST_F(SampleImport, TheRecordStoreReadsTheFieldsWithTheirTypes) {
  ExpectStoreReadsTheSample(Out());
}

// A classic folder made of copies of the sample under the control's names.
TEST(FolderImport, ReportsEveryTableTheControlLacksAndKeepsTheData) {
  TempFolder scratch("dorvane-import");
  WriteBytes(scratch.File("classic/main.mdb"), SampleBytes());
  WriteBytes(scratch.File("classic/QrlSys.MDB"), SampleBytes());
  const ProgramRun run = Import(scratch.File("classic"), scratch.File("site/data"));
  EXPECT_EQ(run.status, 3) << run.err;
  const std::string dest = scratch.File("site/data");
  EXPECT_EQ(run.out, "Imported " + scratch.File("classic/main.mdb") + " into " + dest +
                         "/MAIN.MDB: 1 table, 3 rows (Jet 4)\n"
                         "Imported " +
                         scratch.File("classic/QrlSys.MDB") + " into " + dest +
                         "/QRLSYS.mdb: 1 table, 3 rows (Jet 4)\n"
                         "What the control needs that " +
                         dest +
                         " lacks or holds differently:\n"
                         "  MAIN.MDB: there is no table COLIST.\n"
                         "  MAIN.MDB: there is no table JOBLIST.\n"
                         "  MAIN.MDB: there is no table PELIST.\n"
                         "  MAIN.MDB: there is no table TJLIST.\n"
                         "  MAIN.MDB: there is no table TJLGROUPS.\n"
                         "  MAIN.MDB: there is no table TJLITEMS.\n"
                         "  MAIN.MDB: there is no table SYSTAGS.\n"
                         "  QRLSYS.mdb: there is no table SYSSETTINGS.\n" +
                         dest +
                         " holds all the imported data; the control can use it once these are put "
                         "right.\n");
  EXPECT_EQ(Entries(dest), (std::vector<std::string>{"MAIN.MDB", "QRLSYS.mdb"}));
  SqlFile main(dest + "/MAIN.MDB");
  EXPECT_EQ(main.Value("SELECT count(*) FROM Users"), "3");
}

TEST(FolderImport, AMissingSettingsFileIsReportedNotInvented) {
  TempFolder scratch("dorvane-import");
  WriteBytes(scratch.File("classic/MAIN.MDB"), SampleBytes());
  const ProgramRun run = Import(scratch.File("classic"), scratch.File("data"));
  EXPECT_EQ(run.status, 3) << run.err;
  EXPECT_NE(run.out.find("  QRLSYS.mdb: the classic folder has no such file; the control needs "
                         "it.\n"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(Entries(scratch.File("data")), std::vector<std::string>{"MAIN.MDB"});
}

TEST(FolderImport, OneFileNamedLikeADataFileIsComparedWithItsLayout) {
  TempFolder scratch("dorvane-import");
  const ProgramRun run = Import(SamplePath(), scratch.File("QRLSYS.mdb"));
  EXPECT_EQ(run.status, 3);
  EXPECT_NE(run.out.find("  QRLSYS.mdb: there is no table SYSSETTINGS.\n"), std::string::npos)
      << run.out;
  EXPECT_EQ(run.out.find("MAIN.MDB:"), std::string::npos);
}

}  // namespace
}  // namespace importtest
