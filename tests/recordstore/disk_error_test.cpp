// The store's errors for a failing disk, made by its VFS: an I/O error of
// any kind of file call is 3043 and a full disk 3026, each naming the file;
// the table keeps its old rows, and the same recordset writes again once the
// disk is sound. The control's sweep over every call of every writing action
// (tests/control/disk_fault_test.cpp) accepts either number.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "services/recordstore/fault_vfs.h"
#include "services/recordstore/recordstore.h"
#include "store_helpers.h"

namespace recordstore::testing {
namespace {

struct Case {
  FaultVfs::Call call;
  int code;
  int number;
};

TEST(DiskError, FailedWritesAreClassicErrorsAndLeaveTheTableAsItWas) {
  const Case cases[] = {{FaultVfs::Call::kWrite, SQLITE_IOERR, 3043},
                        {FaultVfs::Call::kWrite, SQLITE_FULL, 3026},
                        {FaultVfs::Call::kSync, SQLITE_IOERR, 3043},
                        {FaultVfs::Call::kLock, SQLITE_IOERR, 3043}};
  for (const Case& c : cases) {
    DataFolder folder;
    folder.CreateMain("INSERT INTO COLIST (CONO, CONAME) VALUES (1, 'Alder');");
    Opened companies = OpenTable(folder.File("MAIN.MDB"), "COLIST");
    Recordset& rs = *companies.recordset;
    rs.AddNew();
    rs.SetCollect("CONO", Variant::Integer(2));
    FaultVfs::Arm(c.call, 1, c.code, true);
    std::string description;
    const int number = ErrorOf([&] { rs.Update(); }, &description);
    FaultVfs::Disarm();
    EXPECT_EQ(number, c.number) << description;
    EXPECT_NE(description.find("MAIN.MDB"), std::string::npos) << description;
    EXPECT_EQ(folder.Value("MAIN.MDB", "SELECT count(*) FROM COLIST"), "1") << c.number;
    EXPECT_EQ(folder.Value("MAIN.MDB", "PRAGMA integrity_check"), "ok");
    rs.Update();  // the edit stayed open; the disk is sound again
    EXPECT_EQ(folder.Value("MAIN.MDB", "SELECT count(*) FROM COLIST"), "2");
  }
}

}  // namespace
}  // namespace recordstore::testing
