// The US-keyboard mapping, access keys, and the Desktop's short dates shared
// by every desktop.
#include <gtest/gtest.h>

#include <cctype>

#include "services/recordstore/variant.h"
#include "services/screen/screen.h"

namespace {

// The four rows of a US keyboard, each character under its shifted one: the
// independent source the key map is checked against.
constexpr const char* kUsRows[][2] = {{"`1234567890-=", "~!@#$%^&*()_+"},
                                      {"qwertyuiop[]\\", "QWERTYUIOP{}|"},
                                      {"asdfghjkl;'", "ASDFGHJKL:\""},
                                      {"zxcvbnm,./", "ZXCVBNM<>?"}};

// Every printable character comes back from the key that gives it; keypad,
// Ctrl and keys without a character; each digit or punctuation key holds both
// characters of its column, letters and the keypad are no such keys.
TEST(KeyMap, KeysGiveTheCharactersOfAUsKeyboard) {
  for (char ch = 32; ch < 127; ++ch) {
    auto key = screen::KeyOfCharacter(ch);
    ASSERT_TRUE(key.has_value()) << ch;
    EXPECT_EQ(screen::CharacterOfKey(key->keyCode, key->shift), ch);
    EXPECT_FALSE(key->keyCode >= screen::kKeyNumpad0 && key->keyCode <= screen::kKeyDivide);
  }
  EXPECT_EQ(screen::KeyOfCharacter('\n')->keyCode, screen::kKeyReturn);
  EXPECT_FALSE(screen::KeyOfCharacter('\x01').has_value());
  EXPECT_EQ(screen::CharacterOfKey(screen::kKeyNumpad0 + 5, screen::kShiftMask), '5');
  EXPECT_EQ(screen::CharacterOfKey(screen::kKeySubtract, 0), '-');
  EXPECT_EQ(screen::CharacterOfKey('2', screen::kCtrlMask), 0);
  EXPECT_EQ(screen::CharacterOfKey(screen::kKeyDelete, 0), 0);
  EXPECT_EQ(screen::CharacterOfKey(screen::kKeyF1, 0), 0);
  int keys = 0;
  for (const auto& row : kUsRows) {
    for (size_t i = 0; row[0][i] != 0; ++i) {
      const auto key = screen::KeyOfCharacter(row[0][i]);
      ASSERT_TRUE(key.has_value()) << row[0][i];
      const auto characters = screen::UsDigitOrPunctuation(key->keyCode);
      if (std::isalpha(static_cast<unsigned char>(row[0][i]))) {
        EXPECT_FALSE(characters.has_value()) << row[0][i];
        continue;
      }
      ASSERT_TRUE(characters.has_value()) << row[0][i];
      EXPECT_EQ(characters->plain, row[0][i]);
      EXPECT_EQ(characters->shifted, row[1][i]);
      ++keys;
    }
  }
  EXPECT_EQ(keys, 21);
  EXPECT_FALSE(screen::UsDigitOrPunctuation(screen::kKeyNumpad0 + 1).has_value());
}

TEST(KeyMap, AccessKeysAreTheLetterAfterASingleAmpersand) {
  const std::pair<const char*, char> cases[] = {
      {"&Save List", 'S'}, {"Re&trieve", 'T'}, {"Fish && &Chips", 'C'},
      {"a&&b", 0},         {"ends&", 0},       {"=", 0}};
  for (const auto& [caption, key] : cases) EXPECT_EQ(screen::AccessKeyOf(caption), key) << caption;
}

// Dates show as month/day/year; read back, two-digit years pivot at 1930 and
// anything that is not a whole valid date is refused.
TEST(DesktopDates, ShortDateTextIsMonthDayYearAndReadsBackButBadDatesDoNot) {
  screen::HeadlessDesktop desktop;
  EXPECT_EQ(desktop.ShortDateText(base::DateSerialFromYMD(2001, 1, 5)), "1/5/2001");
  const struct {
    const char* text;
    int year, month, day;  // 0: refused
  } cases[] = {{"1/5/2001", 2001, 1, 5},   {" 01/05/2001 ", 2001, 1, 5}, {"1-5-01", 2001, 1, 5},
               {"2/29/2000", 2000, 2, 29}, {"1/1/45", 1945, 1, 1},       {"1/1/29", 2029, 1, 1},
               {"2/29/2001", 0, 0, 0},     {"13/1/2001", 0, 0, 0},       {"0/1/2001", 0, 0, 0},
               {"1/5", 0, 0, 0},           {"1/5/2001x", 0, 0, 0},       {"", 0, 0, 0},
               {"1/5-2001", 0, 0, 0},      {"1/5/200", 0, 0, 0}};
  for (const auto& c : cases) {
    const auto serial = desktop.ReadShortDate(c.text);
    if (c.year == 0) {
      EXPECT_FALSE(serial.has_value()) << c.text;
    } else {
      EXPECT_EQ(serial, base::DateSerialFromYMD(c.year, c.month, c.day)) << c.text;
    }
  }
}

}  // namespace
