// KeyCodeToText: every rule of the key-to-character table, in its order:
// keypad, plain codes 32..111, the US keyboard's shifted digits and
// punctuation (Shift 0 or 1 only), and the final case rule.
#include <gtest/gtest.h>

#include "search/ztSearchMod.h"
#include "support/foreign_locale.h"

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

// Single codes: keypad operators (the separator types nothing), letters by the
// shift state alone (Ctrl or Alt count as "not 0": capitals), and codes that
// type their own character (Delete a full stop, Insert a minus, the arrows).
TEST(KeyCodeToText, SingleCodes) {
  const struct {
    int16_t code, shift;
    const char* text;
  } cases[] = {{106, kNoShift, "*"}, {107, kNoShift, "+"}, {108, kNoShift, ""}, {109, kShift, "-"},
               {110, kCtrl, "."},    {111, kNoShift, "/"}, {65, kNoShift, "a"}, {90, kNoShift, "z"},
               {65, kShift, "A"},    {77, kCtrl, "M"},     {77, kAlt, "M"},     {32, kNoShift, " "},
               {46, kNoShift, "."},  {45, kNoShift, "-"},  {40, kNoShift, "("}, {91, kShift, "["}};
  for (const auto& c : cases) {
    EXPECT_EQ(KeyCodeToText(c.code, c.shift), c.text) << c.code << " shift " << c.shift;
  }
}

// 192 is the back-quote key: it types nothing here either.
TEST(KeyCodeToText, CodesOutside32To111GiveNothing) {
  for (int16_t code : {0, 8, 9, 13, 27, 31, 112, 123, 145, 185, 192, 223, 255}) {
    EXPECT_EQ(KeyCodeToText(code, kNoShift), "") << code;
    EXPECT_EQ(KeyCodeToText(code, kShift), "") << code;
  }
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

// The case rule is ASCII's whatever the host's locale: under a Turkish one the
// C library would keep "I" as it is when lowering and "i" when raising.
TEST(KeyCodeToText, LettersFollowAsciiUnderATurkishLocale) {
  testsupport::ForeignLocale turkish("tr_TR");
  EXPECT_EQ(KeyCodeToText(73, kNoShift), "i");
  EXPECT_EQ(KeyCodeToText(73, kShift), "I");
  EXPECT_EQ(KeyCodeToText(65, kNoShift), "a");
}

}  // namespace
