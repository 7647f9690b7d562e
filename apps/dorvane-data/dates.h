// Period-ending dates: the weekly Fridays of PELIST and their three text forms
// (FEDATE "01/05/2001", TDATE "Friday, January 5, 2001", LDATE "20010105").
// Relies on <chrono>'s calendar types.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace dorvanedata {

// Returns the machine's local date.
std::chrono::year_month_day LocalToday();

// Returns `weeks` Fridays a week apart, in date order, the last being the first
// Friday at least eight weeks after `today`.
std::vector<std::chrono::year_month_day> PeriodEndingDates(std::chrono::year_month_day today,
                                                           int weeks);

// The text forms of a date: "MM/DD/YYYY", "Weekday, Month D, YYYY", "yyyymmdd".
std::string EntryDateText(std::chrono::year_month_day date);
std::string DayText(std::chrono::year_month_day date);
std::string KeyDateText(std::chrono::year_month_day date);

}  // namespace dorvanedata
