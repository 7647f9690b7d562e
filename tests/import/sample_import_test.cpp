// Tests of `dorvane-data import` on the real sample file: the mapping of its
// columns to our declared types, every row with its Chinese text, dates and
// Yes/No values, the unique key, the file as the record store reads it, and
// folder imports whose report lists what the control lacks. Then into a
// database of the test server: it holds what a folder import holds in the
// server layout (types, comments, the unique key, the rowid identity), the
// report is the folder's, a damaged file leaves no schema behind, and a
// database that holds the tables is refused.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "import_layout.h"
#include "import_support.h"
#include "support/sql_file.h"
#include "support/temp_folder.h"
#include "support/test_server.h"

namespace importtest {
namespace {

namespace fs = std::filesystem;
using testsupport::PgRows;
using testsupport::ProgramRun;
using testsupport::SqlFile;
using testsupport::TempFolder;
using testsupport::TestDatabase;
using Lines = std::vector<std::string>;

// The lines of `text` from the first that starts with `from`.
std::string LinesFrom(const std::string& text, const std::string& from) {
  const size_t at = text.find(from);
  return at == std::string::npos ? "" : text.substr(at);
}

// Makes the classic folder "classic" in `scratch` of copies of the sample
// under the control's names (in other cases); returns its path.
std::string ClassicFolder(const TempFolder& scratch) {
  WriteBytes(scratch.File("classic/main.mdb"), SampleBytes());
  WriteBytes(scratch.File("classic/QrlSys.MDB"), SampleBytes());
  return scratch.File("classic");
}

// The end of the report of that folder imported into `dest`: every table the
// control lacks.
std::string Lacks(const std::string& dest) {
  std::string report = "What the control needs that " + dest + " lacks or holds differently:\n";
  for (const char* table :
       {"COLIST", "JOBLIST", "PELIST", "TJLIST", "TJLGROUPS", "TJLITEMS", "SYSTAGS"}) {
    report += std::string("  MAIN.MDB: there is no table ") + table + ".\n";
  }
  return report + "  QRLSYS.mdb: there is no table SYSSETTINGS.\n" + dest +
         " holds all the imported data; the control can use it once these are put right.\n";
}

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
  const std::string classic = ClassicFolder(scratch), dest = scratch.File("site/data");
  ProgramRun run = Import(classic, dest);
  EXPECT_EQ(run.status, 3) << run.err;
  EXPECT_EQ(run.out, "Imported " + classic + "/main.mdb into " + dest +
                         "/MAIN.MDB: 1 table, 3 rows (Jet 4)\nImported " + classic +
                         "/QrlSys.MDB into " + dest + "/QRLSYS.mdb: 1 table, 3 rows (Jet 4)\n" +
                         Lacks(dest));
  EXPECT_EQ(Entries(dest), (std::vector<std::string>{"MAIN.MDB", "QRLSYS.mdb"}));
  EXPECT_EQ(SqlFile(dest + "/MAIN.MDB").Value("SELECT count(*) FROM Users"), "3");

  // A folder without the settings file gets none made up; one file named like
  // a data file is compared with that file's layout only.
  fs::remove(scratch.File("classic/QrlSys.MDB"));
  run = Import(classic, scratch.File("data"));
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

TEST(ServerImport, HoldsWhatAFolderImportHoldsInTheServerLayout) {
  DORVANE_REQUIRE_TEST_SERVER();
  TempFolder scratch("dorvane-import");
  TestDatabase db;
  // A damaged file read second (the first is already in its schema when the
  // failure comes, and must go with it) leaves no data schema behind.
  WriteBytes(scratch.File("damaged/MAIN.MDB"), SampleBytes());
  WriteBytes(scratch.File("damaged/QRLSYS.mdb"), SampleBytes().substr(0, 5000));
  const ProgramRun refused = Import(scratch.File("damaged"), db.Uri());
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("nothing was imported"), std::string::npos) << refused.err;
  EXPECT_EQ(refused.out, "");
  EXPECT_EQ(
      PgRows(db.Uri(), "SELECT nspname FROM pg_namespace WHERE nspname IN ('main', 'qrlsys')"),
      Lines{});

  const std::string classic = ClassicFolder(scratch);
  const ProgramRun run = Import(classic, db.Uri());
  EXPECT_EQ(run.status, 3) << run.err;
  EXPECT_EQ(run.err, "");
  // The report of a folder import, the schemas in the place of the files.
  EXPECT_EQ(LinesFrom(run.out, "Imported"),
            "Imported " + classic + "/main.mdb into " + db.Uri() +
                " schema main: 1 table, 3 rows (Jet 4)\nImported " + classic + "/QrlSys.MDB into " +
                db.Uri() + " schema qrlsys: 1 table, 3 rows (Jet 4)\n" + Lacks(db.Uri()));

  // Two characters of UTF-8, not six bytes taken as Latin-1 characters.
  for (const std::string schema : {"main", "qrlsys"}) {
    EXPECT_EQ(PgRows(db.Uri(),
                     "SELECT rowid, userid, username, usersex, userbirthday, "
                     "usermarried, length(username) FROM " +
                         schema + ".users ORDER BY rowid"),
              (Lines{"1|1|Nuintun|Male|1989-01-25 00:00:00|-1|7",
                     "2|2|Angela|Female|1988-12-18 00:00:00|0|6",
                     "3|3|\u5f20\u4e09|\u7537|1986-12-18 00:00:00|-1|2"}))
        << schema;
  }
  EXPECT_EQ(
      PgRows(db.Uri(),
             "SELECT a.attname, format_type(a.atttypid, a.atttypmod), "
             "coalesce(col_description(a.attrelid, a.attnum), '') FROM pg_attribute a "
             "WHERE a.attrelid = 'main.users'::regclass AND a.attnum > 0 "
             "ORDER BY a.attnum"),
      (Lines{"rowid|bigint|", "userid|integer|LONG", "username|character varying(255)|TEXT(255)",
             "usersex|character varying(255)|TEXT(255)",
             "userbirthday|character varying(19)|DATETIME", "usermarried|smallint|BIT"}));
  ExpectStoreReadsTheSample(db.Uri() + "\\MAIN.MDB");  // through the index PrimaryKey
  // New rows get identities after the imported ones; Yes/No holds only -1 and
  // 0, as the layout's BIT does; the key is unique.
  EXPECT_EQ(PgRows(db.Uri(), "INSERT INTO main.users (userid) VALUES (9) RETURNING rowid"),
            Lines{"4"});
  EXPECT_THROW(PgRows(db.Uri(), "UPDATE qrlsys.users SET usermarried = 1"), std::runtime_error);
  EXPECT_THROW(PgRows(db.Uri(), "INSERT INTO main.users (userid) VALUES (2)"), std::runtime_error);

  // A second import is refused and leaves the tables as they are.
  PgRows(db.Uri(), "DELETE FROM main.users WHERE userid = 1");
  const ProgramRun again = Import(classic, db.Uri());
  EXPECT_EQ(again.status, 1);
  EXPECT_NE(again.err.find("already holds the tables of schema main"), std::string::npos)
      << again.err;
  EXPECT_EQ(PgRows(db.Uri(), "SELECT count(*) FROM main.users"), Lines{"3"});
}

// The values the reader gives, in the text COPY sends: the server takes each
// back as the same value of the column type it goes into.
TEST(ServerValues, EveryKindOfValueReadsBackAsTheSameValue) {
  using dorvanedata::ImportValue;
  using dorvanedata::TextForm;
  EXPECT_EQ(TextForm(ImportValue()), std::nullopt);
  EXPECT_EQ(TextForm(ImportValue::Integer(-2147483648LL)), "-2147483648");
  EXPECT_EQ(TextForm(ImportValue::Real(-1.5e300)), "-1.5e+300");
  EXPECT_EQ(TextForm(ImportValue::Text("a\tb\\c")), "a\tb\\c");  // COPY escapes, not this
  DORVANE_REQUIRE_TEST_SERVER();
  TestDatabase db;
  const auto text = [](const ImportValue& value) { return *TextForm(value); };
  EXPECT_EQ(
      PgRows(db.Uri(), "SELECT encode('" + text(ImportValue::Blob({'\0', '\xff', 'A'})) +
                           "'::bytea, 'hex'), '" + text(ImportValue::Real(0.1)) +
                           "'::double precision = 0.1, '" + text(ImportValue::Real(-INFINITY)) +
                           "'::real, '" + text(ImportValue::Real(NAN)) + "'::double precision"),
      Lines{"00ff41|t|-Infinity|NaN"});
}

}  // namespace
}  // namespace importtest
