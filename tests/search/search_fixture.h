// Test support for the search dialog: a temporary data folder whose MAIN.MDB
// the test fills with plain SQL, and a fixture on a headless screen that runs
// the dialog modally with the test's actions inside and reads the grid back.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "search/frmztSearch_impl.h"
#include "search/ztSearchMod.h"
#include "services/screen/screen.h"
#include "support/data_folder.h"
#include "support/headless_screen.h"

// The shared data folder with an empty MAIN.MDB, and the rows the dialog's
// tests add to it.
class SearchFolder : public testsupport::DataFolder {
 public:
  SearchFolder() : DataFolder{"MAIN.MDB"} {}

  using DataFolder::Exec;
  // Runs SQL statements on MAIN.MDB.
  void Exec(const std::string& sql) const { Exec("MAIN.MDB", sql); }
  // Adds companies 1..count named "Company N".
  void AddCompanies(int count) const;
  // Adds `count` jobs "J0001".. (stored right-aligned in 8) to a company.
  void AddJobs(int cono, int count) const;
};

class SearchTest : public testsupport::ToolkitTest {
 protected:
  frmztSearch::Impl& Form() { return frmztSearch::Impl::Of(ztSearchMod::SearchDialog()); }
  // Runs `during` while the dialog is open (it then closes with its close box
  // unless the actions closed it) and returns the opener's result.
  std::string Run(const std::function<std::string()>& open, const std::function<void()>& during);
  // Runs `during` in the search of MAIN's table t[0] by the column texts of
  // t (index names, fields, types, sizes, headers, widths, alignments).
  std::string Open(const std::vector<std::string>& t, const std::function<void()>& during,
                   const std::vector<ztSearchMod::IndexKey>& keys = {}, int16_t searchCol = 1);
  // The company search of the system on the folder.
  std::string OpenCompanies(const std::function<void()>& during);
  // Caption of grid row r of column 0 and the rows highlighted.
  std::string Row(int r);
  std::vector<int> HighlightedRows();
  // The dialog's seven column texts, in the classic argument order (index
  // names, fields, types, sizes, headers, widths, alignments).
  std::vector<std::string> ColumnTexts();
  void Press(int16_t keyCode, int16_t shift = 0) { screen::PressKey(keyCode, shift); }

  SearchFolder folder;
};
