// Date arithmetic and texts for PELIST, on std::chrono's civil calendar, with
// English day and month names written out here (no locale is involved).
#include "dates.h"

#include <array>
#include <cassert>
#include <cstdio>
#include <ctime>

namespace dorvanedata {
namespace {

using std::chrono::days;
using std::chrono::sys_days;
using std::chrono::year_month_day;

constexpr std::array<const char*, 7> kDayNames = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                  "Thursday", "Friday", "Saturday"};
constexpr std::array<const char*, 12> kMonthNames = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};

// The parts of a date as plain numbers.
struct Parts {
  int year;
  unsigned month, day;
};

Parts Split(year_month_day date) {
  assert(date.ok());
  return {static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
          static_cast<unsigned>(date.day())};
}

}  // namespace

year_month_day LocalToday() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return year_month_day{std::chrono::year(local.tm_year + 1900),
                        std::chrono::month(static_cast<unsigned>(local.tm_mon + 1)),
                        std::chrono::day(static_cast<unsigned>(local.tm_mday))};
}

std::vector<year_month_day> PeriodEndingDates(year_month_day today, int weeks) {
  assert(weeks >= 0);
  // The first Friday on or after today plus eight weeks ends the range.
  sys_days last = sys_days(today) + days(56);
  last += (std::chrono::Friday - std::chrono::weekday(last));
  std::vector<year_month_day> dates;
  dates.reserve(static_cast<size_t>(weeks));
  for (int i = weeks - 1; i >= 0; --i) dates.emplace_back(last - days(7 * i));
  return dates;
}

std::string EntryDateText(year_month_day date) {
  const Parts p = Split(date);
  char text[48];
  std::snprintf(text, sizeof text, "%02u/%02u/%04d", p.month, p.day, p.year);
  return text;
}

std::string DayText(year_month_day date) {
  const Parts p = Split(date);
  const unsigned weekday = std::chrono::weekday(sys_days(date)).c_encoding();
  return std::string(kDayNames[weekday]) + ", " + kMonthNames[p.month - 1] + " " +
         std::to_string(p.day) + ", " + std::to_string(p.year);
}

std::string KeyDateText(year_month_day date) {
  const Parts p = Split(date);
  char text[48];
  std::snprintf(text, sizeof text, "%04d%02u%02u", p.year, p.month, p.day);
  return text;
}

}  // namespace dorvanedata
