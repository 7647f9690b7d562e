// Tests of FormatValueOrBlank and the format texts behind it: number sections,
// date sections, named formats, section choice by sign, and empty values.
#include "services/format_text.h"

#include <gtest/gtest.h>

#include <string>

#include "services/recordstore/variant.h"
#include "services/ztBasicSet.h"

namespace {

using recordstore::Variant;
using ztBasicSet::FormatValue;
using ztBasicSet::FormatValueOrBlank;

std::string Num(double v, const std::string& format) {
  return FormatValue(Variant::Double(v), format);
}

// The date serial of a day and a time of day.
Variant When(int y, int m, int d, int hour = 0, int minute = 0, int second = 0) {
  return Variant::Date(base::DateSerialFromYMD(y, m, d) +
                       (hour * 3600 + minute * 60 + second) / 86400.0);
}

TEST(FormatValueOrBlank, EmptyValuesGiveDashOrBlank) {
  for (const Variant& empty : {Variant::Integer(0), Variant::Null(), Variant(),
                               Variant::Double(0.0), Variant::Boolean(false), Variant::Currency(0),
                               Variant::String(" "), Variant::String("0.0")}) {
    EXPECT_EQ(FormatValueOrBlank(empty, "0.00", true), "-") << empty.ToString();
    EXPECT_EQ(FormatValueOrBlank(empty, "#,##0", false), " ") << empty.ToString();
  }
}

TEST(FormatValueOrBlank, OtherValuesAreFormatted) {
  EXPECT_EQ(FormatValueOrBlank(Variant::Integer(7), "000", false), "007");
  EXPECT_EQ(FormatValueOrBlank(Variant::Long(-1234567), "#,##0", true), "-1,234,567");
  EXPECT_EQ(FormatValueOrBlank(Variant::Double(0.004), "0.00", false), "0.00");
  EXPECT_EQ(FormatValueOrBlank(Variant::String("12.5"), "0.00", false), "12.50");
  EXPECT_EQ(FormatValueOrBlank(Variant::String("abc"), "0.00", false), "abc");
  EXPECT_EQ(FormatValueOrBlank(When(2001, 1, 5), "mm/dd/yyyy", false), "01/05/2001");
}

TEST(FormatNumber, PlaceholdersAndRounding) {
  EXPECT_EQ(Num(5, "000"), "005");
  EXPECT_EQ(Num(1234.5, "0"), "1235");
  EXPECT_EQ(Num(-2.5, "0"), "-3");        // halves go away from zero
  EXPECT_EQ(Num(1.005, "0.00"), "1.01");  // rounded on the 15-digit decimal form
  EXPECT_EQ(Num(0.5, "#.##"), ".5");
  EXPECT_EQ(Num(5, "#.##"), "5.");
  EXPECT_EQ(Num(5.25, ".00"), "5.25");
  EXPECT_EQ(Num(0.125, "0.0#"), "0.13");
  EXPECT_EQ(Num(9.996, "0.00"), "10.00");
  EXPECT_EQ(Num(-0.001, "0.00"), "0.00");  // no sign when nothing non-zero is shown
  EXPECT_EQ(Num(0, "#"), "");
  EXPECT_EQ(Num(123456, "00"), "123456");  // never cut
}

TEST(FormatNumber, SeparatorsPercentAndScaling) {
  EXPECT_EQ(Num(1234567.891, "#,##0.00"), "1,234,567.89");
  EXPECT_EQ(Num(1234, "0,000"), "1,234");
  EXPECT_EQ(Num(1234567, "#,##0,"), "1,235");
  EXPECT_EQ(Num(1234567890, "0,,"), "1235");
  EXPECT_EQ(Num(0.256, "0%"), "26%");
  EXPECT_EQ(Num(0.256, "0.0\\%"), "0.3%");  // an escaped percent does not scale
  EXPECT_EQ(Num(5551234567.0, "(000) 000-0000"), "(555) 123-4567");
  EXPECT_EQ(Num(-5, "$0"), "-$5");
}

TEST(FormatNumber, Exponents) {
  EXPECT_EQ(Num(12345, "0.00E+00"), "1.23E+04");
  EXPECT_EQ(Num(12345, "00.00E+00"), "12.35E+03");
  EXPECT_EQ(Num(0.00012345, "0.00E-00"), "1.23E-04");
  EXPECT_EQ(Num(12345, "0.00E-00"), "1.23E04");
  EXPECT_EQ(Num(99999, "0.0e+0"), "1.0e+5");
  EXPECT_EQ(Num(0, "0.00E+00"), "0.00E+00");
  EXPECT_EQ(Num(-12345, "0.0E+00"), "-1.2E+04");
}

TEST(FormatNumber, SectionsBySign) {
  const std::string format = "0.00;(0.00);\\z\\e\\r\\o";
  EXPECT_EQ(Num(5, format), "5.00");
  EXPECT_EQ(Num(-5, format), "(5.00)");
  EXPECT_EQ(Num(0, format), "zero");
  EXPECT_EQ(Num(-5, "0;;\"none\""), "-5");  // an empty negative section uses the first
  EXPECT_EQ(Num(0, "0;(0)"), "0");
  EXPECT_EQ(Num(5, "\"a;b\" 0"), "a;b 5");  // a quoted ";" does not split
  EXPECT_EQ(FormatValue(Variant::Null(), "0;0;0;\"Null\""), "Null");
  EXPECT_EQ(FormatValue(Variant::Null(), "0.00"), "");
}

TEST(FormatNumber, NamedFormats) {
  EXPECT_EQ(Num(1234.5, "General Number"), "1234.5");
  EXPECT_EQ(Num(1e20, "General Number"), "1E+20");
  EXPECT_EQ(Num(1234.5, "Fixed"), "1234.50");
  EXPECT_EQ(Num(1234.5, "standard"), "1,234.50");
  EXPECT_EQ(Num(0.256, "Percent"), "25.60%");
  EXPECT_EQ(Num(-1234.5, "Currency"), "($1,234.50)");
  EXPECT_EQ(Num(1234.5, "Scientific"), "1.23E+03");
  EXPECT_EQ(Num(-1, "Yes/No"), "Yes");
  EXPECT_EQ(Num(0, "True/False"), "False");
  EXPECT_EQ(FormatValue(Variant::Boolean(true), "0"), "-1");
  EXPECT_EQ(FormatValue(Variant::Single(0.1f), "General Number"), "0.1");
}

TEST(FormatDate, Fields) {
  const Variant when = When(2001, 1, 5, 14, 7, 9);  // a Friday
  EXPECT_EQ(FormatValue(when, "m/d/yy"), "1/5/01");
  EXPECT_EQ(FormatValue(when, "ddd dddd"), "Fri Friday");
  EXPECT_EQ(FormatValue(when, "mmm mmmm"), "Jan January");
  EXPECT_EQ(FormatValue(when, "yyyymmdd"), "20010105");
  EXPECT_EQ(FormatValue(when, "h:nn:ss"), "14:07:09");
  EXPECT_EQ(FormatValue(when, "hh:mm"), "14:07");  // m after h is the minute
  EXPECT_EQ(FormatValue(when, "h:nn AM/PM"), "2:07 PM");
  EXPECT_EQ(FormatValue(when, "h a/p"), "2 p");
  EXPECT_EQ(FormatValue(When(2001, 1, 5, 0, 30), "h:nn am/pm"), "12:30 am");
  EXPECT_EQ(FormatValue(when, "w q y"), "6 1 5");
  EXPECT_EQ(FormatValue(when, "\"Day\" d"), "Day 5");
  EXPECT_EQ(FormatValue(when, "\\d d"), "d 5");
  // Weeks start on Sunday, the first holding 1 January. 1 January 2000 was a
  // Saturday: the next day starts week 2.
  EXPECT_EQ(FormatValue(When(2000, 1, 1), "ww"), "1");
  EXPECT_EQ(FormatValue(When(2000, 1, 2), "ww"), "2");
  EXPECT_EQ(FormatValue(When(2000, 12, 31), "ww"), "54");
  // 1 January 2006 was a Sunday.
  EXPECT_EQ(FormatValue(When(2006, 1, 7), "ww"), "1");
  EXPECT_EQ(FormatValue(When(2006, 1, 8), "ww"), "2");
}

TEST(FormatDate, NamedFormats) {
  EXPECT_EQ(FormatValue(When(2001, 1, 5), "Short Date"), "1/5/2001");
  EXPECT_EQ(FormatValue(When(2001, 1, 5), "Long Date"), "Friday, January 5, 2001");
  EXPECT_EQ(FormatValue(When(2001, 1, 5, 13, 0, 5), "General Date"), "1/5/2001 1:00:05 PM");
  EXPECT_EQ(FormatValue(Variant::Date(0.75), "General Date"), "6:00:00 PM");
  EXPECT_EQ(FormatValue(When(2001, 1, 5, 9, 5), "Medium Time"), "09:05 AM");
  EXPECT_EQ(FormatValue(When(2001, 1, 5, 21, 5), "Short Time"), "21:05");
  EXPECT_EQ(FormatValue(When(2001, 1, 5), "Medium Date"), "05-Jan-01");
}

TEST(FormatDate, NumbersUnderDateFormatsAreSerials) {
  EXPECT_EQ(FormatValue(Variant::Long(36526), "mm/dd/yyyy"), "01/01/2000");
  EXPECT_EQ(FormatValue(Variant::Double(-1.5), "mm/dd/yyyy hh:nn"), "12/29/1899 12:00");
  EXPECT_EQ(FormatValue(When(2000, 1, 1), "0"), "36526");
  // Beyond the calendar the number is written plainly instead of failing.
  EXPECT_EQ(FormatValue(Variant::Double(1e9), "mm/dd/yyyy"), "1000000000");
}

}  // namespace
