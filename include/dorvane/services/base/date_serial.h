// Date serials: days since 1899-12-30 with the time of day as the fraction, on
// the proleptic Gregorian calendar, and the calendar rules the toolkit's date
// reading and the record store's dates share. Relies only on the standard
// library.
#pragma once

namespace base {

// Date serial of a calendar day; no validation beyond the calendar (months and
// days out of range roll over).
double DateSerialFromYMD(int year, int month, int day);
// Calendar day of a date serial (the time of day is ignored).
void YMDFromDateSerial(double serial, int& year, int& month, int& day);
// True for a leap year of the Gregorian calendar.
bool IsLeapYear(int year);
// Days in a month (1..12) of a Gregorian year.
int DaysInMonth(int year, int month);

// A date serial as its day (the whole part) and the second of that day
// (0..86399), the time rounded to the nearest second; a time that rounds up to
// midnight moves the day one further from day 0.
struct DayAndSecond {
  double day;
  long long second;
};
DayAndSecond SplitDateSerial(double serial);

}  // namespace base
