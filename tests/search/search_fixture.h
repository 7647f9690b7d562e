// Test support for the search dialog: a temporary data folder whose MAIN.MDB
// is laid out as the system's schema and filled by the test with plain SQL,
// and a fixture that installs a headless desktop, runs the dialog modally with
// the test's actions inside, and reads the grid back as text.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "search/frmztSearch.h"
#include "search/ztSearchMod.h"
#include "services/screen/screen.h"

class SearchFolder {
 public:
  // Creates the folder with an empty MAIN.MDB of the system's layout.
  SearchFolder();
  ~SearchFolder();
  SearchFolder(const SearchFolder&) = delete;
  SearchFolder& operator=(const SearchFolder&) = delete;

  const std::string& Path() const { return path_; }
  // Runs SQL statements on MAIN.MDB.
  void Exec(const std::string& sql) const;
  // Adds companies 1..count named "Company N".
  void AddCompanies(int count) const;
  // Adds `count` jobs "J0001".. (stored right-aligned in 8) to a company.
  void AddJobs(int cono, int count) const;

 private:
  std::string path_;
};

class SearchTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  frmztSearch& Form() { return ztSearchMod::SearchDialog(); }
  // Runs `during` while the dialog is open (it then closes with its close box
  // unless the actions closed it) and returns the opener's result.
  std::string Run(const std::function<std::string()>& open, const std::function<void()>& during);
  // The company search of the system on the folder.
  std::string OpenCompanies(const std::function<void()>& during);
  // Caption of grid row r of column 0 and the rows highlighted.
  std::string Row(int r);
  std::vector<int> HighlightedRows();
  // A field of the row a bookmark text names, read as a caller reads it:
  // through a recordset of its own on the same table.
  recordstore::Variant ChosenField(const std::string& table, const std::string& bookmark,
                                   const std::string& field);
  void Press(int16_t keyCode, int16_t shift = 0) { screen::PressKey(keyCode, shift); }
  void Type(const std::string& text);

  SearchFolder folder;
  screen::HeadlessDesktop desktop;
};
