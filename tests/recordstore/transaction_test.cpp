// Tests of transactions and locking: writes become visible at CommitTrans, a
// workspace released or closed without a commit rolls back, another workspace
// that tries to write a SQLite file meanwhile gets the locked error after a
// short, bounded wait, and a pessimistic Edit holds the lock until Update.
#include <gtest/gtest.h>

#include <chrono>

#include "services/recordstore/recordstore.h"
#include "store_helpers.h"

namespace recordstore::testing {
namespace {

class TransactionTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    if (!IsSkipped()) folder.CreateMain("INSERT INTO SYSTAGS (TJLTAG) VALUES (1);");
  }
  std::vector<std::string> Tags() {
    return folder.Query("MAIN.MDB", "SELECT TJLTAG FROM SYSTAGS ORDER BY rowid");
  }
  // Adds a SYSTAGS row holding `tag` through `recordset`.
  static void AddTag(Recordset& recordset, int tag) {
    recordset.AddNew();
    recordset.SetCollect("TJLTAG", Variant::Long(tag));
    recordset.Update();
  }
};

// A workspace's writes, through every database it opened on the file, are
// seen by it at once and by others at the outermost commit; a nested
// transaction rolls back alone.
TEST_P(TransactionTest, WritesBecomeVisibleAtTheOutermostCommit) {
  auto workspace = DBEngine::Instance()->CreateWorkspace("wksMAIN");
  auto first = workspace->OpenDatabase(folder.File("MAIN.MDB"))->OpenRecordset("SYSTAGS");
  auto second = workspace->OpenDatabase(folder.File("main.mdb"))->OpenRecordset("SYSTAGS");
  workspace->BeginTrans();
  AddTag(*first, 2);
  first->MoveFirst();
  first->Edit();
  first->SetCollect("TJLTAG", Variant::Long(5));
  first->Update();
  workspace->BeginTrans();
  AddTag(*second, 3);
  workspace->Rollback();
  AddTag(*second, 4);
  EXPECT_EQ(Tags(), (std::vector<std::string>{"1"}));  // others see nothing yet
  EXPECT_EQ(first->RecordCount(), 3);
  workspace->CommitTrans(1);
  EXPECT_EQ(Tags(), (std::vector<std::string>{"5", "2", "4"}));
  EXPECT_EQ(ErrorOf([&] { workspace->CommitTrans(); }), 3034);
}

// A recordset keeps its database and workspace (and so the transaction)
// alive; releasing it, or closing the workspace, rolls back.
TEST_P(TransactionTest, ReleasedOrClosedWorkspaceRollsBack) {
  std::shared_ptr<Recordset> kept;
  {
    Opened opened = OpenTable(folder.File("MAIN.MDB"), "SYSTAGS");
    opened.workspace->BeginTrans();
    AddTag(*opened.recordset, 3);
    kept = opened.recordset;
  }
  EXPECT_EQ(kept->RecordCount(), 2);
  EXPECT_EQ(Tags(), (std::vector<std::string>{"1"}));
  kept.reset();
  EXPECT_EQ(Tags(), (std::vector<std::string>{"1"}));
  Opened closed = OpenTable(folder.File("MAIN.MDB"), "SYSTAGS");
  closed.workspace->BeginTrans();
  AddTag(*closed.recordset, 4);
  closed.workspace->Close();
  EXPECT_EQ(ErrorOf([&] { closed.recordset->MoveFirst(); }), 3420);
  EXPECT_EQ(Tags(), (std::vector<std::string>{"1"}));
}

// A SQLite transaction or pessimistic Edit locks the whole file (a server
// locks rows: server_test.cpp): another workspace's write gets 3260 naming the
// file after a short, bounded wait, reading is not blocked, and the write goes
// through once the lock is released (by the commit, Update or CancelUpdate).
TEST_P(TransactionTest, SecondWriterOnAFileGetsTheLockedErrorAfterABoundedWait) {
  if (GetParam() == StoreEngine::kServer) GTEST_SKIP() << "file locks are SQLite's";
  LockWait wait(150);
  Opened first = OpenTable(folder.File("MAIN.MDB"), "SYSTAGS", "", 2);
  Opened second = OpenTable(folder.File("MAIN.MDB"), "SYSTAGS");
  first.workspace->BeginTrans();
  AddTag(*first.recordset, 2);
  auto start = std::chrono::steady_clock::now();
  std::string description;
  EXPECT_EQ(ErrorOf([&] { second.workspace->BeginTrans(); }, &description), 3260);
  auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(100));
  EXPECT_LT(waited, std::chrono::milliseconds(2000));
  EXPECT_NE(description.find("MAIN.MDB"), std::string::npos);
  EXPECT_EQ(ErrorOf([&] { AddTag(*second.recordset, 3); }), 3260);
  second.recordset->MoveFirst();  // reading is not blocked
  EXPECT_EQ(second.recordset->Fields("TJLTAG").Value().ToLong(), 1);
  first.workspace->CommitTrans(1);
  // The pessimistic Edit (lock mode 2) holds the file from Edit to Update.
  first.recordset->MoveFirst();
  first.recordset->Edit();
  EXPECT_EQ(ErrorOf([&] { AddTag(*second.recordset, 3); }), 3260);
  first.recordset->SetCollect("TJLTAG", Variant::Long(5));
  first.recordset->Update();
  second.recordset->Update();  // the open AddNew now goes through
  first.recordset->Edit();
  first.recordset->CancelUpdate();
  AddTag(*second.recordset, 6);
  EXPECT_EQ(Tags(), (std::vector<std::string>{"5", "2", "3", "6"}));
}

RUN_ON_BOTH_ENGINES(TransactionTest);

}  // namespace
}  // namespace recordstore::testing
