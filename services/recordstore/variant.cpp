// Variant: construction, the classic conversions and the classic equality.
// Numbers become whole numbers by rounding half to even (the default
// floating-point rounding mode), text is read as a number only when all of it
// is a number, and every failure is a RuntimeError with the classic number.
#include "services/recordstore/variant.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <utility>

#include "services/base/error_numbers.h"
#include "services/base/text_case.h"
#include "services/recordstore/number_text.h"

namespace recordstore {
namespace {

// The classic conversion errors.
[[noreturn]] void Overflow() { throw base::RuntimeError(base::error::kOverflow, "Overflow"); }
[[noreturn]] void TypeMismatch() {
  throw base::RuntimeError(base::error::kTypeMismatch, "Type mismatch");
}
[[noreturn]] void InvalidNull() { throw base::RuntimeError(94, "Invalid use of Null"); }

// Rounds half to even and checks the result lies within [low, high].
double RoundWithin(double value, double low, double high) {
  double rounded = std::nearbyint(value);
  if (!(rounded >= low && rounded <= high)) Overflow();
  return rounded;
}

// "h:mm:ss AM" for a fraction of a day.
std::string TimeText(double fraction) {
  long seconds = std::lround(std::fabs(fraction) * 86400.0) % 86400;
  long hour = seconds / 3600;
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%ld:%02ld:%02ld %s", hour % 12 == 0 ? 12 : hour % 12,
                seconds / 60 % 60, seconds % 60, hour < 12 ? "AM" : "PM");
  return buffer;
}

}  // namespace

Variant::Variant() = default;

Variant Variant::Null() {
  Variant v;
  v.type_ = VarType::Null;
  return v;
}

Variant Variant::Numeric(VarType type, double number) {
  Variant v;
  v.type_ = type;
  v.number_ = number;
  return v;
}

Variant Variant::Boolean(bool value) { return Numeric(VarType::Boolean, value ? -1 : 0); }

Variant Variant::Byte(uint8_t value) { return Numeric(VarType::Byte, value); }

Variant Variant::Integer(int16_t value) { return Numeric(VarType::Integer, value); }

Variant Variant::Long(int32_t value) { return Numeric(VarType::Long, value); }

Variant Variant::Currency(double value) {
  Variant v;
  v.type_ = VarType::Currency;
  double units = RoundWithin(value * 10000.0, -9.2233720368547758e18, 9.2233720368547748e18);
  v.currency_ = static_cast<int64_t>(units);
  v.number_ = static_cast<double>(v.currency_) / 10000.0;
  return v;
}

Variant Variant::Single(float value) { return Numeric(VarType::Single, value); }

Variant Variant::Double(double value) { return Numeric(VarType::Double, value); }

Variant Variant::Date(double serial) { return Numeric(VarType::Date, serial); }

Variant Variant::String(std::string value) {
  Variant v;
  v.type_ = VarType::String;
  v.text_ = std::move(value);
  return v;
}

VarType Variant::Type() const { return type_; }
bool Variant::IsNull() const { return type_ == VarType::Null; }
bool Variant::IsEmpty() const { return type_ == VarType::Empty; }

bool Variant::IsNumeric() const {
  switch (type_) {
    case VarType::Integer:
    case VarType::Long:
    case VarType::Single:
    case VarType::Double:
    case VarType::Currency:
    case VarType::Boolean:
    case VarType::Byte:
      return true;
    default:
      return false;
  }
}

double Variant::ToDouble() const {
  switch (type_) {
    case VarType::Empty:
      return 0;
    case VarType::Null:
      InvalidNull();
    case VarType::String: {
      std::optional<double> value = ParseNumberText(text_);
      if (!value) TypeMismatch();
      return *value;
    }
    default:
      return number_;
  }
}

int16_t Variant::ToInteger() const {
  return static_cast<int16_t>(RoundWithin(ToDouble(), -32768.0, 32767.0));
}

int32_t Variant::ToLong() const {
  return static_cast<int32_t>(RoundWithin(ToDouble(), -2147483648.0, 2147483647.0));
}

bool Variant::ToBoolean() const {
  if (type_ == VarType::String) {
    if (base::SameName(text_, "True")) return true;
    if (base::SameName(text_, "False")) return false;
  }
  return ToDouble() != 0;
}

std::string Variant::ToString() const {
  switch (type_) {
    case VarType::Empty:
      return "";
    case VarType::Null:
      InvalidNull();
    case VarType::String:
      return text_;
    case VarType::Boolean:
      return number_ != 0 ? "True" : "False";
    case VarType::Integer:
    case VarType::Long:
    case VarType::Byte:
      return std::to_string(static_cast<long>(number_));
    case VarType::Single:
      return FormatNumber(number_, 7);
    case VarType::Currency: {
      // Whole units, then up to four decimals without trailing zeros.
      uint64_t magnitude = currency_ < 0 ? 0 - static_cast<uint64_t>(currency_) : currency_;
      std::string text = (currency_ < 0 ? "-" : "") + std::to_string(magnitude / 10000);
      std::string fraction = std::to_string(magnitude % 10000 + 10000).substr(1);
      while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
      return fraction.empty() ? text : text + "." + fraction;
    }
    case VarType::Date: {
      double day = std::trunc(number_);
      bool hasTime = std::lround(std::fabs(number_ - day) * 86400.0) % 86400 != 0;
      if (day == 0 && hasTime) return TimeText(number_ - day);
      int y, m, d;
      base::YMDFromDateSerial(number_, y, m, d);
      std::string text = std::to_string(m) + "/" + std::to_string(d) + "/" + std::to_string(y);
      return hasTime ? text + " " + TimeText(number_ - day) : text;
    }
    default:
      return FormatNumber(number_, 15);
  }
}

double Variant::DateSerial() const {
  if (type_ == VarType::String) {
    int y = 0, m = 0, d = 0;
    char extra = 0;
    if (std::sscanf(text_.c_str(), "%d/%d/%d%c", &m, &d, &y, &extra) == 3 ||
        std::sscanf(text_.c_str(), "%d-%d-%d%c", &y, &m, &d, &extra) == 3) {
      return base::DateSerialFromYMD(y, m, d);
    }
  }
  return ToDouble();
}

bool operator==(const Variant& a, const Variant& b) {
  if (a.IsNull() || b.IsNull()) return false;
  bool aText = a.Type() == VarType::String, bText = b.Type() == VarType::String;
  if (aText || bText) {
    // Two texts compare exactly; Empty stands for ""; a number never equals a text.
    if ((aText || a.IsEmpty()) && (bText || b.IsEmpty())) return a.ToString() == b.ToString();
    return false;
  }
  double x = a.ToDouble(), y = b.ToDouble();
  // A Single compared with a Double compares at single precision.
  if (a.Type() == VarType::Single || b.Type() == VarType::Single) {
    return static_cast<float>(x) == static_cast<float>(y);
  }
  return x == y;
}

bool operator!=(const Variant& a, const Variant& b) { return !(a == b); }

}  // namespace recordstore
