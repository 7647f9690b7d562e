// Tests of `dorvane-data import CLASSIC_FOLDER URI` on the test server: the
// sample file imported into a database holds what a folder import holds (rows,
// Chinese text, dates, Yes/No values) in the server layout (types, comments,
// the "t.x" index, the rowid identity), the report is the folder's, a damaged
// file leaves no schema behind, and a database that holds the tables is refused.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "import_layout.h"
#include "import_support.h"
#include "support/sql_file.h"
#include "support/temp_folder.h"
#include "support/test_server.h"

namespace importtest {
namespace {

using testsupport::PgRows;
using testsupport::ProgramRun;
using testsupport::TempFolder;
using testsupport::TestDatabase;

// A classic folder of copies of the sample under the control's names.
std::string ClassicFolder(const TempFolder& scratch) {
  WriteBytes(scratch.File("classic/main.mdb"), SampleBytes());
  WriteBytes(scratch.File("classic/QrlSys.MDB"), SampleBytes());
  return scratch.File("classic");
}

// The data schemas the database holds.
std::vector<std::string> DataSchemas(const std::string& uri) {
  return PgRows(uri,
                "SELECT nspname FROM pg_namespace WHERE nspname IN ('main', 'qrlsys') "
                "ORDER BY nspname");
}

// The lines of `text` from the first that starts with `from`.
std::string LinesFrom(const std::string& text, const std::string& from) {
  const size_t at = text.find(from);
  return at == std::string::npos ? "" : text.substr(at);
}

// One import of the sample folder into a fresh database, shared by the tests
// (the one that adds a row takes it away again).
class ServerImport : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!testsupport::TestServerUri()) return;
    scratch_ = new TempFolder("dorvane-import");
    db_ = new TestDatabase();
    run_ = new ProgramRun(Import(ClassicFolder(*scratch_), db_->Uri()));
  }
  static void TearDownTestSuite() {
    delete run_;
    delete db_;
    delete scratch_;
  }
  void SetUp() override { DORVANE_REQUIRE_TEST_SERVER(); }

  static TempFolder* scratch_;
  static TestDatabase* db_;
  static ProgramRun* run_;
};
TempFolder* ServerImport::scratch_ = nullptr;
TestDatabase* ServerImport::db_ = nullptr;
ProgramRun* ServerImport::run_ = nullptr;

TEST_F(ServerImport, SaysWhereEachFileWentAndReportsAsForAFolder) {
  EXPECT_EQ(run_->status, 3) << run_->err;
  EXPECT_EQ(run_->err, "");
  const std::string classic = scratch_->File("classic");
  EXPECT_EQ(LinesFrom(run_->out, "Imported"),
            "Imported " + classic + "/main.mdb into " + db_->Uri() +
                " schema main: 1 table, 3 rows (Jet 4)\n"
                "Imported " +
                classic + "/QrlSys.MDB into " + db_->Uri() +
                " schema qrlsys: 1 table, 3 rows (Jet 4)\n" + LinesFrom(run_->out, "What"));
  // The same classic files into a folder give the same report lines.
  const ProgramRun folder = Import(classic, scratch_->File("data"));
  const std::string needs = "What the control needs";
  const std::string serverReport = LinesFrom(run_->out, needs);
  std::string folderReport = LinesFrom(folder.out, needs);
  for (size_t at; (at = folderReport.find(scratch_->File("data"))) != std::string::npos;) {
    folderReport.replace(at, scratch_->File("data").size(), db_->Uri());
  }
  EXPECT_EQ(folder.status, run_->status);
  EXPECT_NE(serverReport.find("  MAIN.MDB: there is no table COLIST.\n"), std::string::npos);
  EXPECT_EQ(serverReport, folderReport);
}

TEST_F(ServerImport, EveryRowWithItsTextDatesAndYesNoValuesInBothSchemas) {
  const std::vector<std::string> rows = {"1|1|Nuintun|Male|1989-01-25 00:00:00|-1",
                                         "2|2|Angela|Female|1988-12-18 00:00:00|0",
                                         "3|3|\u5f20\u4e09|\u7537|1986-12-18 00:00:00|-1"};
  for (const std::string schema : {"main", "qrlsys"}) {
    EXPECT_EQ(PgRows(db_->Uri(),
                     "SELECT rowid, userid, username, usersex, userbirthday, "
                     "usermarried FROM " +
                         schema + ".users ORDER BY rowid"),
              rows)
        << schema;
  }
  // Two characters of UTF-8, not six bytes taken as Latin-1 characters.
  EXPECT_EQ(PgRows(db_->Uri(),
                   "SELECT length(username) || '/' || octet_length(username) "
                   "FROM main.users WHERE userid = 3"),
            std::vector<std::string>{"2/6"});
}

TEST_F(ServerImport, ColumnsHaveTheServerTypesAndTheirDeclaredTypesAsComments) {
  EXPECT_EQ(PgRows(db_->Uri(),
                   "SELECT a.attname, format_type(a.atttypid, a.atttypmod), "
                   "coalesce(col_description(a.attrelid, a.attnum), '') FROM pg_attribute a "
                   "WHERE a.attrelid = 'main.users'::regclass AND a.attnum > 0 "
                   "ORDER BY a.attnum"),
            (std::vector<std::string>{
                "rowid|bigint|", "userid|integer|LONG", "username|character varying(255)|TEXT(255)",
                "usersex|character varying(255)|TEXT(255)",
                "userbirthday|character varying(19)|DATETIME", "usermarried|smallint|BIT"}));
  // Yes/No holds only -1 and 0, as the layout's BIT does.
  EXPECT_THROW(PgRows(db_->Uri(), "UPDATE qrlsys.users SET usermarried = 1"), std::runtime_error);
}

TEST_F(ServerImport, PrimaryKeyIsAUniqueIndexNamedAfterItsTable) {
  EXPECT_EQ(PgRows(db_->Uri(),
                   "SELECT indexdef FROM pg_indexes WHERE schemaname = 'main' "
                   "AND indexname = 'users.primarykey'"),
            std::vector<std::string>{"CREATE UNIQUE INDEX \"users.primarykey\" ON main.users "
                                     "USING btree (userid NULLS FIRST)"});
  EXPECT_THROW(PgRows(db_->Uri(), "INSERT INTO main.users (userid) VALUES (2)"),
               std::runtime_error);
}

TEST_F(ServerImport, NewRowsGetIdentitiesAfterTheImportedOnes) {
  EXPECT_EQ(PgRows(db_->Uri(), "INSERT INTO main.users (userid) VALUES (9) RETURNING rowid"),
            std::vector<std::string>{"4"});
  PgRows(db_->Uri(), "DELETE FROM main.users WHERE userid = 9");  // as imported for the others
}

TEST_F(ServerImport, TheRecordStoreReadsTheFieldsWithTheirTypes) {
  ExpectStoreReadsTheSample(db_->Uri() + "\\MAIN.MDB");
}

// A damaged file read second (the first is already in its schema when the
// failure comes, and must go with it) and a folder without MAIN.MDB leave the
// database without the data schemas.
TEST(ServerImportFailure, ARefusedFolderLeavesTheDatabaseWithoutTheSchemas) {
  DORVANE_REQUIRE_TEST_SERVER();
  TestDatabase db;
  TempFolder scratch("dorvane-import");
  WriteBytes(scratch.File("damaged/MAIN.MDB"), SampleBytes());
  WriteBytes(scratch.File("damaged/QRLSYS.mdb"), SampleBytes().substr(0, 5000));
  WriteBytes(scratch.File("no main/QRLSYS.mdb"), SampleBytes());
  for (const char* folder : {"damaged", "no main"}) {
    const ProgramRun run = Import(scratch.File(folder), db.Uri());
    EXPECT_EQ(run.status, 1) << folder;
    EXPECT_NE(run.err.find("nothing was imported"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "") << folder;
    EXPECT_EQ(DataSchemas(db.Uri()), std::vector<std::string>{}) << folder;
  }
}

TEST(ServerImportFailure, ADatabaseThatHoldsTheTablesIsRefusedAndKept) {
  DORVANE_REQUIRE_TEST_SERVER();
  TestDatabase db;
  TempFolder scratch("dorvane-import");
  const std::string classic = ClassicFolder(scratch);
  ASSERT_EQ(Import(classic, db.Uri()).status, 3);
  PgRows(db.Uri(), "DELETE FROM main.users WHERE userid = 1");
  const ProgramRun again = Import(classic, db.Uri());
  EXPECT_EQ(again.status, 1);
  EXPECT_NE(again.err.find("already holds the tables of schema main"), std::string::npos)
      << again.err;
  EXPECT_EQ(PgRows(db.Uri(), "SELECT count(*) FROM main.users"), std::vector<std::string>{"2"});
}

// The values the reader gives, in the text COPY sends: the server takes each
// back as the same value of the column type it goes into.
TEST(ServerValues, EveryKindOfValueReadsBackAsTheSameValue) {
  using dorvanedata::ImportValue;
  using dorvanedata::TextForm;
  EXPECT_EQ(TextForm(ImportValue()), std::nullopt);
  EXPECT_EQ(TextForm(ImportValue::Integer(-2147483648LL)), "-2147483648");
  EXPECT_EQ(TextForm(ImportValue::Real(0.1)), "0.1");
  EXPECT_EQ(TextForm(ImportValue::Real(-1.5e300)), "-1.5e+300");
  EXPECT_EQ(TextForm(ImportValue::Text("a\tb\\c")), "a\tb\\c");  // COPY escapes, not this
  const std::string bytes{'\0', '\xff', 'A'};
  EXPECT_EQ(TextForm(ImportValue::Blob(bytes)), "\\x00ff41");
  DORVANE_REQUIRE_TEST_SERVER();
  TestDatabase db;
  const auto text = [](const ImportValue& value) { return *TextForm(value); };
  EXPECT_EQ(
      PgRows(db.Uri(), "SELECT encode('" + text(ImportValue::Blob(bytes)) + "'::bytea, 'hex'), '" +
                           text(ImportValue::Real(0.1)) + "'::double precision = 0.1, '" +
                           text(ImportValue::Real(-INFINITY)) + "'::real, '" +
                           text(ImportValue::Real(NAN)) + "'::double precision"),
      std::vector<std::string>{"00ff41|t|-Infinity|NaN"});
}

}  // namespace
}  // namespace importtest
