// US-keyboard mapping between virtual-key codes and characters, and the
// access-key letter of a caption. Relies on keys.h only.
#include "services/screen/keys.h"

#include <cctype>

namespace screen {
namespace {

// A punctuation key of the US layout with its unshifted and shifted character.
struct PunctuationKey {
  int16_t code;
  char plain;
  char shifted;
};

constexpr PunctuationKey kPunctuation[] = {
    {186, ';', ':'},  {187, '=', '+'}, {188, ',', '<'},  {189, '-', '_'},
    {190, '.', '>'},  {191, '/', '?'}, {192, '`', '~'},  {219, '[', '{'},
    {220, '\\', '|'}, {221, ']', '}'}, {222, '\'', '"'},
};

constexpr char kShiftedDigits[] = ")!@#$%^&*(";

}  // namespace

// Letters, digits, punctuation, Space, Enter, Backspace, Esc and the keypad
// give characters; Ctrl or Alt held gives none.
int16_t CharacterOfKey(int16_t keyCode, int16_t shift) {
  if (shift & (kCtrlMask | kAltMask)) return 0;
  const bool shifted = (shift & kShiftMask) != 0;
  if (keyCode >= 'A' && keyCode <= 'Z') return shifted ? keyCode : keyCode + 32;
  if (keyCode >= '0' && keyCode <= '9') {
    return shifted ? kShiftedDigits[keyCode - '0'] : keyCode;
  }
  for (const auto& key : kPunctuation) {
    if (key.code == keyCode) return shifted ? key.shifted : key.plain;
  }
  if (keyCode >= kKeyNumpad0 && keyCode <= kKeyNumpad0 + 9) return '0' + (keyCode - kKeyNumpad0);
  switch (keyCode) {
    case kKeyMultiply:
      return '*';
    case kKeyAdd:
      return '+';
    case kKeySubtract:
      return '-';
    case kKeyDecimal:
      return '.';
    case kKeyDivide:
      return '/';
    case kKeySpace:
    case kKeyReturn:
    case kKeyBack:
    case kKeyEscape:
    case kKeyTab:
      return keyCode;
    default:
      return 0;
  }
}

// The reverse of CharacterOfKey for the main keyboard (never the keypad).
std::optional<KeyStroke> KeyOfCharacter(char ch) {
  if (ch >= 'a' && ch <= 'z') return KeyStroke{static_cast<int16_t>(ch - 32), 0};
  if (ch >= 'A' && ch <= 'Z') return KeyStroke{static_cast<int16_t>(ch), kShiftMask};
  if (ch >= '0' && ch <= '9') return KeyStroke{static_cast<int16_t>(ch), 0};
  for (int digit = 0; digit < 10; ++digit) {
    if (kShiftedDigits[digit] == ch)
      return KeyStroke{static_cast<int16_t>('0' + digit), kShiftMask};
  }
  for (const auto& key : kPunctuation) {
    if (key.plain == ch) return KeyStroke{key.code, 0};
    if (key.shifted == ch) return KeyStroke{key.code, kShiftMask};
  }
  switch (ch) {
    case ' ':
      return KeyStroke{kKeySpace, 0};
    case '\r':
    case '\n':
      return KeyStroke{kKeyReturn, 0};
    case '\t':
      return KeyStroke{kKeyTab, 0};
    case '\b':
      return KeyStroke{kKeyBack, 0};
    case 27:
      return KeyStroke{kKeyEscape, 0};
    default:
      return std::nullopt;
  }
}

// "&&" is a literal ampersand; the first single "&" marks the next character.
char AccessKeyOf(std::string_view caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] == '&') {
      ++i;
      continue;
    }
    return static_cast<char>(std::toupper(static_cast<unsigned char>(caption[i + 1])));
  }
  return 0;
}

}  // namespace screen
