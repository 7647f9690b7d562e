// Date sections of format texts: day, weekday, week, month, quarter, year, hour,
// minute and second fields, AM/PM markers and the named date and time layouts,
// written for the United States (M/D/YYYY; weeks start on Sunday and the first
// week holds 1 January). Relies on the record store's date serial helpers.
#include <algorithm>
#include <cassert>
#include <cctype>
#include <cmath>
#include <string>
#include <vector>

#include "services/base/text_case.h"
#include "services/format_section.h"
#include "services/recordstore/variant.h"

namespace ztBasicSet {

namespace {

// The fields a date section can show; Text is literal text.
enum class DateField {
  Text,
  Day,
  Day2,
  DayName,
  DayFullName,
  ShortDate,
  LongDate,
  Weekday,
  Week,
  Month,
  Month2,
  MonthName,
  MonthFullName,
  Minute,
  Minute2,
  Quarter,
  DayOfYear,
  Year2,
  Year4,
  Hour,
  Hour2,
  Second,
  Second2,
  LongTime,
  GeneralDate,
  AmPm
};

// A field of a date section, or a run of literal text.
struct DateToken {
  DateField field;
  std::string text;  // Text: the characters; AmPm: the morning marker
  std::string alt;   // AmPm: the afternoon marker
};

// True when the unquoted units from i spell word, ignoring case.
bool Spells(const std::vector<FormatUnit>& units, size_t i, std::string_view word) {
  for (size_t k = 0; k < word.size(); ++k) {
    if (i + k >= units.size() || units[i + k].literal ||
        base::LowerAscii(units[i + k].c) != word[k]) {
      return false;
    }
  }
  return true;
}

// Reads a date section into fields and literal text.
std::vector<DateToken> ReadDateTokens(const std::vector<FormatUnit>& units) {
  std::vector<DateToken> tokens;
  DateField lastField = DateField::Text;
  auto add = [&](DateField field) {
    tokens.push_back({field, "", ""});
    lastField = field;
  };
  auto addText = [&](char c) {
    if (tokens.empty() || tokens.back().field != DateField::Text)
      tokens.push_back({DateField::Text, "", ""});
    tokens.back().text += c;
  };
  for (size_t i = 0; i < units.size();) {
    const char lower = base::LowerAscii(units[i].c);
    size_t run = 1;
    while (!units[i].literal && i + run < units.size() && !units[i + run].literal &&
           base::LowerAscii(units[i + run].c) == lower) {
      ++run;
    }
    size_t used = 1;
    if (units[i].literal) {
      addText(units[i].c);
    } else if (lower == 'd') {
      static constexpr DateField kDays[] = {DateField::Day,       DateField::Day2,
                                            DateField::DayName,   DateField::DayFullName,
                                            DateField::ShortDate, DateField::LongDate};
      used = std::min<size_t>(run, 6);
      add(kDays[used - 1]);
    } else if (lower == 'm') {
      used = std::min<size_t>(run, 4);
      const bool minute =
          used <= 2 && (lastField == DateField::Hour || lastField == DateField::Hour2);
      static constexpr DateField kMonths[] = {DateField::Month, DateField::Month2,
                                              DateField::MonthName, DateField::MonthFullName};
      add(minute ? (used == 1 ? DateField::Minute : DateField::Minute2) : kMonths[used - 1]);
    } else if (lower == 'y') {
      used = run >= 4 ? 4 : run >= 2 ? 2 : 1;
      add(used == 4 ? DateField::Year4 : used == 2 ? DateField::Year2 : DateField::DayOfYear);
    } else if (lower == 'h' || lower == 'n' || lower == 's' || lower == 'w') {
      used = std::min<size_t>(run, 2);
      const bool two = used == 2;
      if (lower == 'h') add(two ? DateField::Hour2 : DateField::Hour);
      if (lower == 'n') add(two ? DateField::Minute2 : DateField::Minute);
      if (lower == 's') add(two ? DateField::Second2 : DateField::Second);
      if (lower == 'w') add(two ? DateField::Week : DateField::Weekday);
    } else if (lower == 'q') {
      add(DateField::Quarter);
    } else if (lower == 'c') {
      add(DateField::GeneralDate);
    } else if (lower == 't' && run >= 5) {
      used = 5;
      add(DateField::LongTime);
    } else if (lower == 'a' && (Spells(units, i, "am/pm") || Spells(units, i, "a/p"))) {
      used = Spells(units, i, "am/pm") ? 5 : 3;
      const size_t half = used / 2;  // the morning marker's length
      DateToken token{DateField::AmPm, "", ""};
      for (size_t k = 0; k < half; ++k) token.text += units[i + k].c;
      for (size_t k = half + 1; k < used; ++k) token.alt += units[i + k].c;
      tokens.push_back(token);
    } else if (lower == 'a' && Spells(units, i, "ampm")) {
      used = 4;
      tokens.push_back({DateField::AmPm, "AM", "PM"});
    } else {
      addText(units[i].c);
    }
    i += used;
  }
  return tokens;
}

// Writes a date serial with a one-section date format (defined below).
std::string RenderDate(double serial, std::string_view format);

// Zero-padded two-digit text.
std::string Two(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

constexpr const char* kDayNames[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                     "Thursday", "Friday", "Saturday"};
constexpr const char* kMonthNames[] = {"January",   "February", "March",    "April",
                                       "May",       "June",     "July",     "August",
                                       "September", "October",  "November", "December"};

// The fields of a date serial that a date section may show.
struct DateParts {
  double serial = 0;
  double day = 0;         // the serial's day
  long long seconds = 0;  // the second of that day
  int year = 0, month = 0, dayOfMonth = 0;
  int weekday = 0;  // 1 = Sunday
  int dayOfYear = 0;
  int week = 0;  // the week of the year, the first one holding 1 January
  int hour = 0, minute = 0, second = 0;
  int shownHour = 0;  // the hour on a 12-hour clock when the section has AM/PM
};

// Splits the serial into the fields the section's tokens show.
DateParts DatePartsOf(double serial, const std::vector<DateToken>& tokens) {
  DateParts p;
  p.serial = serial;
  const base::DayAndSecond split = base::SplitDateSerial(serial);
  p.day = split.day;
  p.seconds = split.second;
  base::YMDFromDateSerial(p.day, p.year, p.month, p.dayOfMonth);
  auto weekdayOf = [](double d) {  // 1 = Sunday; serial 0 was a Saturday
    return static_cast<int>(((static_cast<long long>(d) % 7) + 13) % 7) + 1;
  };
  p.weekday = weekdayOf(p.day);
  const double firstOfYear = base::DateSerialFromYMD(p.year, 1, 1);
  p.dayOfYear = static_cast<int>(p.day - firstOfYear) + 1;
  p.week = (p.dayOfYear - 1 + weekdayOf(firstOfYear) - 1) / 7 + 1;
  p.hour = static_cast<int>(p.seconds / 3600);
  p.minute = static_cast<int>(p.seconds / 60 % 60);
  p.second = static_cast<int>(p.seconds % 60);
  bool twelveHour = false;
  for (const DateToken& token : tokens) twelveHour |= token.field == DateField::AmPm;
  p.shownHour = twelveHour ? (p.hour % 12 == 0 ? 12 : p.hour % 12) : p.hour;
  return p;
}

// The text of a calendar token (day, week, month, quarter, year, the date
// forms); false for a token of the time of day.
bool CalendarText(const DateToken& token, const DateParts& p, std::string& out) {
  switch (token.field) {
    case DateField::Day:
      out += std::to_string(p.dayOfMonth);
      return true;
    case DateField::Day2:
      out += Two(p.dayOfMonth);
      return true;
    case DateField::DayName:
      out += std::string(kDayNames[p.weekday - 1]).substr(0, 3);
      return true;
    case DateField::DayFullName:
      out += kDayNames[p.weekday - 1];
      return true;
    case DateField::ShortDate:
      out += RenderDate(p.day, "m/d/yyyy");
      return true;
    case DateField::LongDate:
      out += RenderDate(p.day, "dddd, mmmm d, yyyy");
      return true;
    case DateField::Weekday:
      out += std::to_string(p.weekday);
      return true;
    case DateField::Week:
      out += std::to_string(p.week);
      return true;
    case DateField::Month:
      out += std::to_string(p.month);
      return true;
    case DateField::Month2:
      out += Two(p.month);
      return true;
    case DateField::MonthName:
      out += std::string(kMonthNames[p.month - 1]).substr(0, 3);
      return true;
    case DateField::MonthFullName:
      out += kMonthNames[p.month - 1];
      return true;
    case DateField::Quarter:
      out += std::to_string((p.month - 1) / 3 + 1);
      return true;
    case DateField::DayOfYear:
      out += std::to_string(p.dayOfYear);
      return true;
    case DateField::Year2:
      out += Two(p.year % 100);
      return true;
    case DateField::Year4:
      out += std::to_string(p.year);
      return true;
    default:
      return false;
  }
}

// The text of a token of the time of day, of a literal or of the general date.
void ClockText(const DateToken& token, const DateParts& p, std::string& out) {
  switch (token.field) {
    case DateField::Text:
      out += token.text;
      break;
    case DateField::Minute:
      out += std::to_string(p.minute);
      break;
    case DateField::Minute2:
      out += Two(p.minute);
      break;
    case DateField::Hour:
      out += std::to_string(p.shownHour);
      break;
    case DateField::Hour2:
      out += Two(p.shownHour);
      break;
    case DateField::Second:
      out += std::to_string(p.second);
      break;
    case DateField::Second2:
      out += Two(p.second);
      break;
    case DateField::LongTime:
      out += RenderDate(p.serial, "h:nn:ss AM/PM");
      break;
    case DateField::AmPm:
      out += p.hour < 12 ? token.text : token.alt;
      break;
    case DateField::GeneralDate:
      if (p.day == 0) {
        out += RenderDate(p.serial, "h:nn:ss AM/PM");
      } else if (p.seconds == 0) {
        out += RenderDate(p.day, "m/d/yyyy");
      } else {
        out += RenderDate(p.serial, "m/d/yyyy h:nn:ss AM/PM");
      }
      break;
    default:
      assert(false && "a calendar token reached ClockText");
      break;
  }
}

// Writes a date serial with the fields of a date section.
std::string RenderDateTokens(const std::vector<DateToken>& tokens, double serial) {
  const DateParts parts = DatePartsOf(serial, tokens);
  std::string out;
  for (const DateToken& token : tokens) {
    if (!CalendarText(token, parts, out)) ClockText(token, parts, out);
  }
  return out;
}

// Writes a date serial with a one-section date format.
std::string RenderDate(double serial, std::string_view format) {
  return RenderDateTokens(ReadDateTokens(ReadFormatUnits(format)), serial);
}

}  // namespace

// True when any token of the section is a field.
bool HasDateField(const std::vector<FormatUnit>& units) {
  for (const DateToken& token : ReadDateTokens(units)) {
    if (token.field != DateField::Text) return true;
  }
  return false;
}

// Writes the serial's fields in the section's order.
std::string RenderDateSection(const std::vector<FormatUnit>& units, double serial) {
  assert(serial >= kFirstDateSerial && serial < kLastDateSerial);
  return RenderDateTokens(ReadDateTokens(units), serial);
}

}  // namespace ztBasicSet
