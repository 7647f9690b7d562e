// Tests of the reports of ztMSAccess. wqNullCheck: the typed empty value of
// every field type, an empty text returned unpadded, and the report of a read
// without a current row. ShowFormLoadError on a form with timers: the search
// dialog's scenario scripts check the report box and that only its Cancel
// button is left; controls named as timers ("tmr", in that case) keep their
// state, and a hidden button to keep is shown.
#include <gtest/gtest.h>

#include "services/recordstore/recordstore.h"
#include "services/screen/screen.h"
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

const std::string kAllTypes =
    "CREATE TABLE ALLTYPES (B BIT, Y BYTE, S SHORT, L LONG, C CURRENCY, F SINGLE, D DOUBLE,"
    " T DATETIME, X TEXT(30), LB LONGBINARY, M MEMO, G GUID);";

// A row of Nulls, then a row whose text is empty, then no current row.
TEST(NullCheck, TypedEmptyValuesAnEmptyTextAndAReadWithoutARow) {
  BoxRecorder boxes;
  DataFolder folder{"MAIN.MDB", "QRLSYS.mdb"};
  folder.Exec(
      "MAIN.MDB",
      kAllTypes + "INSERT INTO ALLTYPES DEFAULT VALUES; INSERT INTO ALLTYPES (X) VALUES ('');");
  Opened table = OpenTable(folder.File("MAIN.MDB"), "ALLTYPES");
  table.recordset->MoveFirst();
  auto Read = [&](const char* name) {
    recordstore::Field field = table.recordset->Fields(name);
    return ztMSAccess::wqNullCheck(field);
  };
  const struct {
    const char* field;
    VarType type;
    Variant value;
  } cases[] = {
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
  for (const auto& c : cases) {
    const Variant value = Read(c.field);
    EXPECT_EQ(value.Type(), c.type) << c.field;
    EXPECT_TRUE(value == c.value) << c.field << " read as '" << value.ToString() << "'";
  }
  const Variant dateValue = Read("T");
  EXPECT_EQ(dateValue.Type(), VarType::Date);
  EXPECT_EQ(dateValue.DateSerial(), base::DateSerialFromYMD(1900, 1, 1));
  // Present values come back as read; the row's values reach the user on
  // every page of the search, so only the empty text, returned unpadded, is
  // checked here.
  table.recordset->MoveNext();
  const Variant empty = Read("X");
  EXPECT_EQ(empty.Type(), VarType::String);
  EXPECT_EQ(empty.ToString(), "");
  EXPECT_TRUE(boxes.Boxes().empty());
  // Without a current row: the box's form is a scenario's; the missing row is
  // error 3021, and the field reads as the read-error value of its type.
  table.recordset->MoveNext();
  const Variant value = Read("T");
  EXPECT_EQ(value.Type(), VarType::String);
  EXPECT_EQ(value.ToString(), "  /  /  ");
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_NE(boxes.Boxes()[0].prompt.find("Field: T\r\nError Number: 3021\r\n"), std::string::npos)
      << boxes.Boxes()[0].prompt;
  EXPECT_EQ(Read("X").ToString(), std::string(30, ' '));
  EXPECT_EQ(boxes.Boxes().size(), 2u);
}

TEST(ShowFormLoadError, TimersKeepTheirStateAndTheKeptButtonShows) {
  testsupport::BoxRecorder boxes;
  screen::Form frm("frmTest");
  screen::CommandButton cmdClose("cmdClose");
  screen::Label tmrShown("tmrShown"), tmrHidden("tmrHidden"), TMRUpper("TMRUpper");
  screen::Control* const controls[] = {&cmdClose, &tmrShown, &tmrHidden, &TMRUpper};
  for (screen::Control* c : controls) frm.Add(*c);
  tmrHidden.SetVisible(false);
  cmdClose.SetVisible(false);
  ztMSAccess::ShowFormLoadError(frm, cmdClose, "frmTest", "3265", "Field XYZ not found");
  EXPECT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_TRUE(tmrShown.Visible());
  EXPECT_FALSE(tmrHidden.Visible());
  EXPECT_FALSE(TMRUpper.Visible());
  EXPECT_TRUE(cmdClose.Visible());
}

}  // namespace
