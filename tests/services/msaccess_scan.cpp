// Tests of the keyed scans of ztMSAccess: SeekMatchingRecord's seek and
// confirm, and RecordMatchesKeys's current-row and value tests.
// FindAdjacentMatch's neighbour search is pinned by the page scenarios.
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
using ztMSAccess::KeyField;

// TJLITEMS with list 5 (three items, inserted out of index order) and list 6.
class KeyedScan : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_.Exec("MAIN.MDB",
                 "INSERT INTO TJLITEMS (TJLTAG, CONO, JOBNO) VALUES (6, 1, '     AA1');"
                 "INSERT INTO TJLITEMS (TJLTAG, CONO, JOBNO) VALUES (5, 3, '     CC3');"
                 "INSERT INTO TJLITEMS (TJLTAG, CONO, JOBNO) VALUES (5, 2, '     BB2');"
                 "INSERT INTO TJLITEMS (TJLTAG, CONO, JOBNO) VALUES (5, 3, '     AB1');");
  }
  // The text of a field of the row of a bookmark text.
  std::string JobAt(Opened& table, const std::string& bookmark) {
    table.recordset->SetBookmark(bookmark);
    return table.recordset->Fields("JOBNO").Value().ToString();
  }

  BoxRecorder boxes_;
  DataFolder folder_{"MAIN.MDB", "QRLSYS.mdb"};
};

// The seek finds the first row of a group; one that lands on the next group
// or runs off the end is refused, and an unknown index raises.
TEST_F(KeyedScan, SeekMatchingRecordFindsTheFirstRowOfAGroupOnly) {
  Opened items = OpenTable(folder_.File("MAIN.MDB"), "TJLITEMS");
  recordstore::Field tag = items.recordset->Fields("TJLTAG");
  recordstore::Field cono = items.recordset->Fields("CONO");
  const std::string first =
      ztMSAccess::SeekMatchingRecord(*items.recordset, "TJLITEMS", {{Variant::Long(5), tag}});
  ASSERT_FALSE(first.empty());
  EXPECT_EQ(JobAt(items, first), "     BB2");
  const std::string second = ztMSAccess::SeekMatchingRecord(
      *items.recordset, "TJLITEMS", {{Variant::Integer(5), tag}, {Variant::Integer(3), cono}});
  EXPECT_EQ(JobAt(items, second), "     AB1");
  EXPECT_EQ(items.recordset->Index(), "TJLITEMS");
  for (int32_t missing : {4, 7}) {
    EXPECT_EQ(ztMSAccess::SeekMatchingRecord(*items.recordset, "TJLITEMS",
                                             {{Variant::Long(missing), tag}}),
              "")
        << missing;
  }
  EXPECT_THROW(
      ztMSAccess::SeekMatchingRecord(*items.recordset, "NOSUCH", {{Variant::Long(6), tag}}),
      base::RuntimeError);
}

TEST_F(KeyedScan, SeekMatchingRecordConfirmsTextExactly) {
  folder_.Exec("MAIN.MDB",
               "INSERT INTO JOBLIST (CONO, JOBNO, JOBNAME) VALUES (5, '     AB1', 'Pier 4');");
  Opened jobs = OpenTable(folder_.File("MAIN.MDB"), "JOBLIST");
  recordstore::Field cono = jobs.recordset->Fields("CONO");
  recordstore::Field jobno = jobs.recordset->Fields("JOBNO");
  EXPECT_NE(ztMSAccess::SeekMatchingRecord(
                *jobs.recordset, "JOBLIST",
                {{Variant::Integer(5), cono}, {Variant::String("     AB1"), jobno}}),
            "");
  // The index compares without case, the confirmation does not.
  EXPECT_EQ(ztMSAccess::SeekMatchingRecord(
                *jobs.recordset, "JOBLIST",
                {{Variant::Integer(5), cono}, {Variant::String("     ab1"), jobno}}),
            "");
}

TEST_F(KeyedScan, RecordMatchesKeysNeedsACurrentRowAndEqualValues) {
  Opened items = OpenTable(folder_.File("MAIN.MDB"), "TJLITEMS");
  recordstore::Field tag = items.recordset->Fields("TJLTAG");
  recordstore::Field jobno = items.recordset->Fields("JOBNO");
  items.recordset->SetIndex("TJLITEMS");
  items.recordset->MoveFirst();
  EXPECT_TRUE(ztMSAccess::RecordMatchesKeys(*items.recordset, {}));
  EXPECT_TRUE(ztMSAccess::RecordMatchesKeys(*items.recordset, {{Variant::Integer(5), tag}}));
  EXPECT_TRUE(ztMSAccess::RecordMatchesKeys(
      *items.recordset, {{Variant::Double(5), tag}, {Variant::String("     BB2"), jobno}}));
  EXPECT_FALSE(ztMSAccess::RecordMatchesKeys(
      *items.recordset, {{Variant::Long(5), tag}, {Variant::String("     bb2"), jobno}}));
  EXPECT_FALSE(ztMSAccess::RecordMatchesKeys(
      *items.recordset, {{Variant::Long(5), tag}, {Variant::String("     BB2 "), jobno}}));
  items.recordset->MoveLast();
  items.recordset->MoveNext();
  EXPECT_FALSE(ztMSAccess::RecordMatchesKeys(*items.recordset, {}));

  Opened empty = OpenTable(folder_.File("MAIN.MDB"), "TJLIST");
  EXPECT_FALSE(ztMSAccess::RecordMatchesKeys(*empty.recordset, {}));
  EXPECT_TRUE(boxes_.Boxes().empty());
}

}  // namespace
