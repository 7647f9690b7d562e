// The pieces shared by the format-text renderers: a format section read into
// units, the number renderer (format_number.cpp) and the date renderer
// (format_date.cpp). Internal to the formatter behind format_text.h.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ztBasicSet {

// One character of a format section; literal when it was quoted or escaped.
struct FormatUnit {
  char c;
  bool literal;
};

// Reads a section into units, dropping the quotes and the escaping backslashes.
std::vector<FormatUnit> ReadFormatUnits(std::string_view section);

// True when units[i] is an unquoted character equal to c.
bool IsFormatChar(const std::vector<FormatUnit>& units, size_t i, char c);

// True when the section holds an unquoted digit placeholder ("0" or "#").
bool HasDigitPlaceholder(const std::vector<FormatUnit>& units);

// Writes |value| with a number section; a minus sign leads when showSign is
// set, the value is negative and a non-zero digit is shown.
std::string RenderNumberSection(const std::vector<FormatUnit>& units, double value, bool showSign);

// True when the section holds a date or time field.
bool HasDateField(const std::vector<FormatUnit>& units);

// Writes a date serial with a date section; the serial must lie in
// [kFirstDateSerial, kLastDateSerial).
std::string RenderDateSection(const std::vector<FormatUnit>& units, double serial);

// Date serials of 1 January 100 and of the day after 31 December 9999.
constexpr double kFirstDateSerial = -657434;
constexpr double kLastDateSerial = 2958466;

}  // namespace ztBasicSet
