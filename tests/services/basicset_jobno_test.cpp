// Tests of ztBasicSet::FormatJobNumber: the stored form of numerical,
// character and plain job numbers in widths 0, 4 and 8, and the left-aligned variant.
#include <gtest/gtest.h>

#include <string>

#include "services/ztBasicSet.h"

namespace {

using ztBasicSet::FormatJobNumber;

// Typed text, type, width, left-aligned: the stored form. Type N is a number
// right-aligned ("?" when it does not fit): letters after it are dropped,
// halves go to even, a fraction that rounds to 0 is still a value, and beyond
// 32 bits the nearest end is cut to the width. C gives capitals; any other
// type, small letters too, the text as typed.
TEST(FormatJobNumber, StoredForms) {
  struct Case {
    const char* typed;
    const char* type;
    int16_t size;
    bool left;
    const char* stored;
  };
  const Case numbers[] = {
      {"42", "N", 8, false, "      42"},       {"0042", "N", 8, false, "      42"},
      {"  42  ", "N", 8, false, "      42"},   {"0", "N", 8, false, "        "},
      {"abc", "N", 8, false, "        "},      {"", "N", 8, false, "        "},
      {"-5", "N", 8, false, "      -5"},       {"99999998", "N", 8, false, "99999998"},
      {"99999999", "N", 8, false, "????????"}, {"1e9", "N", 8, false, "????????"},
      {"17ab", "N", 8, false, "      17"},     {"12.5", "N", 8, false, "      12"},
      {"13.5", "N", 8, false, "      14"},     {"-2.5", "N", 8, false, "      -2"},
      {"0.4", "N", 8, false, "       0"},      {"-99999999999", "N", 8, false, "-2147483"},
      {"-12345678", "N", 4, false, "-123"},    {"123456", "N", 4, false, "1234"},
      {"99999999", "N", 4, false, "????"},     {"42", "N", -3, false, ""},
      {"42", "N", 8, true, "42      "},        {"0", "N", 4, true, "    "}};
  const Case texts[] = {
      {"ab1", "C", 8, false, "     AB1"},  {"abcdefghij", "C", 8, false, "ABCDEFGH"},
      {"0042", "C", 8, false, "    0042"}, {"", "C", 8, false, "        "},
      {"a b", "C", 8, false, "     A B"},  {" x ", "C", 4, false, "   X"},
      {"abcde", "C", 4, false, "ABCD"},    {"ab1", " ", 8, false, "     ab1"},
      {"abc", " ", 4, false, " abc"},      {"0042", "n", 8, false, "    0042"},
      {"ab", "c", 4, false, "  ab"},       {"ab1", "C", 8, true, "AB1     "},
      {" x ", " ", 4, true, "x   "}};
  auto check = [](const Case& c) {
    EXPECT_EQ(FormatJobNumber(c.typed, c.type, c.size, c.left), c.stored)
        << c.typed << " " << c.type << c.size << (c.left ? " left" : "");
  };
  for (const Case& c : numbers) check(c);
  for (const Case& c : texts) check(c);
  for (const char* type : {"N", "C", " "}) {
    EXPECT_EQ(FormatJobNumber("42", type, 0, false), "") << type;
    EXPECT_EQ(FormatJobNumber("abc", type, 0, true), "") << type;
  }
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
