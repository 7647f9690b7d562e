// Fuzzes the typed-date routines and the date formats. The input is up to
// three lines: a typed date, a date format text, and "FORM PIVOT SERIAL".
// The typed date is checked in that output form and turned into its
// "yyyymmdd" key with that century pivot (checked or not); the serial and the
// typed text's value are written with the format. Overflow (6) is the one
// run-time error allowed; any other exception or a sanitizer report is a fault.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "services/base/runtime_error.h"
#include "services/format_text.h"
#include "services/recordstore/variant.h"
#include "services/ztBasicSet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using recordstore::Variant;
  std::istringstream lines(std::string(reinterpret_cast<const char*>(data), size));
  std::string typed, format, numbers;
  std::getline(std::getline(std::getline(lines, typed), format), numbers);
  int16_t form = 0, pivot = 0;
  double serial = 0;
  std::istringstream(numbers) >> form >> pivot >> serial;

  const std::string checked = ztBasicSet::ValidateDateText(typed, form, pivot);
  if (checked.empty()) __builtin_trap();  // " " or a date, never nothing
  for (const std::string& text : {typed, checked}) {
    try {
      int16_t keyPivot = pivot;
      ztBasicSet::DateTextToYMD(text, keyPivot);
      if (keyPivot < 1 || keyPivot > 99) __builtin_trap();  // the pivot comes back normalised
    } catch (const base::RuntimeError& e) {
      if (e.Number() != 6) throw;
    }
  }
  ztBasicSet::FormatValue(Variant::Date(serial), format);
  ztBasicSet::FormatValue(Variant::String(typed), format);
  return 0;
}
