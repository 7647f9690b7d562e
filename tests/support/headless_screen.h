// The toolkit on a headless desktop for tests: a fixture that gives each test
// a fresh screen and a HeadlessDesktop recording message boxes, errors and
// modal runs, and the same for a plain test body as an object's lifetime.
// Also the user's typing and the focus as a name, which many tests read.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "services/screen/screen.h"

namespace testsupport {

// Clears the screen (placed control, open forms) and installs `desktop`.
void StartHeadless(screen::HeadlessDesktop& desktop);
// Clears the screen again and puts the built-in desktop back.
void EndHeadless();

// Fixture: a fresh screen with `desktop` installed around every test.
class ToolkitTest : public ::testing::Test {
 protected:
  void SetUp() override { StartHeadless(desktop); }
  void TearDown() override { EndHeadless(); }

  // Places `surface` on the screen and gives it the focus.
  static void Place(screen::UserControl& surface);
  // Types each character as the key of a US keyboard that gives it.
  static void Type(const std::string& text);
  // The qualified name of the focused control, "(none)" when nothing has it.
  static std::string FocusName();

  screen::HeadlessDesktop desktop;
};

// A headless desktop installed on a fresh screen for the life of the object.
class BoxRecorder {
 public:
  BoxRecorder() { StartHeadless(desktop_); }
  ~BoxRecorder() { EndHeadless(); }
  BoxRecorder(const BoxRecorder&) = delete;
  BoxRecorder& operator=(const BoxRecorder&) = delete;

  // The message boxes shown so far, in order.
  const std::vector<screen::HeadlessDesktop::MessageBox>& Boxes() const {
    return desktop_.messageBoxes;
  }

 private:
  screen::HeadlessDesktop desktop_;
};

}  // namespace testsupport
