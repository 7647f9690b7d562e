// Shared set-up of the control's tests: a fresh headless screen with a
// ztDorvane placed on it and given the focus, data folders made by the data
// tool in a temporary folder, and SQL on those files as another program would
// run it. Also the one door into the control's internal steps that no host
// action reaches yet (the reopen step), through its internal header.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "control/ztDorvane.h"
#include "control/ztDorvane_impl.h"
#include "services/screen/screen.h"
#include "support/headless_screen.h"
#include "support/programs.h"
#include "support/sql_file.h"
#include "support/temp_folder.h"

// Reaches the reopen step, which the company and job checks will call.
struct ztDorvaneTestAccess {
  static void EnsureConnection(ztDorvane& control) {
    ztDorvane::Impl::Of(control).EnsureConnection();
  }
};

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

  // Makes ROOT/name with the data tool and the given options; returns its path.
  std::string MakeFolder(const std::string& name, const std::vector<std::string>& options = {}) {
    return testsupport::MakeDataFolder(root.File(name), options);
  }

  // Runs SQL on a file of a folder through a connection of its own.
  static void Exec(const std::string& folder, const std::string& file, const std::string& sql) {
    testsupport::SqlFile(folder + "/" + file).Exec(sql);
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

  testsupport::TempFolder root{"dorvane-control"};
  std::unique_ptr<ztDorvane> control;
};
