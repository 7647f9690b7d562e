// Tests of ztBasicSet::FormatJobNumber: the stored form of numerical,
// character and plain job numbers in widths 0, 4 and 8, and the left-aligned variant.
#include <gtest/gtest.h>

#include <string>

#include "services/ztBasicSet.h"

namespace {

using ztBasicSet::FormatJobNumber;

std::string Spaces(int n) { return std::string(n, ' '); }

TEST(FormatJobNumber, NumericalWidthEight) {
  EXPECT_EQ(FormatJobNumber("42", "N", 8, false), Spaces(6) + "42");
  EXPECT_EQ(FormatJobNumber("0042", "N", 8, false), Spaces(6) + "42");
  EXPECT_EQ(FormatJobNumber("  42  ", "N", 8, false), Spaces(6) + "42");
  EXPECT_EQ(FormatJobNumber("0", "N", 8, false), Spaces(8));
  EXPECT_EQ(FormatJobNumber("abc", "N", 8, false), Spaces(8));
  EXPECT_EQ(FormatJobNumber("", "N", 8, false), Spaces(8));
  EXPECT_EQ(FormatJobNumber("12.6", "N", 8, false), Spaces(6) + "13");
  EXPECT_EQ(FormatJobNumber("-5", "N", 8, false), Spaces(6) + "-5");
  EXPECT_EQ(FormatJobNumber("99999998", "N", 8, false), "99999998");
  EXPECT_EQ(FormatJobNumber("99999999", "N", 8, false), std::string(8, '?'));
  EXPECT_EQ(FormatJobNumber("1e9", "N", 8, false), std::string(8, '?'));
  // Letters after the number are dropped: the value is the number the text begins with.
  EXPECT_EQ(FormatJobNumber("17ab", "N", 8, false), Spaces(6) + "17");
}

TEST(FormatJobNumber, NumericalHalvesGoToEven) {
  EXPECT_EQ(FormatJobNumber("12.5", "N", 8, false), Spaces(6) + "12");
  EXPECT_EQ(FormatJobNumber("13.5", "N", 8, false), Spaces(6) + "14");
  EXPECT_EQ(FormatJobNumber("-2.5", "N", 8, false), Spaces(6) + "-2");
  // A fraction that rounds to 0 is still a non-zero value: it becomes "0".
  EXPECT_EQ(FormatJobNumber("0.4", "N", 8, false), Spaces(7) + "0");
}

TEST(FormatJobNumber, NumericalBeyondThirtyTwoBitsTakesTheNearestEnd) {
  // A first-eight-characters cut of the most negative 32-bit number.
  EXPECT_EQ(FormatJobNumber("-99999999999", "N", 8, false), "-2147483");
  EXPECT_EQ(FormatJobNumber("-12345678", "N", 4, false), "-123");
}

TEST(FormatJobNumber, CharacterWidthEight) {
  EXPECT_EQ(FormatJobNumber("ab1", "C", 8, false), Spaces(5) + "AB1");
  EXPECT_EQ(FormatJobNumber("abcdefghij", "C", 8, false), "ABCDEFGH");
  EXPECT_EQ(FormatJobNumber("0042", "C", 8, false), Spaces(4) + "0042");
  EXPECT_EQ(FormatJobNumber("", "C", 8, false), Spaces(8));
  EXPECT_EQ(FormatJobNumber("a b", "C", 8, false), Spaces(5) + "A B");
}

TEST(FormatJobNumber, CharacterWidthFour) {
  EXPECT_EQ(FormatJobNumber(" x ", "C", 4, false), Spaces(3) + "X");
  EXPECT_EQ(FormatJobNumber("abcd", "C", 4, false), "ABCD");
  EXPECT_EQ(FormatJobNumber("abcde", "C", 4, false), "ABCD");
}

TEST(FormatJobNumber, NumericalWidthFour) {
  EXPECT_EQ(FormatJobNumber("7", "N", 4, false), Spaces(3) + "7");
  EXPECT_EQ(FormatJobNumber("123456", "N", 4, false), "1234");
  EXPECT_EQ(FormatJobNumber("99999999", "N", 4, false), "????");
}

TEST(FormatJobNumber, WidthZeroGivesEmptyText) {
  for (const char* type : {"N", "C", " "}) {
    EXPECT_EQ(FormatJobNumber("42", type, 0, false), "") << type;
    EXPECT_EQ(FormatJobNumber("abc", type, 0, true), "") << type;
  }
  EXPECT_EQ(FormatJobNumber("42", "N", -3, false), "");
}

TEST(FormatJobNumber, PlainTypeIsNeitherNumberNorCapitals) {
  EXPECT_EQ(FormatJobNumber("ab1", " ", 8, false), Spaces(5) + "ab1");
  EXPECT_EQ(FormatJobNumber("0042", " ", 8, false), Spaces(4) + "0042");
  EXPECT_EQ(FormatJobNumber("abc", " ", 4, false), " abc");
  // The type comparison is exact: lower-case letters are plain types too.
  EXPECT_EQ(FormatJobNumber("0042", "n", 8, false), Spaces(4) + "0042");
  EXPECT_EQ(FormatJobNumber("ab", "c", 4, false), "  ab");
}

TEST(FormatJobNumber, LeftAlignedVariant) {
  EXPECT_EQ(FormatJobNumber("42", "N", 8, true), "42" + Spaces(6));
  EXPECT_EQ(FormatJobNumber("ab1", "C", 8, true), "AB1" + Spaces(5));
  EXPECT_EQ(FormatJobNumber("abcdefghij", "C", 8, true), "ABCDEFGH");
  EXPECT_EQ(FormatJobNumber("0", "N", 4, true), Spaces(4));
  EXPECT_EQ(FormatJobNumber(" x ", " ", 4, true), "x" + Spaces(3));
}

TEST(FormatJobNumber, StoredFormIsStable) {
  // Formatting a stored job number again leaves it unchanged, for every type and width.
  for (const char* type : {"N", "C", " "}) {
    for (int16_t size : {4, 8}) {
      for (const char* typed : {"1", "42", "ab1", "-5", "12345678", "x y", ""}) {
        const std::string stored = FormatJobNumber(typed, type, size, false);
        EXPECT_EQ(stored.size(), static_cast<size_t>(size));
        EXPECT_EQ(FormatJobNumber(stored, type, size, false), stored) << type << " " << typed;
      }
    }
  }
}

}  // namespace
