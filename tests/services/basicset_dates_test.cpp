// Tests of ztBasicSet::ValidateDateText and DateTextToYMD: entries and output
// forms beyond the sweep, pivot handling, and a sweep over every calendar day
// from 1900 to 2100 typed in several forms, round-tripped to the "yyyymmdd" key.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "services/ztBasicSet.h"
#include "support/error_of.h"

namespace {

using ztBasicSet::DateTextToYMD;

// Validates with the given form and pivot (both by value for convenience).
std::string Validate(const std::string& text, int16_t form = 0, int16_t pivot = 70) {
  return ztBasicSet::ValidateDateText(text, form, pivot);
}

// The key of a normalised text with the given pivot.
std::string Key(const std::string& text, int16_t pivot = 70) { return DateTextToYMD(text, pivot); }

// Entries the calendar sweep below does not type: odd years, extra parts,
// blanks, refused texts (" ") and the six-digit output form.
TEST(ValidateDateText, EntriesBeyondTheSweep) {
  const struct {
    const char* typed;
    int16_t form;
    const char* shown;
  } cases[] = {
      {"1/5/199", 0, "01/05/199"}, {"1/5/01/99", 0, "01/05/2001"}, {"1 / 5 / 01", 0, "01/05/2001"},
      {"1/5/199", 8, "01/05/199"}, {"1/5/01", 6, "010501"},        {"1/5/2001", 6, "010501"},
      {"1/5/01", 7, "01/05/2001"}, {"1/5/01", -1, "01/05/2001"},   {"2/29/2000", 0, "02/29/2000"}};
  for (const auto& c : cases) EXPECT_EQ(Validate(c.typed, c.form), c.shown) << c.typed << c.form;
  for (const char* text : {"13/1/01", "0/1/01", "1/0/01", "1/5", "1/5/12345", "", "   ", "abc",
                           "1//01", "/5/01", "1/5/ab", "1a/5/01", "1/5a/01", "01052001", "0105011",
                           "ab0501", "99999/1/01", "1/99999/01", "2/29/1900"}) {
    EXPECT_EQ(Validate(text), " ") << text;
  }
}

TEST(ValidateDateText, ThePivotIsNormalisedAndWrittenBack) {
  struct Case {
    int16_t given, used;
  } cases[] = {{0, 70}, {150, 70}, {-30, 30}, {99, 99}, {100, 70}, {1, 1}, {-32768, 70}};
  for (const Case& c : cases) {
    int16_t form = 8, pivot = c.given;
    ztBasicSet::ValidateDateText("1/5/01", form, pivot);
    EXPECT_EQ(pivot, c.used) << c.given;
    EXPECT_EQ(form, 8);  // the form is read, never written back
    pivot = c.given;
    DateTextToYMD("01/05/01", pivot);
    EXPECT_EQ(pivot, c.used) << c.given;
  }
}

// Keys beyond the sweep: a three-digit year gets no century, a bad count of
// separators gives eight spaces, and a year beyond 16 bits raises overflow.
TEST(DateTextToYMD, KeysBeyondTheSweep) {
  EXPECT_EQ(Key("1/5/01"), "20010105");
  EXPECT_EQ(Key("12-31-71"), "19711231");
  EXPECT_EQ(Key("01/05/199"), "1990105");
  EXPECT_EQ(Key("01/05/70", 69), "19700105");
  EXPECT_EQ(Key("01/05/32767"), "327670105");
  for (const char* text : {"01.05.2001", "01/05", "010501", "", "1/5/01/99", "1/5/01-"}) {
    EXPECT_EQ(Key(text), std::string(8, ' ')) << text;
  }
  EXPECT_EQ(testsupport::ErrorOf([] { Key("01/05/99999"); }), 6);
}

// ----- Sweep over the calendar -----

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysIn(int month, int year) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return kDays[month - 1] + (month == 2 && IsLeap(year) ? 1 : 0);
}

std::string Printf(const char* format, int a, int b, int c) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, format, a, b, c);
  return buffer;
}

// The typed forms of one day: m/d/yyyy, mm-dd-yyyy, m.d.yyyy with a four-digit
// year; m/d/yy, mm.dd.yy and mmddyy with a two-digit one.
std::vector<std::string> TypedForms(int y, int m, int d, bool fourDigitYear) {
  if (fourDigitYear) {
    return {Printf("%d/%d/%d", m, d, y), Printf("%02d-%02d-%d", m, d, y),
            Printf(" %d.%d.%d ", m, d, y)};
  }
  const int yy = y % 100;
  return {Printf("%d/%d/%02d", m, d, yy), Printf("%02d.%02d.%02d", m, d, yy),
          Printf("%02d%02d%02d", m, d, yy), Printf("%d-%d-%d", m, d, yy)};
}

// Every day round-trips; a day past the end of its month (in the century
// the pivot gives a two-digit year) is refused in every form.
TEST(DateSweep, EveryDayFrom1900To2100RoundTripsToItsKey) {
  for (int16_t pivot : {70, 30, 99, 1}) {
    for (int y = 1900; y <= 2100; ++y) {
      for (int m = 1; m <= 12; ++m) {
        for (int d = 1; d <= 32; ++d) {
          for (bool four : {true, false}) {
            const int yy = y % 100;
            const int year = four ? y : (yy > pivot ? 1900 : 2000) + yy;
            const bool refused = d > DaysIn(m, year);
            const std::string normal = refused ? " " : Printf("%02d/%02d/%04d", m, d, year);
            const std::string key = Printf("%04d%02d%02d", year, m, d);
            for (const std::string& typed : TypedForms(y, m, d, four)) {
              int16_t form = 0, p = pivot;
              const std::string result = ztBasicSet::ValidateDateText(typed, form, p);
              ASSERT_EQ(result, normal) << typed << " pivot " << pivot;
              if (!refused) {
                ASSERT_EQ(DateTextToYMD(result, p), key) << typed;
              }
            }
            if (!refused) {
              int16_t form = 8, p = pivot;
              ASSERT_EQ(ztBasicSet::ValidateDateText(normal, form, p),
                        Printf("%02d/%02d/%02d", m, d, yy));
            }
          }
        }
      }
    }
  }
}

}  // namespace
