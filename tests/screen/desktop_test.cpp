// The US-keyboard mapping, access keys, and the Desktop's date and file
// services shared by every desktop.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>

#include "services/recordstore/variant.h"
#include "services/screen/screen.h"
#include "support/temp_folder.h"

namespace {

// The four rows of a US keyboard, each character under its shifted one: the
// independent source the key map is checked against.
constexpr const char* kUsRows[][2] = {{"`1234567890-=", "~!@#$%^&*()_+"},
                                      {"qwertyuiop[]\\", "QWERTYUIOP{}|"},
                                      {"asdfghjkl;'", "ASDFGHJKL:\""},
                                      {"zxcvbnm,./", "ZXCVBNM<>?"}};

TEST(KeyMap, KeysGiveTheCharactersOfAUsKeyboard) {
  EXPECT_EQ(screen::CharacterOfKey('A', 0), 'a');
  EXPECT_EQ(screen::CharacterOfKey('A', screen::kShiftMask), 'A');
  EXPECT_EQ(screen::CharacterOfKey('2', screen::kShiftMask), '@');
  EXPECT_EQ(screen::CharacterOfKey(191, screen::kShiftMask), '?');
  EXPECT_EQ(screen::CharacterOfKey(222, screen::kShiftMask), '"');
  EXPECT_EQ(screen::CharacterOfKey(screen::kKeyNumpad0 + 5, screen::kShiftMask), '5');
  EXPECT_EQ(screen::CharacterOfKey(screen::kKeySubtract, 0), '-');
  EXPECT_EQ(screen::CharacterOfKey('2', screen::kCtrlMask), 0);
  EXPECT_EQ(screen::CharacterOfKey(screen::kKeyDelete, 0), 0);
  EXPECT_EQ(screen::CharacterOfKey(screen::kKeyF1, 0), 0);
  // Each digit or punctuation key has both characters of its column on the
  // keyboard; letters and the keypad are no such keys.
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

TEST(KeyMap, EveryPrintableCharacterHasAKeyThatGivesItBack) {
  for (char ch = 32; ch < 127; ++ch) {
    auto key = screen::KeyOfCharacter(ch);
    ASSERT_TRUE(key.has_value()) << ch;
    EXPECT_EQ(screen::CharacterOfKey(key->keyCode, key->shift), ch);
    EXPECT_FALSE(key->keyCode >= screen::kKeyNumpad0 && key->keyCode <= screen::kKeyDivide);
  }
  EXPECT_EQ(screen::KeyOfCharacter('+')->keyCode, 187);
  EXPECT_EQ(screen::KeyOfCharacter('\n')->keyCode, screen::kKeyReturn);
  EXPECT_FALSE(screen::KeyOfCharacter('\x01').has_value());
}

TEST(KeyMap, AccessKeysAreTheLetterAfterASingleAmpersand) {
  EXPECT_EQ(screen::AccessKeyOf("&Save List"), 'S');
  EXPECT_EQ(screen::AccessKeyOf("Re&trieve"), 'T');
  EXPECT_EQ(screen::AccessKeyOf("Fish && &Chips"), 'C');
  EXPECT_EQ(screen::AccessKeyOf("a&&b"), 0);
  EXPECT_EQ(screen::AccessKeyOf("ends&"), 0);
  EXPECT_EQ(screen::AccessKeyOf("="), 0);
}

TEST(DesktopDates, ShortDateTextIsMonthDayYearAndReadsBackButBadDatesDoNot) {
  screen::HeadlessDesktop desktop;
  EXPECT_EQ(desktop.ShortDateText(base::DateSerialFromYMD(2001, 1, 5)), "1/5/2001");
  EXPECT_EQ(desktop.ShortDateText(base::DateSerialFromYMD(1999, 12, 31)), "12/31/1999");
  const double jan5 = base::DateSerialFromYMD(2001, 1, 5);
  EXPECT_EQ(desktop.ReadShortDate("1/5/2001"), jan5);
  EXPECT_EQ(desktop.ReadShortDate(" 01/05/2001 "), jan5);
  EXPECT_EQ(desktop.ReadShortDate("1-5-01"), jan5);
  EXPECT_EQ(desktop.ReadShortDate("2/29/2000"), base::DateSerialFromYMD(2000, 2, 29));
  EXPECT_EQ(desktop.ReadShortDate("1/1/45"), base::DateSerialFromYMD(1945, 1, 1));
  for (const char* bad :
       {"2/29/2001", "13/1/2001", "0/1/2001", "1/5", "1/5/2001x", "", "1/5-2001", "1/5/200"}) {
    EXPECT_FALSE(desktop.ReadShortDate(bad).has_value()) << bad;
  }
}

TEST(DesktopFiles, FileNamesMatchWithoutRegardToCaseAndBackslashesSeparate) {
  namespace fs = std::filesystem;
  const testsupport::TempFolder temp;
  const fs::path folder = temp.Path();
  fs::create_directories(folder / "Data");
  std::ofstream(folder / "Data" / "QRLSYS.mdb") << "x";
  screen::HeadlessDesktop desktop;
  EXPECT_TRUE(desktop.FileExists((folder / "Data" / "qrlsys.MDB").string()));
  EXPECT_TRUE(desktop.FileExists(folder.string() + "\\Data\\QRLSYS.mdb"));
  EXPECT_FALSE(desktop.FileExists((folder / "Data" / "MAIN.MDB").string()));
  EXPECT_FALSE(desktop.FileExists((folder / "Data").string()));
  EXPECT_FALSE(desktop.FileExists((folder / "Missing" / "QRLSYS.mdb").string()));
  EXPECT_FALSE(desktop.FileExists(""));
}

}  // namespace
