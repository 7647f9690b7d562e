// Tests of the job-number settings readers: the type of a missing QRLSYS.mdb,
// a stored row, and errors that reach the caller.
#include <gtest/gtest.h>

#include "services/recordstore/recordstore.h"
#include "services/ztLOOKUP.h"
#include "support/data_folder.h"
#include "support/headless_screen.h"

namespace {

using testsupport::BoxRecorder;
using testsupport::DataFolder;

// The boxes and values of a missing file and of a table without a row are
// pinned by the control's scenarios; the type of a missing file is read only
// here, as the control skips it after a size below one.
TEST(JobNumberSettings, MissingFileGivesABlankType) {
  BoxRecorder boxes;
  DataFolder folder{"MAIN.MDB"};
  EXPECT_EQ(ztLOOKUP::GetJobNumberType(folder.Path()), " ");
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].title, "Database Missing.");
}

TEST(JobNumberSettings, StoredRowIsReadAsItStandsAndOpeningErrorsReachTheCaller) {
  BoxRecorder boxes;
  DataFolder folder{"MAIN.MDB", "QRLSYS.mdb"};
  folder.Exec("QRLSYS.mdb",
              "INSERT INTO SYSSETTINGS (JOBNOSIZE, JOBNOTYPE) VALUES (6, 'n'); INSERT INTO "
              "SYSSETTINGS (JOBNOSIZE, JOBNOTYPE) VALUES (9, 'C');");
  EXPECT_EQ(ztLOOKUP::GetJobNumberSize(folder.Path()), 6);
  EXPECT_EQ(ztLOOKUP::GetJobNumberType(folder.Path()), "n");  // as stored, not upper-cased
  // A trailing backslash on the folder gives a doubled separator, which still opens.
  EXPECT_EQ(ztLOOKUP::GetJobNumberSize(folder.Path() + "\\"), 6);
  // Errors of the open reach the caller without a box.
  folder.Exec("QRLSYS.mdb", "DROP TABLE SYSSETTINGS;");
  EXPECT_THROW(ztLOOKUP::GetJobNumberSize(folder.Path()), base::RuntimeError);
  EXPECT_TRUE(boxes.Boxes().empty());
}

}  // namespace
