// ztBasicSet date routines: checking a typed month/day/year date, turning a
// normalised date into its "yyyymmdd" key, and formatting a value for display
// with a blank for an empty one. Relies on the record store's Val and 16-bit
// conversion, and on format_text.h for format texts.
#include <optional>
#include <string>
#include <string_view>

#include "services/base/runtime_error.h"
#include "services/format_text.h"
#include "services/recordstore/number_text.h"
#include "services/recordstore/variant.h"
#include "services/ztBasicSet.h"

namespace ztBasicSet {

namespace {

// Month, day and year texts of a date entry, and the separators seen.
struct DateParts {
  std::string month;
  std::string day;
  std::string year;
  int separators = 0;
};

// Makes the pivot positive, replaces 0 and values above 99 by 70.
int16_t NormalisePivot(int16_t pivot) {
  int value = pivot < 0 ? -static_cast<int>(pivot) : pivot;
  if (value == 0 || value > 99) value = 70;
  return static_cast<int16_t>(value);
}

// Splits text into month, day and year by the given separator characters;
// whatever follows a third separator is dropped.
DateParts SplitDate(const std::string& text, std::string_view separatorChars) {
  DateParts parts;
  for (char c : text) {
    if (separatorChars.find(c) != std::string_view::npos) {
      ++parts.separators;
    } else if (parts.separators == 0) {
      parts.month += c;
    } else if (parts.separators == 1) {
      parts.day += c;
    } else if (parts.separators == 2) {
      parts.year += c;
    }
  }
  return parts;
}

// The number a part's text begins with, as a 16-bit integer (error 6 when it
// does not fit).
int16_t PartValue(const std::string& part) {
  return recordstore::Variant::Double(recordstore::Val(part)).ToInteger();
}

// "19" for a year above the pivot, else "20".
std::string Century(int16_t yearValue, int16_t pivot) { return yearValue > pivot ? "19" : "20"; }

// A one-character part gets a leading "0".
std::string TwoDigits(const std::string& part) { return part.size() == 1 ? "0" + part : part; }

// The last two characters of a four-character year.
std::string ShortYear(const std::string& year) { return year.size() == 4 ? year.substr(2) : year; }

// True when text is one or more decimal digits.
bool AllDigits(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// Steps 1 to 7 of the date check, raising when a part's value does not fit 16 bits.
std::string CheckDate(const std::string& dateText, int16_t outputForm, int16_t pivot) {
  // Steps 1 to 3: split the entry into its parts.
  const std::string s = TrimSpaces(dateText);
  DateParts parts;
  if (s.find_first_of("/.-") == std::string::npos && s.size() == 6) {
    parts.month = s.substr(0, 2);
    parts.day = s.substr(2, 2);
    parts.year = s.substr(4, 2);
    parts.separators = 3;
  } else {
    parts = SplitDate(s, "-/.");
  }
  std::string month = TrimSpaces(parts.month);
  std::string day = TrimSpaces(parts.day);
  std::string year = TrimSpaces(parts.year);

  // Step 4: tests in their order.
  if (year.size() > 4) return " ";
  if (parts.separators < 2) return " ";
  if (day.empty() || year.empty() || month.empty()) return " ";
  const int16_t monthValue = PartValue(month);
  if (monthValue > 12 || monthValue == 0) return " ";
  const int16_t dayValue = PartValue(day);
  if (dayValue > 31 || dayValue == 0) return " ";
  if (dayValue > 29 && monthValue == 2) return " ";
  if (dayValue > 30 &&
      (monthValue == 4 || monthValue == 6 || monthValue == 9 || monthValue == 11)) {
    return " ";
  }

  // Step 5: century for short years, leading zeros for one-character parts.
  std::string century;
  if (year.size() < 3) century = Century(PartValue(year), pivot);
  year = TwoDigits(year);
  month = TwoDigits(month);
  day = TwoDigits(day);

  // Step 7 (checked before joining): the parts must be digits that denote a real
  // calendar date, read with the full year. Month and day are 1..12 and 1..31 here.
  const std::string fullYear = century + year;
  if (!AllDigits(month) || !AllDigits(day) || !AllDigits(fullYear)) return " ";
  if (dayValue > base::DaysInMonth(std::stoi(fullYear), monthValue)) return " ";

  // Step 6: join by the output form.
  if (outputForm == 6) return month + day + ShortYear(year);
  if (outputForm == 8) return month + "/" + day + "/" + ShortYear(year);
  return month + "/" + day + "/" + century + year;
}

}  // namespace

// Checks and normalises a typed date; every failure gives " ".
std::string ValidateDateText(const std::string& dateText, int16_t& outputForm,
                             int16_t& centuryPivot) {
  centuryPivot = NormalisePivot(centuryPivot);
  try {
    return CheckDate(dateText, outputForm, centuryPivot);
  } catch (const base::RuntimeError&) {
    return " ";
  }
}

// Turns "MM/DD/YYYY" (or "-" separated, or a short year) into "yyyymmdd".
std::string DateTextToYMD(const std::string& dateText, int16_t& centuryPivot) {
  centuryPivot = NormalisePivot(centuryPivot);
  const DateParts parts = SplitDate(TrimSpaces(dateText), "-/");
  if (parts.separators != 2) return std::string(8, ' ');

  const std::string year = TrimSpaces(parts.year);
  const int16_t yearValue = PartValue(year);  // raises error 6 for a year beyond 16 bits
  const std::string century = year.size() < 3 ? Century(yearValue, centuryPivot) : "";
  return century + TwoDigits(year) + TwoDigits(TrimSpaces(parts.month)) +
         TwoDigits(TrimSpaces(parts.day));
}

namespace {

// True for a value shown as blank: Null, Empty, a number equal to 0, or a text
// that is blank or whose numeric value is 0.
bool IsEmptyValue(const recordstore::Variant& value) {
  if (value.IsNull() || value.IsEmpty()) return true;
  if (value.Type() == recordstore::VarType::String) {
    const std::string text = value.ToString();
    if (IsBlank(text)) return true;
    const std::optional<double> number = recordstore::ParseNumberText(text);
    return number.has_value() && *number == 0;
  }
  return value.ToDouble() == 0;
}

}  // namespace

// Formats a non-empty value with formatText; "-" or " " for an empty one.
std::string FormatValueOrBlank(const recordstore::Variant& value, const std::string& formatText,
                               bool dashWhenEmpty) {
  if (IsEmptyValue(value)) return dashWhenEmpty ? "-" : " ";
  return FormatValue(value, formatText);
}

}  // namespace ztBasicSet
