// Date serials: days since 1899-12-30 with the time of day as the fraction, on
// the proleptic Gregorian calendar. Negative serials keep the classic encoding:
// the whole part is the day and the fraction, taken as positive, the time.
#include "services/base/date_serial.h"

#include <cassert>
#include <cmath>

namespace base {
namespace {

// Days from 1970-01-01 to the given civil date (H. Hinnant's algorithm).
long DaysFromCivil(long y, long m, long d) {
  y -= m <= 2;
  long era = (y >= 0 ? y : y - 399) / 400;
  long yoe = y - era * 400;
  long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

// The civil date of a count of days from 1970-01-01.
void CivilFromDays(long z, int& year, int& month, int& day) {
  z += 719468;
  long era = (z >= 0 ? z : z - 146096) / 146097;
  long doe = z - era * 146097;
  long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  long mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

const long kSerialEpoch = DaysFromCivil(1899, 12, 30);

}  // namespace

double DateSerialFromYMD(int year, int month, int day) {
  // Months outside 1..12 move the year; days outside the month roll over.
  long y = year + (month >= 1 ? (month - 1) / 12 : -((12 - month) / 12));
  long m = ((month - 1) % 12 + 12) % 12 + 1;
  return static_cast<double>(DaysFromCivil(y, m, 1) + (day - 1) - kSerialEpoch);
}

void YMDFromDateSerial(double serial, int& year, int& month, int& day) {
  CivilFromDays(static_cast<long>(std::trunc(serial)) + kSerialEpoch, year, month, day);
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  assert(month >= 1 && month <= 12);
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return kDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

DayAndSecond SplitDateSerial(double serial) {
  double day = std::trunc(serial);
  long long second = std::llround(std::fabs(serial - day) * 86400.0);
  if (second >= 86400) {
    second -= 86400;
    day += serial < 0 ? -1 : 1;
  }
  return {day, second};
}

}  // namespace base
