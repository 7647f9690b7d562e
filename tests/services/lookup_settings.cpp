// Tests of the job-number settings readers: a missing QRLSYS.mdb, a settings
// table without a row, a stored row, and errors that reach the caller.
#include <gtest/gtest.h>

#include "services/recordstore/recordstore.h"
#include "services/ztLOOKUP.h"
#include "support/data_folder.h"
#include "support/headless_screen.h"

namespace {

using testsupport::BoxRecorder;
using testsupport::DataFolder;

const char* const kNoSettingsText =
    "Could not find Job Number Settings. \r\nJob Numbers can be Character or Numerical,\r\n"
    "up to eight characters or digits long.\r\nDefaults will be used. To update the Job\r\n"
    "Number Settings Select Menu Option:\r\nUtilities, 2 - Job Site Settings.";

TEST(JobNumberSettings, MissingFileGivesOneBoxPerReaderAndZeroOrBlank) {
  BoxRecorder boxes;
  DataFolder folder{"MAIN.MDB"};
  EXPECT_EQ(ztLOOKUP::GetJobNumberSize(folder.Path()), 0);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].style, 16);
  EXPECT_EQ(boxes.Boxes()[0].title, "Database Missing.");
  EXPECT_EQ(boxes.Boxes()[0].prompt,
            "Cannot Find Database File: " + folder.Path() + "\\QRLSYS.mdb");
  EXPECT_EQ(ztLOOKUP::GetJobNumberType(folder.Path()), " ");
  EXPECT_EQ(boxes.Boxes().size(), 2u);
}

TEST(JobNumberSettings, NoRowGivesTheSixLineBoxAndDefaults) {
  BoxRecorder boxes;
  DataFolder folder{"MAIN.MDB", "QRLSYS.mdb"};
  EXPECT_EQ(ztLOOKUP::GetJobNumberSize(folder.Path()), 8);
  EXPECT_EQ(ztLOOKUP::GetJobNumberType(folder.Path()), "C");
  ASSERT_EQ(boxes.Boxes().size(), 2u);
  for (const auto& box : boxes.Boxes()) {
    EXPECT_EQ(box.style, 16);
    EXPECT_EQ(box.title, "No Settings Found");
    EXPECT_EQ(box.prompt, kNoSettingsText);
  }
}

TEST(JobNumberSettings, StoredRowIsReadAsItStands) {
  BoxRecorder boxes;
  DataFolder folder{"MAIN.MDB", "QRLSYS.mdb"};
  folder.Exec("QRLSYS.mdb",
              "INSERT INTO SYSSETTINGS (JOBNOSIZE, JOBNOTYPE) VALUES (6, 'n'); INSERT INTO "
              "SYSSETTINGS (JOBNOSIZE, JOBNOTYPE) VALUES (9, 'C');");
  EXPECT_EQ(ztLOOKUP::GetJobNumberSize(folder.Path()), 6);
  EXPECT_EQ(ztLOOKUP::GetJobNumberType(folder.Path()), "n");  // as stored, not upper-cased
  // A trailing backslash on the folder gives a doubled separator, which still opens.
  EXPECT_EQ(ztLOOKUP::GetJobNumberSize(folder.Path() + "\\"), 6);
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(JobNumberSettings, OpeningErrorsReachTheCaller) {
  BoxRecorder boxes;
  DataFolder folder{"MAIN.MDB", "QRLSYS.mdb"};
  folder.Exec("QRLSYS.mdb", "DROP TABLE SYSSETTINGS;");
  EXPECT_THROW(ztLOOKUP::GetJobNumberSize(folder.Path()), base::RuntimeError);
  EXPECT_TRUE(boxes.Boxes().empty());
}

}  // namespace
