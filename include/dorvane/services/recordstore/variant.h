// Variant: the dynamically typed value of the record store and the scripted
// host, with the classic conversion, comparison and Val rules. A Date is a date
// serial (services/base/date_serial.h).
// Threads: a plain value; distinct variants may be used on distinct threads.
// Relies only on the standard library and the base library.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "services/base/date_serial.h"
#include "services/base/runtime_error.h"

namespace recordstore {

enum class VarType {
  Empty = 0,
  Null = 1,
  Integer = 2,
  Long = 3,
  Single = 4,
  Double = 5,
  Currency = 6,
  Date = 7,
  String = 8,
  Boolean = 11,
  Byte = 17
};

class Variant {
 public:
  // An Empty value.
  Variant();
  static Variant Null();
  static Variant Boolean(bool v);
  static Variant Byte(uint8_t v);
  static Variant Integer(int16_t v);
  static Variant Long(int32_t v);
  // Kept as a 64-bit count of 1/10000 units.
  static Variant Currency(double v);
  static Variant Single(float v);
  static Variant Double(double v);
  // Days since 1899-12-30; the fraction is the time of day.
  static Variant Date(double serial);
  // UTF-8 text.
  static Variant String(std::string v);

  VarType Type() const;
  bool IsNull() const;
  bool IsEmpty() const;
  // True for the number types and Boolean.
  bool IsNumeric() const;

  // Conversions with the classic rules: numbers to whole numbers round half to
  // even; text converts by its numeric value (not a number -> error 13); out of
  // range -> error 6; Null -> error 94; Empty -> 0 / "".
  int16_t ToInteger() const;
  int32_t ToLong() const;
  double ToDouble() const;
  bool ToBoolean() const;
  // Boolean -> "True"/"False", Date -> M/D/YYYY (with the time when it has one).
  std::string ToString() const;
  // The date serial of a Date (or of a number).
  double DateSerial() const;

 private:
  // A value of one of the types kept in number_ (numbers, Boolean, Date).
  static Variant Numeric(VarType type, double number);
  VarType type_ = VarType::Empty;
  double number_ = 0;     // every numeric type, Boolean (-1/0) and Date
  int64_t currency_ = 0;  // Currency, in 1/10000 units
  std::string text_;      // String
};

// Classic comparison: two numeric values compare by value whatever their width;
// two strings compare exactly (binary, case and trailing spaces significant);
// Null never equals anything; Empty equals 0 and "".
bool operator==(const Variant& a, const Variant& b);
bool operator!=(const Variant& a, const Variant& b);

// The classic Val: the number a text begins with (leading blanks skipped, sign,
// digits, one decimal point, an exponent, &H/&O prefixes); 0 when it begins
// with no number.
double Val(std::string_view text);

}  // namespace recordstore
