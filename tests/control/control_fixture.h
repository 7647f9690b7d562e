// Shared set-up of the control's tests: a headless desktop that records the
// message boxes, a fresh screen with a ztDorvane placed on it and given the
// focus, data folders made by the data tool in a temporary folder, and a way to
// run SQL on those files as another program would. Also the one door into the
// control's private steps that no host action reaches yet (the reopen step).
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "control/ztDorvane.h"
#include "services/screen/screen.h"

// Reaches the reopen step, which the company and job checks will call.
struct ztDorvaneTestAccess {
  static void EnsureConnection(ztDorvane& control) { control.EnsureConnection(); }
};

class ControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    screen::ResetScreen();
    screen::SetDesktop(&desktop);
    char pattern[] = "/tmp/dorvane-control-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root = pattern;
    NewControl();
  }

  void TearDown() override {
    control.reset();
    screen::ResetScreen();
    screen::SetDesktop(nullptr);
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
  }

  // Drops the control and places a fresh one, which gets the focus.
  void NewControl() {
    screen::PlaceUserControl(nullptr);
    control = std::make_unique<ztDorvane>();
    screen::PlaceUserControl(control.get());
    screen::FocusUserControl();
  }

  // Makes ROOT/name with the data tool and the given options; returns its path.
  std::string MakeFolder(const std::string& name, const std::string& options = "") {
    const std::string path = root + "/" + name;
    const std::string command =
        std::string(DORVANE_BIN_DIR) + "/dorvane-data init " + path + " " + options + " >/dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0) << "the data tool failed: " << command;
    return path;
  }

  // Runs one statement on a file of a folder through a connection of its own.
  static void Exec(const std::string& folder, const std::string& file, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2((folder + "/" + file).c_str(), &db, SQLITE_OPEN_READWRITE, nullptr),
              SQLITE_OK);
    sqlite3_busy_timeout(db, 5000);
    char* message = nullptr;
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message);
    const std::string text = message != nullptr ? message : "";
    sqlite3_free(message);
    sqlite3_close(db);
    ASSERT_EQ(rc, SQLITE_OK) << text;
  }

  // A state field as the scripted host would print it (ToString of the Variant).
  std::string State(const std::string& name) {
    auto value = control->StateField(name);
    EXPECT_TRUE(value.has_value()) << name;
    return value ? value->ToString() : "(none)";
  }

  int Workspaces() { return recordstore::DBEngine::Instance()->WorkspacesCreated(); }

  template <class T = screen::Control>
  T& Child(const std::string& name, int index = -1) {
    screen::Control* c = control->Find(name, index);
    EXPECT_NE(c, nullptr) << name;
    return *static_cast<T*>(c);
  }

  std::string Caption(const std::string& name, int index = -1) {
    return Child<screen::Label>(name, index).Caption();
  }

  std::string FocusName() {
    screen::Control* c = screen::FocusedControl();
    return c != nullptr ? c->QualifiedName() : "(none)";
  }

  screen::HeadlessDesktop desktop;
  std::string root;
  std::unique_ptr<ztDorvane> control;
};
