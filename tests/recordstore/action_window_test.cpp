// Tests of moves inside a user action, where a server answers from windows of
// rows read ahead: the same positions as moves outside any action (which read
// one row per statement) over keys with NULLs and ties, the writes of this
// process seen at once, another program's change seen by the next action, and
// a page or a page's seeks in one request.
#include <gtest/gtest.h>

#include <random>
#include <thread>

#include "services/base/user_action.h"
#include "services/recordstore/connection.h"
#include "services/recordstore/recordstore.h"
#include "store_helpers.h"

namespace recordstore::testing {
namespace {

using base::RuntimeError;
using base::UserAction;

// Where a recordset stands: its bookmark, or the end it is at.
std::string Position(Recordset& rs) {
  if (rs.IsEOF()) return rs.IsBOF() ? "both ends" : "EOF";
  if (rs.IsBOF()) return "BOF";
  try {
    return rs.Bookmark();
  } catch (const base::RuntimeError& e) {
    return "error " + std::to_string(e.Number());
  }
}

class ActionWindowTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    if (IsSkipped()) return;
    // TJLITEMS (non-unique, three keys, one of text) and JOBLIST (unique,
    // which admits repeated NULL keys), with NULLs at every key position.
    std::mt19937 random(11);
    const char* texts[] = {"NULL", "'a'", "'A'", "'b'", "'c '", "'C'", "'d'"};
    auto number = [&](int range) {
      return random() % 5 == 0 ? std::string("NULL") : std::to_string(random() % range);
    };
    std::string rows;
    for (int i = 0; i < 150; ++i) {
      rows += "INSERT INTO TJLITEMS (TJLTAG, CONO, JOBNO) VALUES (" + number(3) + ", " + number(3) +
              ", " + texts[random() % 7] + ");";
    }
    const char* jobs[] = {"NULL", "'a'", "'b'", "'c '", "'C'", "'d'"};  // unique as keys
    for (int cono = 0; cono < 5; ++cono) {
      for (const char* job : jobs) {
        if (random() % 3 == 0) continue;
        rows += "INSERT INTO JOBLIST (CONO, JOBNO, JOBNAME) VALUES (" +
                (cono == 4 ? std::string("NULL") : std::to_string(cono)) + ", " + job + ", 'x');";
      }
    }
    folder.CreateMain(rows);
  }
};

// One random script of moves, seeks and bookmarks, run on two recordsets of
// the same table: one inside actions of a few steps each, one outside any
// (on a thread of its own, never at the same time); both are opened again now
// and then, so that moves from a freshly opened recordset are compared too.
TEST_P(ActionWindowTest, MovesInsideAnActionStandWhereMovesOutsideOneStand) {
  for (const unsigned seed : {5u, 6u, 7u})
    for (const std::string table : {"TJLITEMS", "JOBLIST"}) {
      Opened inside = OpenTable(folder.File("MAIN.MDB"), table, table);
      Opened outside = OpenTable(folder.File("MAIN.MDB"), table, table);
      const int keys = table == "TJLITEMS" ? 3 : 2;
      std::mt19937 random(seed);
      std::vector<std::string> bookmarks;
      auto someKeys = [&] {
        std::vector<Variant> values;
        size_t count = 1 + random() % keys;
        for (size_t j = 0; j < count; ++j) {
          const bool text = j + 1 == static_cast<size_t>(keys);
          values.push_back(text ? Variant::String(std::string(1, "aBcd"[random() % 4]))
                                : Variant::Integer(static_cast<int16_t>(random() % 4)));
        }
        return values;
      };
      std::unique_ptr<UserAction> action;
      for (int step = 0; step < 600; ++step) {
        if (step % 25 == 0) action = std::make_unique<UserAction>();
        if (step % 25 == 20) action.reset();
        const int op = static_cast<int>(random() % 10);
        // Now and then both open the table again before the step: the one
        // inside leaves its first row to be read when needed, the reference
        // reads it at once (before its index is set, as the open would).
        const bool reopen = random() % 6 == 0;
        std::vector<Variant> seek = someKeys();
        std::string bookmark = bookmarks.empty() ? "" : bookmarks[random() % bookmarks.size()];
        std::string what;
        auto apply = [&](Opened& opened, bool readAtOnce) {
          if (reopen) {
            opened.recordset = opened.database->OpenRecordset(table);
            if (readAtOnce) opened.recordset->IsEOF();
            opened.recordset->SetIndex(table);
          }
          Recordset& rs = *opened.recordset;
          int error = ErrorOf([&] {
            switch (op) {
              case 0:
                rs.MoveFirst();
                break;
              case 1:
                rs.MoveLast();
                break;
              case 2:
                rs.Seek(">=", seek);
                break;
              case 3:
                rs.Seek("=", seek);
                break;
              case 4:
                if (!bookmark.empty()) rs.SetBookmark(bookmark);
                break;
              case 5:
              case 6:
              case 7:
                rs.MovePrevious();
                break;
              default:
                rs.MoveNext();
                break;
            }
          });
          return std::to_string(error) + " " + Position(rs);
        };
        // Actions belong to a thread: the reference runs on one without any.
        std::string expected;
        std::thread([&] { expected = apply(outside, true); }).join();
        ASSERT_EQ(apply(inside, false), expected) << table << " seed " << seed << " step " << step
                                                  << " op " << op << " reopen " << reopen;
        if (expected.size() == 10) bookmarks.push_back(expected.substr(2));
      }
    }
}

TEST_P(ActionWindowTest, WritesOfThisProcessAreSeenAtOnceAndOthersByTheNextAction) {
  Opened items = OpenTable(folder.File("MAIN.MDB"), "TJLITEMS", "TJLITEMS");
  Recordset& rs = *items.recordset;
  auto tag = [&] { return rs.Fields("TJLTAG").Value().ToString(); };
  folder.Exec("MAIN.MDB", "DELETE FROM TJLITEMS");
  folder.Exec("MAIN.MDB",
              "INSERT INTO TJLITEMS (TJLTAG, CONO, JOBNO) VALUES (10, 1, 'a'), (20, 1, 'a'), "
              "(30, 1, 'a'), (40, 1, 'a')");
  {
    UserAction action;
    rs.MoveFirst();
    EXPECT_EQ(tag(), "10");
    rs.MoveNext();
    rs.Delete();  // this process's own write
    rs.MoveNext();
    EXPECT_EQ(tag(), "30");
    rs.MovePrevious();
    EXPECT_EQ(tag(), "10");
    rs.AddNew();
    rs.Fields("TJLTAG").SetValue(Variant::Long(15));
    rs.Fields("CONO").SetValue(Variant::Integer(1));
    rs.Fields("JOBNO").SetValue(Variant::String("a"));
    rs.Update();
    rs.MoveFirst();
    rs.MoveNext();
    EXPECT_EQ(tag(), "15");
    // Another program adds a row after the last one: this action may still
    // answer from what it read, the next one must see it.
    folder.Exec("MAIN.MDB", "INSERT INTO TJLITEMS (TJLTAG, CONO, JOBNO) VALUES (50, 2, 'a')");
  }
  UserAction next;
  rs.MoveLast();
  EXPECT_EQ(tag(), "50");
  EXPECT_FALSE(rs.IsEmpty());
}

TEST_P(ActionWindowTest, APageAndItsSeeksCostOneRequestEachOnAServer) {
  // Rows with NULL keys move one statement at a time; real lists have none.
  folder.Exec("MAIN.MDB", "DELETE FROM TJLITEMS WHERE TJLTAG IS NULL OR CONO IS NULL");
  Opened items = OpenTable(folder.File("MAIN.MDB"), "TJLITEMS", "TJLITEMS");
  Opened jobs = OpenTable(folder.File("MAIN.MDB"), "JOBLIST", "JOBLIST");
  const bool server = GetParam() == StoreEngine::kServer;
  UserAction action;
  EXPECT_EQ(jobs.recordset->ReadsAhead(), server);
  uint64_t before = ServerRoundTrips();
  items.recordset->MoveFirst();
  for (int i = 0; i < 12; ++i) items.recordset->MoveNext();
  if (server) {
    EXPECT_EQ(ServerRoundTrips() - before, 1u);
  }

  // Three seeks named ahead, one of them for a key no row has.
  std::vector<std::vector<Variant>> seeks = {{Variant::Integer(1), Variant::String("A")},
                                             {Variant::Integer(9), Variant::String("a")},
                                             {Variant::Integer(2), Variant::String("d")}};
  std::vector<std::string> expected;
  Opened plain = OpenTable(folder.File("MAIN.MDB"), "JOBLIST", "JOBLIST");
  for (const auto& keys : seeks) {
    plain.recordset->Seek("=", keys);
    expected.push_back(plain.recordset->NoMatch() ? "none" : plain.recordset->Bookmark());
  }
  before = ServerRoundTrips();
  EXPECT_EQ(jobs.recordset->ExpectSeeks(seeks, seeks.size()), server);
  std::vector<std::string> found;
  for (const auto& keys : seeks) {
    jobs.recordset->Seek("=", keys);
    found.push_back(jobs.recordset->NoMatch() ? "none" : jobs.recordset->Bookmark());
  }
  EXPECT_EQ(found, expected);
  EXPECT_EQ(found[1], "none");
  if (server) {
    EXPECT_EQ(ServerRoundTrips() - before, 1u);
  }
}

RUN_ON_BOTH_ENGINES(ActionWindowTest);

}  // namespace
}  // namespace recordstore::testing
