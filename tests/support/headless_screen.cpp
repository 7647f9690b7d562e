// The headless-screen fixture and its helpers (see the header).
#include "headless_screen.h"

namespace testsupport {

void StartHeadless(screen::HeadlessDesktop& desktop) {
  screen::ResetScreen();
  screen::SetDesktop(&desktop);
}

void EndHeadless() {
  screen::ResetScreen();
  screen::SetDesktop(nullptr);
}

void ToolkitTest::Place(screen::UserControl& surface) {
  screen::PlaceUserControl(&surface);
  screen::FocusUserControl();
}

void ToolkitTest::Type(const std::string& text) {
  for (char ch : text) {
    const auto key = screen::KeyOfCharacter(ch);
    ASSERT_TRUE(key.has_value()) << "no key gives " << ch;
    screen::PressKey(key->keyCode, key->shift);
  }
}

std::string ToolkitTest::FocusName() {
  const screen::Control* c = screen::FocusedControl();
  return c != nullptr ? c->QualifiedName() : "(none)";
}

}  // namespace testsupport
