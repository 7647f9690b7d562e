// Tests of transactions and locking: writes become visible at CommitTrans, a
// workspace released without a commit rolls back, another workspace that
// tries to write meanwhile gets the locked error after a short, bounded wait,
// and a pessimistic Edit holds the lock until Update.
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

TEST_P(TransactionTest, WritesBecomeVisibleAtCommit) {
  Opened opened = OpenTable(folder.File("MAIN.MDB"), "SYSTAGS");
  opened.workspace->BeginTrans();
  AddTag(*opened.recordset, 2);
  opened.recordset->MoveFirst();
  opened.recordset->Edit();
  opened.recordset->SetCollect("TJLTAG", Variant::Long(5));
  opened.recordset->Update();
  EXPECT_EQ(Tags(), (std::vector<std::string>{"1"}));  // others see nothing yet
  EXPECT_EQ(opened.recordset->RecordCount(), 2);       // the workspace sees its own writes
  opened.workspace->CommitTrans(1);
  EXPECT_EQ(Tags(), (std::vector<std::string>{"5", "2"}));
  EXPECT_EQ(ErrorOf([&] { opened.workspace->CommitTrans(); }), 3034);
}

TEST_P(TransactionTest, ReleasedWorkspaceRollsBack) {
  {
    Opened opened = OpenTable(folder.File("MAIN.MDB"), "SYSTAGS");
    opened.workspace->BeginTrans();
    AddTag(*opened.recordset, 2);
  }
  EXPECT_EQ(Tags(), (std::vector<std::string>{"1"}));
  // A recordset keeps its database and workspace (and so the transaction)
  // alive; releasing it releases them all.
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
  // Closing the workspace rolls back and closes what was opened through it.
  Opened closed = OpenTable(folder.File("MAIN.MDB"), "SYSTAGS");
  closed.workspace->BeginTrans();
  AddTag(*closed.recordset, 4);
  closed.workspace->Close();
  EXPECT_EQ(ErrorOf([&] { closed.recordset->MoveFirst(); }), 3420);
  EXPECT_EQ(Tags(), (std::vector<std::string>{"1"}));
}

TEST_P(TransactionTest, OneFileOpenedTwiceInAWorkspaceSharesItsTransaction) {
  auto workspace = DBEngine::Instance()->CreateWorkspace("wksMAIN");
  auto first = workspace->OpenDatabase(folder.File("MAIN.MDB"))->OpenRecordset("SYSTAGS");
  auto second = workspace->OpenDatabase(folder.File("main.mdb"))->OpenRecordset("SYSTAGS");
  workspace->BeginTrans();
  AddTag(*first, 2);
  AddTag(*second, 3);
  EXPECT_EQ(first->RecordCount(), 3);
  workspace->CommitTrans();
  EXPECT_EQ(Tags().size(), 3u);
}

TEST_P(TransactionTest, ChainedCallsKeepTheirParentsOpen) {
  auto recordset = DBEngine::Instance()
                       ->CreateWorkspace("wksMAIN")
                       ->OpenDatabase(folder.File("MAIN.MDB"))
                       ->OpenRecordset("SYSTAGS");
  EXPECT_EQ(recordset->Fields("TJLTAG").Value().ToLong(), 1);
  AddTag(*recordset, 2);
  EXPECT_EQ(Tags().size(), 2u);
}

TEST_P(TransactionTest, NestedTransactionsRollBackTheInnerOnly) {
  Opened opened = OpenTable(folder.File("MAIN.MDB"), "SYSTAGS");
  opened.workspace->BeginTrans();
  AddTag(*opened.recordset, 2);
  opened.workspace->BeginTrans();
  AddTag(*opened.recordset, 3);
  opened.workspace->Rollback();
  EXPECT_EQ(opened.recordset->RecordCount(), 2);
  opened.workspace->CommitTrans();
  EXPECT_EQ(Tags(), (std::vector<std::string>{"1", "2"}));
}

TEST_P(TransactionTest, SecondWriterGetsTheLockedErrorAfterABoundedWait) {
  // A SQLite transaction locks the whole file; a server locks rows (server_test.cpp).
  if (GetParam() == StoreEngine::kServer) GTEST_SKIP() << "file locks are SQLite's";
  LockWait wait(150);
  Opened first = OpenTable(folder.File("MAIN.MDB"), "SYSTAGS");
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
  second.recordset->CancelUpdate();
  second.recordset->MoveFirst();  // reading is not blocked
  EXPECT_EQ(second.recordset->Fields("TJLTAG").Value().ToLong(), 1);

  first.workspace->CommitTrans(1);
  second.workspace->BeginTrans();
  AddTag(*second.recordset, 3);
  second.workspace->CommitTrans();
  EXPECT_EQ(Tags(), (std::vector<std::string>{"1", "2", "3"}));
}

TEST_P(TransactionTest, PessimisticEditHoldsTheLockUntilUpdate) {
  // A SQLite transaction locks the whole file; a server locks rows (server_test.cpp).
  if (GetParam() == StoreEngine::kServer) GTEST_SKIP() << "file locks are SQLite's";
  LockWait wait(100);
  Opened counter = OpenTable(folder.File("MAIN.MDB"), "SYSTAGS", "", 2);
  Opened other = OpenTable(folder.File("MAIN.MDB"), "SYSTAGS");
  counter.recordset->MoveFirst();
  counter.recordset->Edit();
  EXPECT_EQ(ErrorOf([&] { AddTag(*other.recordset, 9); }), 3260);
  counter.recordset->SetCollect("TJLTAG", Variant::Long(2));
  counter.recordset->Update();
  other.recordset->Update();  // the open AddNew now goes through
  EXPECT_EQ(Tags(), (std::vector<std::string>{"2", "9"}));
  // An abandoned edit releases the lock too.
  counter.recordset->Edit();
  counter.recordset->CancelUpdate();
  AddTag(*other.recordset, 10);
  EXPECT_EQ(Tags().size(), 3u);
}

RUN_ON_BOTH_ENGINES(TransactionTest);

}  // namespace
}  // namespace recordstore::testing
