// Tests of wqNullCheck: the typed empty value of every field type, present
// values returned unchanged, and the report of a read without a current row.
#include <gtest/gtest.h>

#include "services/recordstore/recordstore.h"
#include "services/ztMSAccess.h"
#include "support/data_folder.h"
#include "support/headless_screen.h"
#include "support/open_table.h"

namespace {

using testsupport::BoxRecorder;
using testsupport::DataFolder;
using testsupport::Opened;
using testsupport::OpenTable;

using recordstore::Variant;
using recordstore::VarType;

const char* const kAllTypes =
    "CREATE TABLE ALLTYPES (B BIT, Y BYTE, S SHORT, L LONG, C CURRENCY, F SINGLE, D DOUBLE,"
    " T DATETIME, X TEXT(30), LB LONGBINARY, M MEMO, G GUID);";

struct Expected {
  const char* field;
  VarType type;
  Variant value;
};

TEST(wqNullCheck, NullFieldsGiveTheTypedEmptyValue) {
  BoxRecorder boxes;
  DataFolder folder{"MAIN.MDB", "QRLSYS.mdb"};
  folder.Exec("MAIN.MDB", std::string(kAllTypes) + "INSERT INTO ALLTYPES DEFAULT VALUES;");
  Opened table = OpenTable(folder.File("MAIN.MDB"), "ALLTYPES");
  table.recordset->MoveFirst();
  const Expected cases[] = {
      {"B", VarType::Boolean, Variant::Boolean(false)},
      {"Y", VarType::Integer, Variant::Integer(0)},
      {"S", VarType::Integer, Variant::Integer(0)},
      {"L", VarType::Long, Variant::Long(0)},
      {"C", VarType::Currency, Variant::Currency(0)},
      {"F", VarType::Single, Variant::Single(0)},
      {"D", VarType::Double, Variant::Double(0)},
      {"X", VarType::String, Variant::String(std::string(30, ' '))},
      {"LB", VarType::String, Variant::String(" ")},
      {"M", VarType::String, Variant::String(" ")},
      {"G", VarType::String, Variant::String(" ")},
  };
  for (const Expected& c : cases) {
    recordstore::Field field = table.recordset->Fields(c.field);
    const Variant value = ztMSAccess::wqNullCheck(field);
    EXPECT_EQ(value.Type(), c.type) << c.field;
    EXPECT_TRUE(value == c.value) << c.field << " read as '" << value.ToString() << "'";
  }
  recordstore::Field date = table.recordset->Fields("T");
  const Variant dateValue = ztMSAccess::wqNullCheck(date);
  EXPECT_EQ(dateValue.Type(), VarType::Date);
  EXPECT_EQ(dateValue.DateSerial(), base::DateSerialFromYMD(1900, 1, 1));
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(wqNullCheck, PresentValuesAreReturnedUnchanged) {
  BoxRecorder boxes;
  DataFolder folder{"MAIN.MDB", "QRLSYS.mdb"};
  folder.Exec("MAIN.MDB", std::string(kAllTypes) +
                              "INSERT INTO ALLTYPES (S, L, X, M, T) VALUES "
                              "(-7, 123456, '', 'memo', '2001-01-05 00:00:00');");
  Opened table = OpenTable(folder.File("MAIN.MDB"), "ALLTYPES");
  table.recordset->MoveFirst();
  auto read = [&](const char* name) {
    recordstore::Field field = table.recordset->Fields(name);
    return ztMSAccess::wqNullCheck(field);
  };
  EXPECT_EQ(read("S").ToInteger(), -7);
  EXPECT_EQ(read("L").ToLong(), 123456);
  const Variant empty = read("X");
  EXPECT_EQ(empty.Type(), VarType::String);
  EXPECT_EQ(empty.ToString(), "");  // an empty string stays empty, not padded
  EXPECT_EQ(read("M").ToString(), "memo");
  EXPECT_EQ(read("T").DateSerial(), base::DateSerialFromYMD(2001, 1, 5));
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(wqNullCheck, ReadWithoutCurrentRowReportsAndGivesTheReadErrorValue) {
  BoxRecorder boxes;
  DataFolder folder{"MAIN.MDB", "QRLSYS.mdb"};
  folder.Exec("MAIN.MDB", kAllTypes);
  Opened table = OpenTable(folder.File("MAIN.MDB"), "ALLTYPES");  // empty: no current row
  recordstore::Field date = table.recordset->Fields("T");
  const Variant value = ztMSAccess::wqNullCheck(date);
  EXPECT_EQ(value.Type(), VarType::String);
  EXPECT_EQ(value.ToString(), "  /  /  ");
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].style, 16);
  EXPECT_EQ(boxes.Boxes()[0].title, "wq NullCheck Error");
  const std::string& prompt = boxes.Boxes()[0].prompt;
  EXPECT_EQ(prompt.rfind("Error Encountered In Function: wqNullCheck() Field: T\r\n"
                         "Error Number: 3021\r\nError: ",
                         0),
            0u)
      << prompt;
  recordstore::Field text = table.recordset->Fields("X");
  EXPECT_EQ(ztMSAccess::wqNullCheck(text).ToString(), std::string(30, ' '));
  EXPECT_EQ(boxes.Boxes().size(), 2u);
}

}  // namespace
