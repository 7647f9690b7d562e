// Format texts: splitting a format text into sections, the named formats, the
// choice of section by the value's sign, and the reading of values. The
// sections themselves are written by format_number.cpp and format_date.cpp.
// Relies on the record store's Variant and number texts.
#include "services/format_text.h"

#include <cctype>
#include <string>
#include <vector>

#include "services/base/text_case.h"
#include "services/format_section.h"
#include "services/recordstore/number_text.h"

namespace ztBasicSet {

using recordstore::Variant;
using recordstore::VarType;

// Drops quotes and escaping backslashes, marking what they protected.
std::vector<FormatUnit> ReadFormatUnits(std::string_view section) {
  std::vector<FormatUnit> units;
  bool quoted = false;
  for (size_t i = 0; i < section.size(); ++i) {
    const char c = section[i];
    if (c == '"') {
      quoted = !quoted;
    } else if (quoted) {
      units.push_back({c, true});
    } else if (c == '\\' && i + 1 < section.size()) {
      units.push_back({section[++i], true});
    } else {
      units.push_back({c, false});
    }
  }
  return units;
}

// Compares one unit with an unquoted character.
bool IsFormatChar(const std::vector<FormatUnit>& units, size_t i, char c) {
  return i < units.size() && !units[i].literal && units[i].c == c;
}

// Looks for an unquoted "0" or "#".
bool HasDigitPlaceholder(const std::vector<FormatUnit>& units) {
  for (size_t i = 0; i < units.size(); ++i) {
    if (IsFormatChar(units, i, '0') || IsFormatChar(units, i, '#')) return true;
  }
  return false;
}

namespace {

// A value as the formats see it: a number (and whether it is a date) or a text.
struct Operand {
  bool isNumber = true;
  bool isDate = false;
  int digits = 15;  // significant digits of the general number form (7 for Single)
  double number = 0;
  std::string text;
};

// Reads a non-Null value: texts that hold a number count as that number.
Operand ReadOperand(const Variant& value) {
  Operand op;
  switch (value.Type()) {
    case VarType::Empty:
      break;
    case VarType::String: {
      op.text = value.ToString();
      const std::optional<double> number = recordstore::ParseNumberText(op.text);
      op.isNumber = number.has_value();
      op.number = number.value_or(0);
      break;
    }
    case VarType::Date:
      op.isDate = true;
      op.number = value.DateSerial();
      break;
    case VarType::Boolean:
      op.number = value.ToBoolean() ? -1 : 0;
      break;
    default:
      if (value.Type() == VarType::Single) op.digits = 7;
      op.number = value.ToDouble();
      break;
  }
  return op;
}

// Splits a format text at the ";" that are neither quoted nor escaped.
std::vector<std::string> SplitSections(std::string_view format) {
  std::vector<std::string> sections(1);
  bool quoted = false;
  for (size_t i = 0; i < format.size(); ++i) {
    const char c = format[i];
    if (c == '"') {
      quoted = !quoted;
    } else if (!quoted && c == '\\' && i + 1 < format.size()) {
      sections.back() += c;
      sections.back() += format[++i];
      continue;
    } else if (!quoted && c == ';') {
      sections.emplace_back();
      continue;
    }
    sections.back() += c;
  }
  return sections;
}

// The characters of a section shown as they stand.
std::string LiteralText(const std::vector<FormatUnit>& units) {
  std::string out;
  for (const FormatUnit& unit : units) out += unit.c;
  return out;
}

// True when a serial lies in the calendar's range.
bool InCalendar(double serial) { return serial >= kFirstDateSerial && serial < kLastDateSerial; }

// The custom layout behind a named format, or "" when the name is unknown.
std::string NamedLayout(const std::string& lowerName) {
  static constexpr const char* kNamed[][2] = {{"currency", "$#,##0.00;($#,##0.00)"},
                                              {"fixed", "0.00"},
                                              {"standard", "#,##0.00"},
                                              {"percent", "0.00%"},
                                              {"scientific", "0.00E+00"},
                                              {"general date", "c"},
                                              {"long date", "dddddd"},
                                              {"medium date", "dd-mmm-yy"},
                                              {"short date", "ddddd"},
                                              {"long time", "ttttt"},
                                              {"medium time", "hh:nn AM/PM"},
                                              {"short time", "hh:nn"}};
  for (const auto& named : kNamed) {
    if (lowerName == named[0]) return named[1];
  }
  return "";
}

// Writes a number with custom sections: positive; negative; zero.
std::string RenderSections(const std::vector<std::string>& sections, const Operand& op) {
  const double v = op.number;
  size_t index = 0;
  if (v < 0 && sections.size() >= 2 && !sections[1].empty()) index = 1;
  if (v == 0 && sections.size() >= 3 && !sections[2].empty()) index = 2;
  const std::vector<FormatUnit> units = ReadFormatUnits(sections[index]);

  if (HasDigitPlaceholder(units)) return RenderNumberSection(units, v, index == 0);
  if (!HasDateField(units)) return LiteralText(units);
  if (!InCalendar(v)) return recordstore::FormatNumber(v, op.digits);
  return RenderDateSection(units, v);
}

}  // namespace

// Dispatches on Null, the named formats and the custom sections.
std::string FormatValue(const Variant& value, std::string_view formatText) {
  const std::vector<std::string> sections = SplitSections(formatText);
  if (value.IsNull()) {
    return sections.size() < 4 ? "" : LiteralText(ReadFormatUnits(sections[3]));
  }
  const Operand op = ReadOperand(value);
  if (!op.isNumber) return op.text;

  std::string lowerName(formatText);
  for (char& c : lowerName) c = base::LowerAscii(c);
  if (lowerName.empty()) {
    return op.isDate && InCalendar(op.number) ? RenderSections({"c"}, op)
                                              : recordstore::FormatNumber(op.number, op.digits);
  }
  if (lowerName == "general number") return recordstore::FormatNumber(op.number, op.digits);
  if (lowerName == "yes/no") return op.number != 0 ? "Yes" : "No";
  if (lowerName == "true/false") return op.number != 0 ? "True" : "False";
  if (lowerName == "on/off") return op.number != 0 ? "On" : "Off";
  const std::string named = NamedLayout(lowerName);
  return RenderSections(named.empty() ? sections : SplitSections(named), op);
}

}  // namespace ztBasicSet
