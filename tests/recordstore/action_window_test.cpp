// Tests of moves over keys with NULLs, ties and text in mixed case: walks in
// the engine's own order, and moves inside a user action, where a server
// answers from windows of rows read ahead, standing where moves outside any
// action (which read one row per statement) stand; and a page or a page's
// seeks in one request.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <thread>

#include "services/base/user_action.h"
#include "services/recordstore/connection.h"
#include "services/recordstore/recordstore.h"
#include "store_helpers.h"

namespace recordstore::testing {
namespace {

using base::UserAction;

// The row identity a bookmark carries (8 bytes, most significant first).
std::string RowidOf(const std::string& bookmark) {
  uint64_t bits = 0;
  for (unsigned char c : bookmark) bits = bits << 8 | c;
  return std::to_string(static_cast<int64_t>(bits));
}

// Where a recordset stands: its bookmark, or the end it is at.
std::string Position(Recordset& rs) {
  if (rs.IsEOF()) return rs.IsBOF() ? "both ends" : "EOF";
  if (rs.IsBOF()) return "BOF";
  std::string bookmark;
  const int error = ErrorOf([&] { bookmark = rs.Bookmark(); });
  return error == 0 ? bookmark : "error " + std::to_string(error);
}

class ActionWindowTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    if (IsSkipped()) return;
    // TJLITEMS (non-unique, three keys, one of text) and JOBLIST (unique,
    // which admits repeated NULL keys), with NULLs at every key position.
    std::mt19937 random(11);
    const char* texts[] = {"NULL", "'a'", "'A'", "'b'", "'c '", "'C'", "'d'", "' b'", "'é'", "'É'"};
    auto number = [&](int range) {
      return random() % 5 == 0 ? std::string("NULL") : std::to_string(random() % range);
    };
    std::string rows;
    for (int i = 0; i < 150; ++i) {
      rows += "INSERT INTO TJLITEMS (TJLTAG, CONO, JOBNO) VALUES (" + number(3) + ", " + number(3) +
              ", " + texts[random() % 10] + ");";
    }
    const char* jobs[] = {"NULL", "'a'", "'b'", "'c '", "'C'", "'d'", "'é'", "'É'"};  // unique keys
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

// Walks outside any action agree with the engine's own ORDER BY on the
// layout's index expressions (NULLs first, ties by rowid) for a non-unique and
// a unique index. Then one random script of moves, seeks and bookmarks runs on
// two recordsets of each table: one inside actions of a few steps each, one
// outside any (on a thread of its own, never at the same time); both are
// opened again now and then, so that moves from a freshly opened recordset are
// compared too.
TEST_P(ActionWindowTest, MovesInsideAnActionStandWhereMovesOutsideOneStand) {
  const bool server = GetParam() == StoreEngine::kServer;
  const std::string number = server ? " NULLS FIRST, " : ", ";
  const std::string text =
      server ? "(lower(JOBNO) COLLATE \"C\") NULLS FIRST" : "JOBNO COLLATE NOCASE";
  for (const auto& [table, order] :
       {std::pair<std::string, std::string>{"TJLITEMS", "TJLTAG" + number + "CONO" + number + text},
        {"JOBLIST", "CONO" + number + text}}) {
    std::vector<std::string> expected =
        folder.Query("MAIN.MDB", "SELECT rowid FROM " + table + " ORDER BY " + order + ", rowid");
    Opened opened = OpenTable(folder.File("MAIN.MDB"), table, table);
    Recordset& rs = *opened.recordset;
    std::vector<std::string> forward, backward;
    for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext()) forward.push_back(RowidOf(rs.Bookmark()));
    for (rs.MoveLast(); !rs.IsBOF(); rs.MovePrevious()) {
      backward.insert(backward.begin(), RowidOf(rs.Bookmark()));
    }
    EXPECT_EQ(forward, expected) << table;
    EXPECT_EQ(backward, expected) << table;
  }
  for (const unsigned seed : {5u, 6u, 7u})
    for (const std::string table : {"TJLITEMS", "JOBLIST"}) {
      Opened inside = OpenTable(folder.File("MAIN.MDB"), table, table);
      Opened outside = OpenTable(folder.File("MAIN.MDB"), table, table);
      const int keys = table == "TJLITEMS" ? 3 : 2;
      std::mt19937 random(seed);
      std::vector<std::string> bookmarks;
      std::vector<Variant> seek;
      std::string bookmark;
      const std::function<void(Recordset&)> moves[] = {
          [](Recordset& rs) { rs.MoveFirst(); },
          [](Recordset& rs) { rs.MoveLast(); },
          [&](Recordset& rs) { rs.Seek(">=", seek); },
          [&](Recordset& rs) { rs.Seek("=", seek); },
          [&](Recordset& rs) { bookmark.empty() ? void() : rs.SetBookmark(bookmark); },
          [](Recordset& rs) { rs.MovePrevious(); },
          [](Recordset& rs) { rs.MoveNext(); }};
      std::unique_ptr<UserAction> action;
      for (int step = 0; step < 600; ++step) {
        if (step % 25 == 0) action = std::make_unique<UserAction>();
        if (step % 25 == 20) action.reset();
        const int op = static_cast<int>(random() % 10);
        // Now and then both open the table again before the step: the one
        // inside leaves its first row to be read when needed, the reference
        // reads it at once (before its index is set, as the open would).
        const bool reopen = random() % 6 == 0;
        seek.assign(1 + random() % keys, Variant());
        for (size_t j = 0; j < seek.size(); ++j) {
          seek[j] = j + 1 == static_cast<size_t>(keys)
                        ? Variant::String(std::string(1, "aBcd"[random() % 4]))
                        : Variant::Integer(static_cast<int16_t>(random() % 4));
        }
        bookmark = bookmarks.empty() ? "" : bookmarks[random() % bookmarks.size()];
        auto apply = [&](Opened& opened, bool readAtOnce) {
          if (reopen) {
            opened.recordset = opened.database->OpenRecordset(table);
            if (readAtOnce) opened.recordset->IsEOF();
            opened.recordset->SetIndex(table);
          }
          Recordset& rs = *opened.recordset;
          int error = ErrorOf([&] { moves[op < 5 ? op : op < 8 ? 5 : 6](rs); });
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

TEST_P(ActionWindowTest, APageAndItsSeeksCostOneRequestEachOnAServer) {
  // Rows with NULL keys move one statement at a time; real lists have none.
  folder.Exec("MAIN.MDB", "DELETE FROM TJLITEMS WHERE TJLTAG IS NULL OR CONO IS NULL");
  Opened items = OpenTable(folder.File("MAIN.MDB"), "TJLITEMS", "TJLITEMS");
  Opened jobs = OpenTable(folder.File("MAIN.MDB"), "JOBLIST", "JOBLIST");
  const bool server = GetParam() == StoreEngine::kServer;
  UserAction action;
  uint64_t before = ServerRoundTrips();
  items.recordset->MoveFirst();
  for (int i = 0; i < 12; ++i) items.recordset->MoveNext();
  EXPECT_EQ(ServerRoundTrips() - before, server ? 1u : 0u);

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
  jobs.recordset->ExpectSeeks(seeks, seeks.size());
  std::vector<std::string> found;
  for (const auto& keys : seeks) {
    jobs.recordset->Seek("=", keys);
    found.push_back(jobs.recordset->NoMatch() ? "none" : jobs.recordset->Bookmark());
  }
  EXPECT_EQ(found, expected);
  EXPECT_EQ(found[1], "none");
  EXPECT_EQ(ServerRoundTrips() - before, server ? 1u : 0u);
}

RUN_ON_BOTH_ENGINES(ActionWindowTest);

}  // namespace
}  // namespace recordstore::testing
