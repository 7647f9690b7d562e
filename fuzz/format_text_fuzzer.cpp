// Fuzzes the format-text renderer. The input is a format text (up to four
// sections, or a named format) on its first line and a value text on the
// second; the value is written as each kind of value it can be: its text, a
// Double, a Single, a Currency, a Long and an Integer when it fits, a Date, a
// Boolean and Null, with and without the blank for empty values. FormatValue
// raises nothing; an exception or a sanitizer report is a fault.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "services/format_text.h"
#include "services/recordstore/variant.h"
#include "services/ztBasicSet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using recordstore::Variant;
  std::istringstream lines(std::string(reinterpret_cast<const char*>(data), size));
  std::string format, text;
  std::getline(std::getline(lines, format), text);
  const double number = std::strtod(text.c_str(), nullptr);
  std::vector<Variant> values = {Variant::String(text),
                                 Variant::Double(number),
                                 Variant::Single(static_cast<float>(number)),
                                 Variant::Date(number),
                                 Variant::Boolean(number != 0),
                                 Variant::Null()};
  if (std::fabs(number) < 9e14) values.push_back(Variant::Currency(number));
  if (std::fabs(number) < 2147483647.0) {
    values.push_back(Variant::Long(static_cast<int32_t>(number)));
    values.push_back(Variant::Integer(static_cast<int16_t>(static_cast<int32_t>(number))));
  }
  for (const Variant& value : values) {
    ztBasicSet::FormatValue(value, format);
    ztBasicSet::FormatValueOrBlank(value, format, text.size() % 2 == 0);
  }
  return 0;
}
