// KeyCodeToText: every rule of the key-to-character table, in its order:
// keypad, plain codes 32..111, the US keyboard's shifted digits and
// punctuation (Shift 0 or 1 only), and the final case rule.
#include <gtest/gtest.h>

#include "search/ztSearchMod.h"

namespace {

using ztSearchMod::KeyCodeToText;

constexpr int16_t kNoShift = 0;
constexpr int16_t kShift = 1;
constexpr int16_t kCtrl = 2;
constexpr int16_t kAlt = 4;

TEST(KeyCodeToText, KeypadDigitsIgnoreEveryModifier) {
  for (int16_t code = 96; code <= 105; ++code) {
    const std::string digit(1, static_cast<char>('0' + code - 96));
    for (int16_t shift : {kNoShift, kShift, kCtrl, kAlt, int16_t(kShift | kCtrl)}) {
      EXPECT_EQ(KeyCodeToText(code, shift), digit) << code << " shift " << shift;
    }
  }
}

TEST(KeyCodeToText, KeypadOperators) {
  EXPECT_EQ(KeyCodeToText(106, kNoShift), "*");
  EXPECT_EQ(KeyCodeToText(107, kNoShift), "+");
  EXPECT_EQ(KeyCodeToText(108, kNoShift), "");  // the separator key types nothing
  EXPECT_EQ(KeyCodeToText(109, kShift), "-");
  EXPECT_EQ(KeyCodeToText(110, kCtrl), ".");
  EXPECT_EQ(KeyCodeToText(111, kNoShift), "/");
}

TEST(KeyCodeToText, LettersFollowTheShiftStateNotCapsLock) {
  EXPECT_EQ(KeyCodeToText(65, kNoShift), "a");
  EXPECT_EQ(KeyCodeToText(90, kNoShift), "z");
  EXPECT_EQ(KeyCodeToText(65, kShift), "A");
  // Ctrl or Alt alone count as "not 0": the letter comes out in capitals.
  EXPECT_EQ(KeyCodeToText(77, kCtrl), "M");
  EXPECT_EQ(KeyCodeToText(77, kAlt), "M");
}

TEST(KeyCodeToText, CodesOutside32To111GiveNothing) {
  for (int16_t code : {0, 8, 9, 13, 27, 31, 112, 123, 145, 185, 223, 255}) {
    EXPECT_EQ(KeyCodeToText(code, kNoShift), "") << code;
    EXPECT_EQ(KeyCodeToText(code, kShift), "") << code;
  }
}

TEST(KeyCodeToText, OtherCodesGiveTheirOwnCharacter) {
  EXPECT_EQ(KeyCodeToText(32, kNoShift), " ");
  EXPECT_EQ(KeyCodeToText(46, kNoShift), ".");  // Delete types a full stop
  EXPECT_EQ(KeyCodeToText(45, kNoShift), "-");  // Insert types a minus
  EXPECT_EQ(KeyCodeToText(40, kNoShift), "(");  // the arrows are codes 37..40
  EXPECT_EQ(KeyCodeToText(91, kShift), "[");
}

TEST(KeyCodeToText, DigitRowPlainAndShifted) {
  const char* plain = "0123456789";
  const char* shifted[] = {")", "!", "@", "#", "$", "%", "^", "&", "*", "("};
  for (int16_t i = 0; i < 10; ++i) {
    EXPECT_EQ(KeyCodeToText(48 + i, kNoShift), std::string(1, plain[i]));
    EXPECT_EQ(KeyCodeToText(48 + i, kShift), shifted[i]);
    // With Ctrl or Alt held the key's own digit stays.
    EXPECT_EQ(KeyCodeToText(48 + i, kCtrl), std::string(1, plain[i]));
    EXPECT_EQ(KeyCodeToText(48 + i, int16_t(kShift | kAlt)), std::string(1, plain[i]));
  }
}

TEST(KeyCodeToText, PunctuationKeysPlainAndShifted) {
  struct Case {
    int16_t code;
    const char* plain;
    const char* shifted;
  };
  const Case cases[] = {{188, ",", "<"}, {190, ".", ">"}, {191, "/", "?"}, {187, "=", "+"},
                        {189, "-", "_"}, {219, "[", "{"}, {221, "]", "}"}, {220, "\\", "|"},
                        {186, ";", ":"}, {222, "'", "\""}};
  for (const Case& c : cases) {
    EXPECT_EQ(KeyCodeToText(c.code, kNoShift), c.plain) << c.code;
    EXPECT_EQ(KeyCodeToText(c.code, kShift), c.shifted) << c.code;
    // Ctrl or Alt: the override does not apply and codes above 111 type nothing.
    EXPECT_EQ(KeyCodeToText(c.code, kCtrl), "") << c.code;
    EXPECT_EQ(KeyCodeToText(c.code, kAlt), "") << c.code;
  }
}

}  // namespace
