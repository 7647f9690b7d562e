// Format texts: writing a value as a format text describes, for display in the
// search dialog's formatted columns. Relies on the record store's Variant and
// its date serial helpers.
//
// A format text is either a named format ("General Number", "Currency",
// "Fixed", "Standard", "Percent", "Scientific", "Yes/No", "True/False",
// "On/Off", "General Date", "Long Date", "Medium Date", "Short Date",
// "Long Time", "Medium Time", "Short Time"; case does not matter) or up to four
// sections separated by ";": for positive values, negative values, zero and
// Null. A section that holds a "0" or "#" placeholder formats a number (0 # . ,
// % E+ E- e+ e-); otherwise one with date characters formats a date (d dd ddd
// dddd ddddd dddddd w ww m mm mmm mmmm q y yy yyyy h hh n nn s ss ttttt c,
// AM/PM am/pm A/P a/p AMPM, "/" and ":"); any other section is literal text.
// In every section, text in double quotes and a character after "\" are shown
// as they stand. Dates are written for the United States: M/D/YYYY short date,
// weeks starting on Sunday, the first week of the year holding 1 January.
#pragma once

#include <string>
#include <string_view>

#include "services/recordstore/variant.h"

namespace ztBasicSet {

// The value written with formatText. Numbers, Booleans (True is -1), Dates
// and texts that hold a number are formatted; other texts come back unchanged;
// Null gives the fourth section or "". A number outside the calendar's range
// under a date format is written as a plain number.
std::string FormatValue(const recordstore::Variant& value, std::string_view formatText);

}  // namespace ztBasicSet
