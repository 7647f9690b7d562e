// Test support for the search dialog: temporary folders made with plain
// SQLite and the modal-run fixture. See search_fixture.h.
#include "search_fixture.h"

#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "services/ztLOOKUP.h"

namespace {

// The MAIN.MDB part of the system's layout.
const char* const kMainSchema = R"sql(
CREATE TABLE COLIST (CONO SHORT, CONAME TEXT(30));
CREATE UNIQUE INDEX "COLIST.CONO" ON COLIST (CONO);
CREATE INDEX "COLIST.CONAME" ON COLIST (CONAME COLLATE NOCASE);
CREATE TABLE JOBLIST (CONO SHORT, JOBNO TEXT(8), JOBNAME TEXT(50));
CREATE UNIQUE INDEX "JOBLIST.JOBLIST" ON JOBLIST (CONO, JOBNO COLLATE NOCASE);
CREATE INDEX "JOBLIST.JOBNAME" ON JOBLIST (CONO, JOBNAME COLLATE NOCASE);
CREATE TABLE PELIST (PETAG SHORT, FEDATE TEXT(10), TDATE TEXT(30), LDATE TEXT(8));
CREATE UNIQUE INDEX "PELIST.PELIST" ON PELIST (LDATE);
CREATE UNIQUE INDEX "PELIST.PETAG" ON PELIST (PETAG);
CREATE TABLE TJLGROUPS (TJLTAG LONG DEFAULT 0, TJLNAME TEXT(50));
CREATE UNIQUE INDEX "TJLGROUPS.TJLGTJLTAG" ON TJLGROUPS (TJLTAG);
CREATE INDEX "TJLGROUPS.TJLGROUPS" ON TJLGROUPS (TJLNAME COLLATE NOCASE);
)sql";

}  // namespace

SearchFolder::SearchFolder() {
  char pattern[] = "/tmp/search-test-XXXXXX";
  if (mkdtemp(pattern) == nullptr) throw std::runtime_error("cannot make a temporary folder");
  path_ = pattern;
  Exec(kMainSchema);
}

SearchFolder::~SearchFolder() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

void SearchFolder::Exec(const std::string& sql) const {
  sqlite3* db = nullptr;
  const std::string file = path_ + "/MAIN.MDB";
  if (sqlite3_open(file.c_str(), &db) != SQLITE_OK) throw std::runtime_error("cannot open " + file);
  char* message = nullptr;
  const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message);
  const std::string text = message != nullptr ? message : "";
  sqlite3_free(message);
  sqlite3_close(db);
  if (rc != SQLITE_OK) throw std::runtime_error("SQL failed: " + text + " in " + sql);
}

void SearchFolder::AddCompanies(int count) const {
  std::string sql = "BEGIN;";
  for (int i = 1; i <= count; ++i) {
    sql += "INSERT INTO COLIST VALUES (" + std::to_string(i) + ", 'Company " + std::to_string(i) +
           "');";
  }
  Exec(sql + "COMMIT;");
}

void SearchFolder::AddJobs(int cono, int count) const {
  std::string sql = "BEGIN;";
  for (int i = 1; i <= count; ++i) {
    char jobNo[16];
    std::snprintf(
        jobNo, sizeof jobNo, "%8s",
        ("J" + std::string(4 - std::to_string(i).size(), '0') + std::to_string(i)).c_str());
    sql += "INSERT INTO JOBLIST VALUES (" + std::to_string(cono) + ", '" + jobNo + "', 'Job " +
           std::to_string(i) + " of " + std::to_string(cono) + "');";
  }
  Exec(sql + "COMMIT;");
}

void SearchTest::SetUp() {
  screen::ResetScreen();
  screen::SetDesktop(&desktop);
}

void SearchTest::TearDown() {
  screen::SetDesktop(nullptr);
  screen::ResetScreen();
}

std::string SearchTest::Run(const std::function<std::string()>& open,
                            const std::function<void()>& during) {
  bool ran = false;
  desktop.QueueModalAction([&] {
    ran = true;
    during();
  });
  const std::string result = open();
  EXPECT_TRUE(ran) << "the dialog was not shown";
  return result;
}

std::string SearchTest::OpenCompanies(const std::function<void()>& during) {
  return Run([&] { return ztLOOKUP::SearchCompanyNumbers(folder.Path()); }, during);
}

std::string SearchTest::Row(int r) { return Form().lblCOL0(r).Caption(); }

std::vector<int> SearchTest::HighlightedRows() {
  std::vector<int> rows;
  for (int r = 0; r < frmztSearch::kRows; ++r) {
    if (Form().lblCOL0(r).BackColor() == frmztSearch::SelectedRowColor) rows.push_back(r);
  }
  return rows;
}

recordstore::Variant SearchTest::ChosenField(const std::string& table, const std::string& bookmark,
                                             const std::string& field) {
  auto wks = recordstore::DBEngine::Instance()->CreateWorkspace("wksTEST");
  auto db = wks->OpenDatabase(folder.Path() + "\\MAIN");
  auto rs = db->OpenRecordset(table);
  rs->SetBookmark(bookmark);
  return rs->Fields(field).Value();
}

void SearchTest::Type(const std::string& text) {
  for (char ch : text) {
    const auto key = screen::KeyOfCharacter(ch);
    ASSERT_TRUE(key.has_value());
    Press(key->keyCode, key->shift);
  }
}
