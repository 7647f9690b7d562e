// Tests of Variant: the classic conversions (rounding half to even, overflow,
// type mismatch, Null), Val, equality and the date serial helpers.
#include "services/recordstore/variant.h"

#include <gtest/gtest.h>

#include "store_helpers.h"

namespace recordstore {
namespace {

TEST(VariantConversion, WholeNumbersRoundHalfToEven) {
  EXPECT_EQ(Variant::Double(2.5).ToInteger(), 2);
  EXPECT_EQ(Variant::Double(3.5).ToInteger(), 4);
  EXPECT_EQ(Variant::Double(-2.5).ToInteger(), -2);
  EXPECT_EQ(Variant::Double(0.5).ToLong(), 0);
  EXPECT_EQ(Variant::Double(1.5).ToLong(), 2);
  EXPECT_EQ(Variant::String("12.5").ToInteger(), 12);
  EXPECT_EQ(Variant::String(" 13.5 ").ToInteger(), 14);
  EXPECT_EQ(Variant::Currency(2.00005).ToString(), "2");  // 20000.5 units -> 20000
  EXPECT_EQ(Variant::Currency(2.00015).ToString(), "2.0002");
}

TEST(VariantConversion, OutOfRangeIsOverflow) {
  EXPECT_EQ(testing::ErrorOf([] { Variant::Long(32768).ToInteger(); }), 6);
  EXPECT_EQ(testing::ErrorOf([] { Variant::Double(-32768.6).ToInteger(); }), 6);
  EXPECT_EQ(Variant::Double(-32768.4).ToInteger(), -32768);
  EXPECT_EQ(testing::ErrorOf([] { Variant::Double(2147483647.5).ToLong(); }), 6);
  EXPECT_EQ(testing::ErrorOf([] { Variant::String("1e10").ToLong(); }), 6);
  EXPECT_EQ(Variant::String("&HFFFF").ToInteger(), -1);
}

TEST(VariantConversion, TextThatIsNotANumberIsTypeMismatch) {
  EXPECT_EQ(testing::ErrorOf([] { Variant::String("abc").ToInteger(); }), 13);
  EXPECT_EQ(testing::ErrorOf([] { Variant::String("").ToLong(); }), 13);
  EXPECT_EQ(testing::ErrorOf([] { Variant::String("12abc").ToDouble(); }), 13);
  EXPECT_EQ(testing::ErrorOf([] { Variant::String("1.2.3").ToDouble(); }), 13);
  EXPECT_DOUBLE_EQ(Variant::String("-1.5E2").ToDouble(), -150);
}

TEST(VariantConversion, NullAndEmpty) {
  EXPECT_EQ(testing::ErrorOf([] { Variant::Null().ToInteger(); }), 94);
  EXPECT_EQ(testing::ErrorOf([] { Variant::Null().ToString(); }), 94);
  EXPECT_EQ(Variant().ToInteger(), 0);
  EXPECT_EQ(Variant().ToString(), "");
  EXPECT_FALSE(Variant().ToBoolean());
  EXPECT_TRUE(Variant::Null().IsNull());
  EXPECT_TRUE(Variant().IsEmpty());
}

TEST(VariantConversion, Texts) {
  EXPECT_EQ(Variant::Boolean(true).ToString(), "True");
  EXPECT_EQ(Variant::Boolean(false).ToString(), "False");
  EXPECT_EQ(Variant::Boolean(true).ToInteger(), -1);
  EXPECT_EQ(Variant::Integer(-42).ToString(), "-42");
  EXPECT_EQ(Variant::Double(0.5).ToString(), "0.5");
  EXPECT_EQ(Variant::Double(1e20).ToString(), "1E+20");
  EXPECT_EQ(Variant::Double(1.0 / 3).ToString(), "0.333333333333333");
  EXPECT_EQ(Variant::Single(0.1f).ToString(), "0.1");
  EXPECT_EQ(Variant::Currency(-1234.5).ToString(), "-1234.5");
  EXPECT_EQ(Variant::Date(base::DateSerialFromYMD(2001, 1, 5)).ToString(), "1/5/2001");
  EXPECT_EQ(Variant::Date(base::DateSerialFromYMD(2001, 1, 5) + 0.75).ToString(),
            "1/5/2001 6:00:00 PM");
  EXPECT_TRUE(Variant::String("true").ToBoolean());
  EXPECT_FALSE(Variant::String("0").ToBoolean());
}

TEST(VariantConversion, IsNumeric) {
  EXPECT_TRUE(Variant::Boolean(false).IsNumeric());
  EXPECT_TRUE(Variant::Currency(1).IsNumeric());
  EXPECT_TRUE(Variant::Byte(1).IsNumeric());
  EXPECT_FALSE(Variant::String("1").IsNumeric());
  EXPECT_FALSE(Variant::Date(1).IsNumeric());
  EXPECT_FALSE(Variant::Null().IsNumeric());
}

TEST(VariantVal, ReadsTheLeadingNumber) {
  EXPECT_EQ(Val("  42abc"), 42);
  EXPECT_EQ(Val("1615 198th Street"), 1615198);  // blanks inside are skipped
  EXPECT_EQ(Val("- 5"), -5);
  EXPECT_EQ(Val(".5"), 0.5);
  EXPECT_EQ(Val("1.2.3"), 1.2);
  EXPECT_EQ(Val("2E3x"), 2000);
  EXPECT_EQ(Val("7E"), 7);
  EXPECT_EQ(Val("&HFF"), 255);
  EXPECT_EQ(Val("&HFFFF"), -1);
  EXPECT_EQ(Val("&O17"), 15);
  EXPECT_EQ(Val("abc"), 0);
  EXPECT_EQ(Val(""), 0);
  EXPECT_EQ(Val("  "), 0);
}

TEST(VariantCompare, NumbersByValueTextsExactly) {
  EXPECT_TRUE(Variant::Integer(5) == Variant::Long(5));
  EXPECT_TRUE(Variant::Double(5.0) == Variant::Currency(5));
  EXPECT_TRUE(Variant::Boolean(true) == Variant::Integer(-1));
  EXPECT_TRUE(Variant::Single(0.1f) == Variant::Double(0.1));
  EXPECT_FALSE(Variant::Integer(5) == Variant::String("5"));
  EXPECT_TRUE(Variant::String("AB") == Variant::String("AB"));
  EXPECT_FALSE(Variant::String("AB") == Variant::String("ab"));
  EXPECT_FALSE(Variant::String("AB") == Variant::String("AB "));
  EXPECT_TRUE(Variant() == Variant::Integer(0));
  EXPECT_TRUE(Variant() == Variant::String(""));
  EXPECT_FALSE(Variant::Null() == Variant::Null());
  EXPECT_FALSE(Variant::Null() == Variant());
  EXPECT_TRUE(Variant::Null() != Variant::Integer(0));
}

TEST(VariantDates, SerialsFollowTheCalendar) {
  EXPECT_EQ(base::DateSerialFromYMD(1899, 12, 30), 0);
  EXPECT_EQ(base::DateSerialFromYMD(1900, 1, 1), 2);
  EXPECT_EQ(base::DateSerialFromYMD(2001, 1, 5), 36896);
  EXPECT_EQ(base::DateSerialFromYMD(2000, 13, 1), base::DateSerialFromYMD(2001, 1, 1));
  EXPECT_EQ(base::DateSerialFromYMD(2001, 0, 1), base::DateSerialFromYMD(2000, 12, 1));
  EXPECT_EQ(base::DateSerialFromYMD(2001, 3, 0), base::DateSerialFromYMD(2001, 2, 28));
  int y = 0, m = 0, d = 0;
  base::YMDFromDateSerial(base::DateSerialFromYMD(2000, 2, 29) + 0.5, y, m, d);
  EXPECT_EQ(y * 10000 + m * 100 + d, 20000229);
  base::YMDFromDateSerial(-1.25, y, m, d);
  EXPECT_EQ(y * 10000 + m * 100 + d, 18991229);
  EXPECT_EQ(Variant::String("1/5/2001").DateSerial(), 36896);
}

// Month lengths agree with the day count of the serials (an independent
// algorithm) over whole 400-year cycles, and the century rule holds.
TEST(VariantDates, MonthLengthsAndLeapYears) {
  EXPECT_FALSE(base::IsLeapYear(1900));
  EXPECT_TRUE(base::IsLeapYear(2000));
  EXPECT_TRUE(base::IsLeapYear(2024));
  EXPECT_FALSE(base::IsLeapYear(2023));
  EXPECT_EQ(base::DaysInMonth(1900, 2), 28);
  EXPECT_EQ(base::DaysInMonth(2000, 2), 29);
  EXPECT_EQ(base::DaysInMonth(2023, 12), 31);
  EXPECT_EQ(base::DaysInMonth(2023, 4), 30);
  for (int year = 1600; year < 2400; ++year) {
    for (int month = 1; month <= 12; ++month) {
      const double length =
          base::DateSerialFromYMD(year, month + 1, 1) - base::DateSerialFromYMD(year, month, 1);
      ASSERT_EQ(base::DaysInMonth(year, month), static_cast<int>(length)) << year << "-" << month;
    }
    ASSERT_EQ(base::IsLeapYear(year),
              base::DateSerialFromYMD(year + 1, 1, 1) - base::DateSerialFromYMD(year, 1, 1) == 366)
        << year;
  }
}

}  // namespace
}  // namespace recordstore
