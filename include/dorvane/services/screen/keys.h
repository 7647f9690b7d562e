// Keyboard vocabulary of the toolkit: the virtual-key codes that KeyDown
// delivers, the Shift/Ctrl/Alt bits of the shift state, and the US-keyboard
// mapping between keys and the characters that KeyPress delivers.
// Relies only on the standard library.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace screen {

// Bits of the shift state passed with KeyDown and KeyUp.
constexpr int16_t kShiftMask = 1;
constexpr int16_t kCtrlMask = 2;
constexpr int16_t kAltMask = 4;

// Virtual-key codes.
constexpr int16_t kKeyBack = 8;
constexpr int16_t kKeyTab = 9;
constexpr int16_t kKeyReturn = 13;
constexpr int16_t kKeyEscape = 27;
constexpr int16_t kKeySpace = 32;
constexpr int16_t kKeyPageUp = 33;
constexpr int16_t kKeyPageDown = 34;
constexpr int16_t kKeyEnd = 35;
constexpr int16_t kKeyHome = 36;
constexpr int16_t kKeyLeft = 37;
constexpr int16_t kKeyUp = 38;
constexpr int16_t kKeyRight = 39;
constexpr int16_t kKeyDown = 40;
constexpr int16_t kKeyInsert = 45;
constexpr int16_t kKeyDelete = 46;
constexpr int16_t kKeyNumpad0 = 96;  // 96..105 are Num0..Num9
constexpr int16_t kKeyMultiply = 106;
constexpr int16_t kKeyAdd = 107;
constexpr int16_t kKeySubtract = 109;
constexpr int16_t kKeyDecimal = 110;
constexpr int16_t kKeyDivide = 111;
constexpr int16_t kKeyF1 = 112;  // 112..123 are F1..F12

// One key as typed: its virtual-key code and the shift state that goes with it.
struct KeyStroke {
  int16_t keyCode = 0;
  int16_t shift = 0;
};

// The two characters of a digit or punctuation key of the US layout: without
// and with Shift ('2' gives '2' and '@', 186 gives ';' and ':').
struct KeyCharacters {
  char plain = 0;
  char shifted = 0;
};
// Nothing for any other key (letters, the keypad, Space, the editing keys).
std::optional<KeyCharacters> UsDigitOrPunctuation(int16_t keyCode);

// The character a key gives on a US keyboard (what KeyPress receives), or 0 for
// a key that gives none (arrows, Delete, function keys, anything with Ctrl or Alt).
int16_t CharacterOfKey(int16_t keyCode, int16_t shift);

// The key (with Shift where needed) that gives a character on a US keyboard;
// nothing for a character no key gives. Enter gives 13, Tab 9, Esc 27, Backspace 8.
std::optional<KeyStroke> KeyOfCharacter(char ch);

// The capital letter that a caption marks with "&" as its access key ("&Add"
// gives 'A', "&&x" marks nothing), or 0 when it marks none.
char AccessKeyOf(std::string_view caption);

}  // namespace screen
