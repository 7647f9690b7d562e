// US-keyboard mapping between virtual-key codes and characters, and the
// access-key letter of a caption. Relies on keys.h only.
#include "services/screen/keys.h"

#include <cctype>

#include "services/base/text_case.h"

namespace screen {
namespace {

// The digit and punctuation keys of the US layout, with their characters.
struct UsKey {
  int16_t code;
  KeyCharacters characters;
};

constexpr UsKey kUsKeys[] = {
    {'0', {'0', ')'}},  {'1', {'1', '!'}}, {'2', {'2', '@'}}, {'3', {'3', '#'}},  {'4', {'4', '$'}},
    {'5', {'5', '%'}},  {'6', {'6', '^'}}, {'7', {'7', '&'}}, {'8', {'8', '*'}},  {'9', {'9', '('}},
    {186, {';', ':'}},  {187, {'=', '+'}}, {188, {',', '<'}}, {189, {'-', '_'}},  {190, {'.', '>'}},
    {191, {'/', '?'}},  {192, {'`', '~'}}, {219, {'[', '{'}}, {220, {'\\', '|'}}, {221, {']', '}'}},
    {222, {'\'', '"'}},
};

}  // namespace

std::optional<KeyCharacters> UsDigitOrPunctuation(int16_t keyCode) {
  for (const UsKey& key : kUsKeys) {
    if (key.code == keyCode) return key.characters;
  }
  return std::nullopt;
}

// Letters, digits, punctuation, Space, Enter, Backspace, Esc and the keypad
// give characters; Ctrl or Alt held gives none.
int16_t CharacterOfKey(int16_t keyCode, int16_t shift) {
  if (shift & (kCtrlMask | kAltMask)) return 0;
  const bool shifted = (shift & kShiftMask) != 0;
  if (keyCode >= 'A' && keyCode <= 'Z') return shifted ? keyCode : keyCode + 32;
  if (const auto key = UsDigitOrPunctuation(keyCode)) return shifted ? key->shifted : key->plain;
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
  for (const UsKey& key : kUsKeys) {
    if (key.characters.plain == ch) return KeyStroke{key.code, 0};
    if (key.characters.shifted == ch) return KeyStroke{key.code, kShiftMask};
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
    return base::UpperAscii(caption[i + 1]);
  }
  return 0;
}

}  // namespace screen
