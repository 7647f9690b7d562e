// Tests of Variant: the classic conversions (rounding half to even, overflow,
// type mismatch, Null) as tables of value and outcome, Val and the date serial
// helpers. Equality is compared through the keyed scans (tests/services).
#include "services/recordstore/variant.h"

#include <gtest/gtest.h>

#include "store_helpers.h"

namespace recordstore {
namespace {

// What `conversion` gives as text, or "error N" for the RuntimeError it raises.
template <typename F>
std::string Outcome(F conversion) {
  std::string text;
  const int error = testing::ErrorOf([&] { text = conversion(); });
  return error == 0 ? text : "error " + std::to_string(error);
}

// Whole numbers round half to even (Currency to four places: 20000.5 units
// are 20000), out of range is 6, a text no number is 13, Null 94.
TEST(VariantConversion, ToIntegerAndToStringOfEachKind) {
  const struct {
    Variant value;
    const char* integer;
    const char* text;
  } cases[] = {{Variant::Double(2.5), "2", "2.5"},
               {Variant::Double(3.5), "4", "3.5"},
               {Variant::String(" 13.5 "), "14", " 13.5 "},
               {Variant::Currency(2.00005), "2", "2"},
               {Variant::Currency(2.00015), "2", "2.0002"},
               {Variant::Long(32768), "error 6", "32768"},
               {Variant::Double(-32768.6), "error 6", "-32768.6"},
               {Variant::String("abc"), "error 13", "abc"},
               {Variant::Null(), "error 94", "error 94"},
               {Variant(), "0", ""},
               {Variant::Boolean(true), "-1", "True"},
               {Variant::Double(1e20), "error 6", "1E+20"},
               {Variant::Double(1.0 / 3), "0", "0.333333333333333"},
               {Variant::Single(0.1f), "0", "0.1"},
               {Variant::Date(-1.25), "-1", "12/29/1899 6:00:00 AM"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Outcome([&] { return std::to_string(c.value.ToInteger()); }), c.integer);
    EXPECT_EQ(Outcome([&] { return c.value.ToString(); }), c.text);
  }
  EXPECT_EQ(Outcome([] { return std::to_string(Variant::Double(2147483647.5).ToLong()); }),
            "error 6");
  EXPECT_EQ(Outcome([] { return std::to_string(Variant::String("1.2.3").ToDouble()); }),
            "error 13");
  EXPECT_DOUBLE_EQ(Variant::String("-1.5E2").ToDouble(), -150);
}

TEST(VariantVal, ReadsTheLeadingNumber) {
  const std::pair<const char*, double> cases[] = {{"  42abc", 42}, {"1615 198th Street", 1615198},
                                                  {"- 5", -5},     {"1.2.3", 1.2},
                                                  {"7E", 7},       {"&HFFFF", -1},
                                                  {"&O17", 15},    {"  ", 0}};
  for (const auto& [text, number] : cases) EXPECT_EQ(Val(text), number) << text;
}

// A day 0 is the last of the month before, and a date text reads as its
// serial (the calendar itself is swept by the typed-date tests, the serials'
// first day pinned by the import's dates).
TEST(VariantDates, SerialsFollowTheCalendar) {
  EXPECT_EQ(base::DateSerialFromYMD(2001, 3, 0), base::DateSerialFromYMD(2001, 2, 28));
  EXPECT_EQ(Variant::String("1/5/2001").DateSerial(), 36896);
}

}  // namespace
}  // namespace recordstore
