// Tests of opening a table again on a new connection, which reuses the layout
// read before when the schema text is the same: a schema changed in between by
// another program (a new index, a new field) is read afresh, and a field's
// default evaluated at opening is evaluated again.
#include <gtest/gtest.h>

#include <string>

#include "services/recordstore/recordstore.h"
#include "store_helpers.h"

namespace recordstore::testing {
namespace {

TEST(ReopenTest, SchemaChangedElsewhereIsReadAfresh) {
  DataFolder folder;
  folder.Create(
      "MAIN.MDB",
      "CREATE TABLE COLIST (CONO SHORT, CONAME TEXT(30));"
      "INSERT INTO COLIST (CONO, CONAME) VALUES (5, 'Harbor Paving'), (2, 'Quay Works');");
  {
    Opened first = OpenTable(folder.File("MAIN.MDB"), "COLIST");
    EXPECT_EQ(ErrorOf([&] { first.recordset->SetIndex("NEWINDEX"); }), 3800);
    EXPECT_EQ(ErrorOf([&] { first.recordset->Fields("CITY"); }), 3265);
  }
  folder.Exec("MAIN.MDB",
              "CREATE INDEX \"COLIST.NEWINDEX\" ON COLIST (CONO);"
              "ALTER TABLE COLIST ADD COLUMN CITY TEXT(20) DEFAULT 'Dover';");
  Opened again = OpenTable(folder.File("MAIN.MDB"), "COLIST");
  Recordset& rs = *again.recordset;
  rs.SetIndex("NEWINDEX");
  rs.MoveFirst();
  EXPECT_EQ(rs.Fields("CONAME").Value().ToString(), "Quay Works");
  EXPECT_EQ(rs.Fields("CITY").Size(), 20);
  rs.AddNew();
  EXPECT_EQ(rs.Fields("CITY").Value().ToString(), "Dover");
}

TEST(ReopenTest, DefaultExpressionsAreEvaluatedAtEachOpening) {
  DataFolder folder;
  folder.Create("STAMP.MDB", "CREATE TABLE T (N DOUBLE DEFAULT (random()));");
  auto defaultOf = [&] {
    Opened opened = OpenTable(folder.File("STAMP.MDB"), "T");
    opened.recordset->AddNew();
    return opened.recordset->Fields("N").Value().ToString();
  };
  // Random 64-bit numbers agree by chance almost never.
  const std::string first = defaultOf();
  EXPECT_NE(defaultOf() + defaultOf(), first + first);
}

}  // namespace
}  // namespace recordstore::testing
