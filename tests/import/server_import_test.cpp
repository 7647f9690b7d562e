// Tests of `dorvane-data import CLASSIC_FOLDER URI` on the test server: the
// sample file imported into a database holds what a folder import holds (rows,
// Chinese text, dates, Yes/No values) in the server layout (types, comments,
// the unique key, the rowid identity), the report is the folder's, a damaged
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
using Lines = std::vector<std::string>;

// The lines of `text` from the first that starts with `from`.
std::string LinesFrom(const std::string& text, const std::string& from) {
  const size_t at = text.find(from);
  return at == std::string::npos ? "" : text.substr(at);
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

  WriteBytes(scratch.File("classic/main.mdb"), SampleBytes());
  WriteBytes(scratch.File("classic/QrlSys.MDB"), SampleBytes());
  const std::string classic = scratch.File("classic");
  const ProgramRun run = Import(classic, db.Uri());
  EXPECT_EQ(run.status, 3) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(LinesFrom(run.out, "Imported"), "Imported " + classic + "/main.mdb into " + db.Uri() +
                                                " schema main: 1 table, 3 rows (Jet 4)\n"
                                                "Imported " +
                                                classic + "/QrlSys.MDB into " + db.Uri() +
                                                " schema qrlsys: 1 table, 3 rows (Jet 4)\n" +
                                                LinesFrom(run.out, "What"));
  // The same classic files into a folder give the same report lines.
  const ProgramRun folder = Import(classic, scratch.File("data"));
  std::string folderReport = LinesFrom(folder.out, "What the control needs");
  for (size_t at; (at = folderReport.find(scratch.File("data"))) != std::string::npos;) {
    folderReport.replace(at, scratch.File("data").size(), db.Uri());
  }
  EXPECT_EQ(folder.status, run.status);
  EXPECT_EQ(LinesFrom(run.out, "What the control needs"), folderReport);

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
