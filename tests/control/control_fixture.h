// Shared set-up of the control's tests: a fresh headless screen with a
// ztDorvane placed on it and given the focus, data folders made by the data
// tool in a temporary folder, and SQL on those files as another program would
// run it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "control/ztDorvane.h"
#include "services/recordstore/recordstore.h"
#include "services/screen/screen.h"
#include "support/headless_screen.h"
#include "support/programs.h"
#include "support/sql_file.h"
#include "support/store_source.h"
#include "support/temp_folder.h"

class ControlTest : public testsupport::ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    NewControl();
  }

  void TearDown() override {
    control.reset();
    ToolkitTest::TearDown();
  }

  // Drops the control and places a fresh one, which gets the focus.
  void NewControl() {
    screen::PlaceUserControl(nullptr);
    control = std::make_unique<ztDorvane>();
    Place(*control);
  }

  // Places a fresh control, which opens `source` without a word to the user.
  void OpenAfresh(const std::string& source) {
    NewControl();
    desktop.messageBoxes.clear();
    desktop.errors.clear();
    control->SetPathText(source);
    EXPECT_EQ(Told(), "");
  }

  // The same control opens `source` again after a fault and works.
  void ExpectOpensAgain(const std::string& source, const std::string& at) {
    desktop.messageBoxes.clear();
    desktop.errors.clear();
    control->SetPathText(source);
    screen::PressKey(screen::kKeyHome, 0);
    EXPECT_EQ(Told(), "") << at;
    EXPECT_EQ(State("ConnectionReady"), "True") << at;
  }

  // Makes ROOT/name with the data tool and the given options; returns its path.
  std::string MakeFolder(const std::string& name, const std::vector<std::string>& options = {}) {
    return testsupport::MakeDataFolder(root.File(name), options);
  }

  // Runs SQL on a file of a folder through a connection of its own.
  static void Exec(const std::string& folder, const std::string& file, const std::string& sql) {
    testsupport::SqlFile(folder + "/" + file).Exec(sql);
  }

  // The tables the list actions write in `folder`'s MAIN.MDB, rows in rowid
  // order. The tag counter is left out: a tag issued for a save that then
  // fails stays issued (the counter is ahead), which is no mix.
  static std::string ListTables(const std::string& folder) {
    return testsupport::SqlFile(folder + "/MAIN.MDB", SQLITE_OPEN_READONLY)
        .DumpTables({"TJLIST", "TJLGROUPS", "TJLITEMS"});
  }

  // A state field as the scripted host would print it (ToString of the Variant).
  std::string State(const std::string& name) {
    auto value = control->StateField(name);
    EXPECT_TRUE(value.has_value()) << name;
    return value ? value->ToString() : "(none)";
  }

  int Workspaces() { return recordstore::DBEngine::Instance()->WorkspacesCreated(); }

  // What the user was told (boxes and errors), for failure messages.
  std::string Told() const {
    std::string text;
    for (const auto& box : desktop.messageBoxes) text += "\nbox: " + box.title + ": " + box.prompt;
    for (const auto& error : desktop.errors) {
      text += "\nerror: " + std::to_string(error.Number()) + " " + error.Description();
    }
    return text;
  }

  template <class T = screen::Control>
  T& Child(const std::string& name, int index = -1) {
    screen::Control* c = control->Find(name, index);
    EXPECT_NE(c, nullptr) << name;
    return *static_cast<T*>(c);
  }

  std::string Caption(const std::string& name, int index = -1) {
    return Child<screen::Label>(name, index).Caption();
  }

  // Checks the page against `list`, the working list in the page's order with
  // each record as "company|job": the four rows show consecutive records, then
  // the end marker and blanks, and one row is highlighted. Returns the position
  // in the list of the highlighted record (the list's size for the end marker,
  // -1 for an empty list).
  int CheckPage(const std::vector<std::string>& list) {
    constexpr uint32_t kYellow = 0x0000FFFF;
    int highlighted = -1;
    for (int row = 0; row < 4; ++row) {
      if (Child("lblJOBNO", row).BackColor() == kYellow) {
        EXPECT_EQ(highlighted, -1) << "two rows highlighted";
        highlighted = row;
      }
    }
    EXPECT_EQ(std::to_string(highlighted), State("CurrentRow"));
    if (list.empty()) {
      EXPECT_EQ(Caption("lblJOBNAME", 0), "List is Empty");
      EXPECT_EQ(highlighted, 0);
      return -1;
    }
    auto item = [this](int row) {
      return Caption("lblCONO", row) + "|" + Caption("lblJOBNO", row);
    };
    size_t top = 0;
    while (top < list.size() && list[top] != item(0)) ++top;
    EXPECT_LT(top, list.size()) << "row 0 shows no record of the list";
    for (int row = 0; row < 4; ++row) {
      const size_t at = top + row;
      if (at < list.size()) {
        EXPECT_EQ(item(row), list[at]) << "row " << row;
      } else {
        EXPECT_EQ(Caption("lblJOBNAME", row), at == list.size() ? "End of List" : " ") << row;
      }
    }
    return static_cast<int>(top) + highlighted;
  }

  testsupport::TempFolder root{"dorvane-control"};
  std::unique_ptr<ztDorvane> control;
};

// The control's tests that run on each engine: data folders, or databases of
// the test server (skipped, saying why, when no server was given).
class EngineControlTest : public ControlTest,
                          public ::testing::WithParamInterface<testsupport::StoreEngine> {
 protected:
  void SetUp() override {
    if (!testsupport::StoreSource::Available(GetParam())) {
      GTEST_SKIP() << "DORVANE_TEST_PG is not set: no PostgreSQL test server";
    }
    ControlTest::SetUp();
  }

  bool OnServer() const { return GetParam() == testsupport::StoreEngine::kServer; }

  // A new place for a data source: a database of the test server, or a folder under ROOT.
  std::string NewPlace() {
    if (!OnServer()) return root.File("data" + std::to_string(++places));
    databases.push_back(std::make_unique<testsupport::TestDatabase>());
    return databases.back()->Uri();
  }

  // Rows of a query on MAIN.MDB of `source` through a connection of its own,
  // fields joined by "|".
  std::vector<std::string> Rows(const std::string& source, const std::string& sql) const {
    if (OnServer()) return testsupport::PgRows(source, "SET search_path TO main; " + sql);
    return testsupport::SqlFile(source + "/MAIN.MDB").Lines(sql);
  }

  int places = 0;
  std::vector<std::unique_ptr<testsupport::TestDatabase>> databases;
};
