// The screen fixture and its helpers (see the header).
#include "headless_screen.h"

namespace testsupport {

void StartScreen(screen::Desktop& desktop) {
  screen::ResetScreen();
  screen::SetDesktop(&desktop);
}

void EndScreen() {
  screen::ResetScreen();
  screen::SetDesktop(nullptr);
}

void PlaceWithFocus(screen::UserControl& surface) {
  screen::PlaceUserControl(&surface);
  screen::FocusUserControl();
}

void TypeText(const std::string& text, screen::Screen* window) {
  for (char ch : text) {
    const auto key = screen::KeyOfCharacter(ch);
    ASSERT_TRUE(key.has_value()) << "no key gives " << ch;
    if (window == nullptr) {
      screen::PressKey(key->keyCode, key->shift);
    } else {
      window->PressKey(key->keyCode, key->shift, screen::CharacterOfKey(key->keyCode, key->shift));
    }
  }
}

std::string FocusName() {
  const screen::Control* c = screen::FocusedControl();
  return c != nullptr ? c->QualifiedName() : "(none)";
}

}  // namespace testsupport
