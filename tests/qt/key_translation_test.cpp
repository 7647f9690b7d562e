// Qt key events to toolkit keys: the US-keyboard codes and characters that
// KeyDown and KeyPress receive, whatever Qt reports for the same key.
#include "frontends/qt/key_translation.h"

#include <gtest/gtest.h>

#include <string>

#include "services/screen/keys.h"

namespace {

using qtfront::TranslateKey;

struct Case {
  const char* what;
  int qtKey;
  Qt::KeyboardModifiers modifiers;
  QString text;
  int16_t keyCode;
  int16_t shift;
  int16_t keyAscii;
};

// Characters of the main keyboard (both of a column come from one key, whose
// code Qt's key for the shifted one must map back to), keys that give no
// printable character, key pad keys and modifiers; keys the toolkit does
// not know are ignored.
TEST(KeyTranslation, GivesUsKeyboardCodesShiftAndCharacter) {
  const Case cases[] = {
      {"small letter", Qt::Key_A, Qt::NoModifier, "a", 65, 0, 'a'},
      {"capital without Shift held", Qt::Key_A, Qt::NoModifier, "A", 65, 1, 'A'},
      {"shifted digit", Qt::Key_Exclam, Qt::ShiftModifier, "!", 49, 1, '!'},
      {"colon", Qt::Key_Colon, Qt::ShiftModifier, ":", 186, 1, ':'},
      {"bar", Qt::Key_Bar, Qt::ShiftModifier, "|", 220, 1, '|'},
      {"question mark", Qt::Key_Question, Qt::NoModifier, "?", 191, 1, '?'},
      {"keypad plus", Qt::Key_Plus, Qt::KeypadModifier, "+", 107, 0, '+'},
      {"keypad digit", Qt::Key_3, Qt::KeypadModifier, "3", 99, 0, '3'},
      {"keypad digit keeps its code with Shift", Qt::Key_3, Qt::KeypadModifier | Qt::ShiftModifier,
       "3", 99, 1, '3'},
      {"Enter", Qt::Key_Return, Qt::NoModifier, "\r", 13, 0, 13},
      {"keypad Enter", Qt::Key_Enter, Qt::KeypadModifier, "\r", 13, 0, 13},
      {"Esc", Qt::Key_Escape, Qt::NoModifier, "\x1b", 27, 0, 27},
      {"Tab", Qt::Key_Tab, Qt::NoModifier, "\t", 9, 0, 9},
      {"Shift+Tab as Qt reports it", Qt::Key_Backtab, Qt::ShiftModifier, "", 9, 1, 9},
      {"Delete", Qt::Key_Delete, Qt::NoModifier, "\x7f", 46, 0, 0},
      {"Down", Qt::Key_Down, Qt::NoModifier, "", 40, 0, 0},
      {"F5", Qt::Key_F5, Qt::NoModifier, "", 116, 0, 0},
      {"Ctrl+letter gives no character", Qt::Key_A, Qt::ControlModifier, "\x01", 65, 2, 0},
      {"Alt+letter", Qt::Key_S, Qt::AltModifier, "s", 83, 4, 0},
      {"Ctrl+Shift+digit", Qt::Key_At, Qt::ControlModifier | Qt::ShiftModifier, "", 50, 3, 0},
      {"a character no US key gives", 0xE9, Qt::NoModifier, QString(QChar(0xE9)), 0, 0, 0xE9},
  };
  for (const Case& c : cases) {
    const auto key = TranslateKey(c.qtKey, c.modifiers, c.text);
    ASSERT_TRUE(key.has_value()) << c.what;
    EXPECT_EQ(key->keyCode, c.keyCode) << c.what;
    EXPECT_EQ(key->shift, c.shift) << c.what;
    EXPECT_EQ(key->keyAscii, c.keyAscii) << c.what;
  }
  // Modifiers alone and keys the toolkit does not know give no key.
  const std::pair<int, Qt::KeyboardModifiers> unknown[] = {{Qt::Key_Shift, Qt::ShiftModifier},
                                                           {Qt::Key_Control, Qt::ControlModifier},
                                                           {Qt::Key_Alt, Qt::AltModifier},
                                                           {Qt::Key_VolumeUp, Qt::NoModifier}};
  for (const auto& [qtKey, modifiers] : unknown) {
    EXPECT_FALSE(TranslateKey(qtKey, modifiers, "").has_value()) << qtKey;
  }
}

}  // namespace
