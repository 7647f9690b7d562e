// Tests of the keyed scans of ztMSAccess: SeekMatchingRecord's seek and
// confirm, RecordMatchesKeys's current-row and value tests, and
// FindAdjacentMatch's neighbour search.
#include <gtest/gtest.h>

#include "msaccess_datafolder.h"
#include "services/recordstore/recordstore.h"
#include "services/ztMSAccess.h"

namespace {

using recordstore::Variant;
using ztMSAccess::KeyField;

// TJLITEMS with list 5 (three items, inserted out of index order) and list 6.
class KeyedScan : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_.Exec("MAIN.MDB",
                 "INSERT INTO TJLITEMS VALUES (6, 1, '     AA1');"
                 "INSERT INTO TJLITEMS VALUES (5, 3, '     CC3');"
                 "INSERT INTO TJLITEMS VALUES (5, 2, '     BB2');"
                 "INSERT INTO TJLITEMS VALUES (5, 3, '     AB1');");
  }
  // The text of a field of the row of a bookmark text.
  std::string JobAt(OpenTable& table, const std::string& bookmark) {
    table.rs->SetBookmark(bookmark);
    return table.rs->Fields("JOBNO").Value().ToString();
  }

  BoxRecorder boxes_;
  DataFolder folder_;
};

TEST_F(KeyedScan, SeekMatchingRecordFindsTheFirstRowOfAGroup) {
  OpenTable items(folder_, "TJLITEMS");
  recordstore::Field tag = items.rs->Fields("TJLTAG");
  recordstore::Field cono = items.rs->Fields("CONO");
  const std::string first =
      ztMSAccess::SeekMatchingRecord(*items.rs, "TJLITEMS", {{Variant::Long(5), tag}});
  ASSERT_FALSE(first.empty());
  EXPECT_EQ(JobAt(items, first), "     BB2");
  const std::string second = ztMSAccess::SeekMatchingRecord(
      *items.rs, "TJLITEMS", {{Variant::Integer(5), tag}, {Variant::Integer(3), cono}});
  EXPECT_EQ(JobAt(items, second), "     AB1");
  EXPECT_EQ(items.rs->Index(), "TJLITEMS");
}

TEST_F(KeyedScan, SeekMatchingRecordRefusesTheNextGroupAndTheEnd) {
  folder_.Exec("MAIN.MDB", "DELETE FROM TJLITEMS WHERE TJLTAG = 5;");
  OpenTable items(folder_, "TJLITEMS");
  recordstore::Field tag = items.rs->Fields("TJLTAG");
  // The seek lands on list 6; the check refuses it.
  EXPECT_EQ(ztMSAccess::SeekMatchingRecord(*items.rs, "TJLITEMS", {{Variant::Long(5), tag}}), "");
  EXPECT_EQ(ztMSAccess::SeekMatchingRecord(*items.rs, "TJLITEMS", {{Variant::Long(7), tag}}), "");
  EXPECT_THROW(ztMSAccess::SeekMatchingRecord(*items.rs, "NOSUCH", {{Variant::Long(6), tag}}),
               recordstore::RuntimeError);
}

TEST_F(KeyedScan, SeekMatchingRecordConfirmsTextExactly) {
  folder_.Exec("MAIN.MDB", "INSERT INTO JOBLIST VALUES (5, '     AB1', 'Pier 4');");
  OpenTable jobs(folder_, "JOBLIST");
  recordstore::Field cono = jobs.rs->Fields("CONO");
  recordstore::Field jobno = jobs.rs->Fields("JOBNO");
  EXPECT_NE(
      ztMSAccess::SeekMatchingRecord(
          *jobs.rs, "JOBLIST", {{Variant::Integer(5), cono}, {Variant::String("     AB1"), jobno}}),
      "");
  // The index compares without case, the confirmation does not.
  EXPECT_EQ(
      ztMSAccess::SeekMatchingRecord(
          *jobs.rs, "JOBLIST", {{Variant::Integer(5), cono}, {Variant::String("     ab1"), jobno}}),
      "");
}

TEST_F(KeyedScan, RecordMatchesKeysNeedsACurrentRowAndEqualValues) {
  OpenTable items(folder_, "TJLITEMS");
  recordstore::Field tag = items.rs->Fields("TJLTAG");
  recordstore::Field jobno = items.rs->Fields("JOBNO");
  items.rs->SetIndex("TJLITEMS");
  items.rs->MoveFirst();
  EXPECT_TRUE(ztMSAccess::RecordMatchesKeys(*items.rs, {}));
  EXPECT_TRUE(ztMSAccess::RecordMatchesKeys(*items.rs, {{Variant::Integer(5), tag}}));
  EXPECT_TRUE(ztMSAccess::RecordMatchesKeys(
      *items.rs, {{Variant::Double(5), tag}, {Variant::String("     BB2"), jobno}}));
  EXPECT_FALSE(ztMSAccess::RecordMatchesKeys(
      *items.rs, {{Variant::Long(5), tag}, {Variant::String("     bb2"), jobno}}));
  EXPECT_FALSE(ztMSAccess::RecordMatchesKeys(
      *items.rs, {{Variant::Long(5), tag}, {Variant::String("     BB2 "), jobno}}));
  items.rs->MoveLast();
  items.rs->MoveNext();
  EXPECT_FALSE(ztMSAccess::RecordMatchesKeys(*items.rs, {}));

  OpenTable empty(folder_, "TJLIST");
  EXPECT_FALSE(ztMSAccess::RecordMatchesKeys(*empty.rs, {}));
  EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(KeyedScan, FindAdjacentMatchPrefersTheNextRow) {
  OpenTable items(folder_, "TJLITEMS");
  recordstore::Field tag = items.rs->Fields("TJLTAG");
  items.rs->SetIndex("TJLITEMS");
  items.rs->MoveFirst();
  const std::string bb2 = items.rs->Bookmark();
  items.rs->MoveNext();
  const std::string ab1 = items.rs->Bookmark();
  items.rs->MoveNext();
  const std::string cc3 = items.rs->Bookmark();
  items.rs->MoveNext();
  const std::string aa1 = items.rs->Bookmark();  // list 6, the last row

  EXPECT_EQ(ztMSAccess::FindAdjacentMatch(*items.rs, ab1, {}), cc3);
  EXPECT_EQ(ztMSAccess::FindAdjacentMatch(*items.rs, aa1, {}), cc3);
  // The next row belongs to list 6: the previous one of list 5 is taken.
  EXPECT_EQ(ztMSAccess::FindAdjacentMatch(*items.rs, cc3, {{Variant::Long(5), tag}}), ab1);
  EXPECT_EQ(ztMSAccess::FindAdjacentMatch(*items.rs, aa1, {{Variant::Long(6), tag}}), " ");
  EXPECT_EQ(ztMSAccess::FindAdjacentMatch(*items.rs, bb2, {{Variant::Long(6), tag}}), " ");

  folder_.Exec("MAIN.MDB", "DELETE FROM TJLITEMS WHERE TJLTAG = 5;");
  EXPECT_EQ(ztMSAccess::FindAdjacentMatch(*items.rs, aa1, {}), " ");
}

}  // namespace
