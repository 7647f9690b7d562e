// The toolkit's screen around a test: a fixture that gives each test a fresh
// screen and a HeadlessDesktop recording message boxes, errors and modal runs,
// the same for a plain test body as an object's lifetime, and the user's
// typing and the focus as a name, which many tests read.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "services/screen/screen.h"

namespace testsupport {

// Clears the screen (placed control, open forms) and installs `desktop`.
void StartScreen(screen::Desktop& desktop);
// Clears the screen again and puts the built-in desktop back.
void EndScreen();

// Places `surface` on the screen and gives it the focus.
void PlaceWithFocus(screen::UserControl& surface);
// Types each character as the key of a US keyboard that gives it, on `window`
// (the current screen when none is named).
void TypeText(const std::string& text, screen::Screen* window = nullptr);
// The qualified name of the focused control, "(none)" when nothing has it.
std::string FocusName();

// Fixture: a fresh screen with `desktop` installed around every test.
class ToolkitTest : public ::testing::Test {
 protected:
  void SetUp() override { StartScreen(desktop); }
  void TearDown() override { EndScreen(); }

  // The helpers above, by their short names inside the tests.
  static void Place(screen::UserControl& surface) { PlaceWithFocus(surface); }
  static void Type(const std::string& text) { TypeText(text); }
  static std::string FocusName() { return testsupport::FocusName(); }

  screen::HeadlessDesktop desktop;
};

// A headless desktop installed on a fresh screen for the life of the object.
class BoxRecorder {
 public:
  BoxRecorder() { StartScreen(desktop_); }
  ~BoxRecorder() { EndScreen(); }
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
