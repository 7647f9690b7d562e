// Field codec: Variant <-> stored value by field type, with Update's checks.
#include "services/recordstore/field_codec.h"

#include <cfloat>
#include <cmath>
#include <cstdio>

#include "services/base/error_numbers.h"
#include "services/recordstore/number_text.h"
#include "services/recordstore/store_errors.h"

namespace recordstore {
namespace {

// The field type and range named in error messages.
const char* TypeName(int type) {
  switch (type) {
    case kBooleanField:
      return "Boolean";
    case kByteField:
      return "Byte, 0 to 255";
    case kIntegerField:
      return "Integer, -32768 to 32767";
    case kLongField:
      return "Long, -2147483648 to 2147483647";
    case kCurrencyField:
      return "Currency";
    case kSingleField:
      return "Single";
    case kDoubleField:
      return "Double";
    case kDateField:
      return "Date";
    default:
      return "Text";
  }
}

// Number of characters (UTF-8 code points) of a text.
size_t CharacterCount(const std::string& text) {
  size_t count = 0;
  for (unsigned char c : text) count += (c & 0xC0) != 0x80;
  return count;
}

// A stored value that does not fit its field type, read in the nearest form.
Variant DecodeAsStored(const SqlValue& stored) {
  switch (stored.kind) {
    case SqlValue::Kind::Integer:
      if (stored.integer >= INT32_MIN && stored.integer <= INT32_MAX) {
        return Variant::Long(static_cast<int32_t>(stored.integer));
      }
      return Variant::Double(static_cast<double>(stored.integer));
    case SqlValue::Kind::Real:
      return Variant::Double(stored.real);
    case SqlValue::Kind::Null:
      return Variant::Null();
    default:
      return Variant::String(stored.bytes);
  }
}

// True for stored integers and reals; NumberOf gives their value.
bool IsNumber(const SqlValue& v) {
  return v.kind == SqlValue::Kind::Integer || v.kind == SqlValue::Kind::Real;
}

double NumberOf(const SqlValue& v) {
  return v.kind == SqlValue::Kind::Integer ? static_cast<double>(v.integer) : v.real;
}

// A number to bind: whole numbers as integers, others as reals.
SqlValue NumberValue(double number) {
  if (number == std::trunc(number) && std::fabs(number) < 9.0e18) {
    return SqlValue::Int(static_cast<int64_t>(number));
  }
  return SqlValue::Real(number);
}

// The date serial a value stands for, when it stands for one.
std::optional<double> SerialOf(const Variant& value) {
  if (value.Type() == VarType::String) {
    if (std::optional<double> serial = SerialFromDateText(value.ToString())) return serial;
  }
  try {
    return value.DateSerial();
  } catch (const base::RuntimeError&) {
    return std::nullopt;
  }
}

// The stored form of a non-Null value, raising 6, 13 or 3163 when it does not fit.
SqlValue EncodeChecked(const Variant& value, const ColumnInfo& column, const std::string& table) {
  switch (column.type) {
    case kBooleanField:
      return SqlValue::Int(value.ToBoolean() ? -1 : 0);
    case kByteField: {
      double number = std::nearbyint(value.ToDouble());
      if (!(number >= 0 && number <= 255))
        throw base::RuntimeError(base::error::kOverflow, "Overflow");
      return SqlValue::Int(static_cast<int64_t>(number));
    }
    case kIntegerField:
      return SqlValue::Int(value.ToInteger());
    case kLongField:
      return SqlValue::Int(value.ToLong());
    case kCurrencyField:
      return SqlValue::Real(Variant::Currency(value.ToDouble()).ToDouble());
    case kSingleField: {
      double number = value.ToDouble();
      if (std::fabs(number) > FLT_MAX) throw base::RuntimeError(base::error::kOverflow, "Overflow");
      return SqlValue::Real(static_cast<float>(number));
    }
    case kDoubleField:
      return SqlValue::Real(value.ToDouble());
    case kDateField: {
      std::optional<double> serial = SerialOf(value);
      if (!serial) throw base::RuntimeError(base::error::kTypeMismatch, "Type mismatch");
      return SqlValue::Text(DateTextFromSerial(*serial));
    }
    case kLongBinaryField:
      return SqlValue::Blob(value.ToString());
    default: {
      std::string text = value.ToString();
      if (column.checkWidth && CharacterCount(text) > static_cast<size_t>(column.size)) {
        throw base::RuntimeError(base::error::kFieldTooSmall,
                                 "Field '" + column.name + "' of table '" + table +
                                     "' holds at most " + std::to_string(column.size) +
                                     " characters; the value '" + text + "' has " +
                                     std::to_string(CharacterCount(text)) + ".");
      }
      return SqlValue::Text(std::move(text));
    }
  }
}

}  // namespace

Variant DecodeField(const SqlValue& stored, const ColumnInfo& column) {
  if (stored.IsNull()) return Variant::Null();
  bool integer = stored.kind == SqlValue::Kind::Integer;
  switch (column.type) {
    case kBooleanField:
      if (IsNumber(stored)) return Variant::Boolean(NumberOf(stored) != 0);
      break;
    case kByteField:
      if (integer && stored.integer >= 0 && stored.integer <= 255) {
        return Variant::Byte(static_cast<uint8_t>(stored.integer));
      }
      break;
    case kIntegerField:
      if (integer && stored.integer >= INT16_MIN && stored.integer <= INT16_MAX) {
        return Variant::Integer(static_cast<int16_t>(stored.integer));
      }
      break;
    case kLongField:
      if (integer && stored.integer >= INT32_MIN && stored.integer <= INT32_MAX) {
        return Variant::Long(static_cast<int32_t>(stored.integer));
      }
      break;
    case kCurrencyField:
      if (IsNumber(stored) && std::fabs(NumberOf(stored)) < 9.0e14) {
        return Variant::Currency(NumberOf(stored));
      }
      break;
    case kSingleField:
      if (IsNumber(stored) && std::fabs(NumberOf(stored)) <= FLT_MAX) {
        return Variant::Single(static_cast<float>(NumberOf(stored)));
      }
      break;
    case kDoubleField:
      if (IsNumber(stored)) return Variant::Double(NumberOf(stored));
      break;
    case kDateField:
      if (stored.kind == SqlValue::Kind::Text) {
        if (std::optional<double> serial = SerialFromDateText(stored.bytes)) {
          return Variant::Date(*serial);
        }
      } else if (IsNumber(stored)) {
        return Variant::Date(NumberOf(stored));
      }
      break;
    default:  // Text, Memo, GUID, Long Binary and unknown declared types
      if (integer) return Variant::String(std::to_string(stored.integer));
      if (stored.kind == SqlValue::Kind::Real)
        return Variant::String(FormatNumber(stored.real, 15));
      return Variant::String(stored.bytes);
  }
  return DecodeAsStored(stored);
}

Variant ReadField(const SqlValue& stored, const ColumnInfo& column, const std::string& table) {
  Variant value = DecodeField(stored, column);
  VarType wanted = VarType::Empty;  // Empty: every stored value reads
  switch (column.type) {
    case kBooleanField:
      wanted = VarType::Boolean;
      break;
    case kByteField:
      wanted = VarType::Byte;
      break;
    case kIntegerField:
      wanted = VarType::Integer;
      break;
    case kLongField:
      wanted = VarType::Long;
      break;
    case kCurrencyField:
      wanted = VarType::Currency;
      break;
    case kSingleField:
      wanted = VarType::Single;
      break;
    case kDoubleField:
      wanted = VarType::Double;
      break;
    case kDateField:
      wanted = VarType::Date;
      break;
    default:
      break;
  }
  if (value.IsNull() || wanted == VarType::Empty || value.Type() == wanted) return value;
  std::string shown = stored.kind == SqlValue::Kind::Integer ? std::to_string(stored.integer)
                      : stored.kind == SqlValue::Kind::Real  ? FormatNumber(stored.real, 15)
                      : stored.kind == SqlValue::Kind::Blob  ? "(binary data)"
                                                             : "'" + stored.bytes + "'";
  std::string where = " stored in field '" + column.name + "' of table '" + table + "'";
  if (IsNumber(stored) && column.type != kDateField) {
    // A whole-number field holding a fraction reads rounded half to even, as
    // the classic conversions round; only a value outside the range is refused.
    double whole = std::nearbyint(NumberOf(stored));
    if (column.type == kIntegerField && whole >= INT16_MIN && whole <= INT16_MAX) {
      return Variant::Integer(static_cast<int16_t>(whole));
    }
    if (column.type == kLongField && whole >= INT32_MIN && whole <= INT32_MAX) {
      return Variant::Long(static_cast<int32_t>(whole));
    }
    if (column.type == kByteField && whole >= 0 && whole <= 255) {
      return Variant::Byte(static_cast<uint8_t>(whole));
    }
    throw base::RuntimeError(
        base::error::kOverflow,
        "Overflow: the value " + shown + where + " does not fit (" + TypeName(column.type) + ").");
  }
  throw base::RuntimeError(base::error::kTypeMismatch, "Type mismatch: the value " + shown + where +
                                                           " is not of the field's type (" +
                                                           TypeName(column.type) + ").");
}

SqlValue EncodeField(const Variant& value, const ColumnInfo& column, const std::string& table) {
  if (value.IsNull() || value.IsEmpty()) return SqlValue();
  try {
    return EncodeChecked(value, column, table);
  } catch (const base::RuntimeError& e) {
    if (e.Number() != 6 && e.Number() != 13) throw;
    std::string shown =
        value.Type() == VarType::String ? "'" + value.ToString() + "'" : value.ToString();
    std::string what = e.Number() == 6 ? "Overflow: " + shown + " does not fit"
                                       : "Type mismatch: " + shown + " is not a value for";
    throw base::RuntimeError(e.Number(), what + " field '" + column.name + "' of table '" + table +
                                             "' (" + TypeName(column.type) + ").");
  }
}

SqlValue KeyForField(const Variant& key, const ColumnInfo& column) {
  if (key.IsNull() || key.IsEmpty()) return SqlValue();
  bool isText = key.Type() == VarType::String;
  switch (column.type) {
    case kBooleanField:
    case kByteField:
    case kIntegerField:
    case kLongField:
    case kCurrencyField:
    case kSingleField:
    case kDoubleField:
      if (!isText)
        return NumberValue(key.Type() == VarType::Date ? key.DateSerial() : key.ToDouble());
      if (std::optional<double> number = ParseNumberText(key.ToString())) {
        return NumberValue(*number);
      }
      return SqlValue::Text(key.ToString());
    case kDateField:
      if (std::optional<double> serial = SerialOf(key)) {
        return SqlValue::Text(DateTextFromSerial(*serial));
      }
      return SqlValue::Text(key.ToString());
    case kLongBinaryField:
      return SqlValue::Blob(key.ToString());
    default:
      return SqlValue::Text(key.ToString());
  }
}

std::string DateTextFromSerial(double serial) {
  const auto [day, seconds] = base::SplitDateSerial(serial);
  int y = 0, m = 0, d = 0;
  base::YMDFromDateSerial(day, y, m, d);
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02lld:%02lld:%02lld", y, m, d,
                seconds / 3600, seconds / 60 % 60, seconds % 60);
  return buffer;
}

std::optional<double> SerialFromDateText(std::string_view text) {
  std::string copy(text);
  int y = 0, m = 0, d = 0, hh = 0, mm = 0, ss = 0, used = 0;
  int fields = std::sscanf(copy.c_str(), "%4d-%2d-%2d%n", &y, &m, &d, &used);
  if (fields != 3 || m < 1 || m > 12 || d < 1 || d > 31) return std::nullopt;
  if (static_cast<size_t>(used) < copy.size()) {
    int more = 0;
    if (std::sscanf(copy.c_str() + used + 1, "%2d:%2d:%2d%n", &hh, &mm, &ss, &more) != 3 ||
        (copy[used] != ' ' && copy[used] != 'T') ||
        static_cast<size_t>(used + 1 + more) != copy.size()) {
      return std::nullopt;
    }
  }
  double day = base::DateSerialFromYMD(y, m, d);
  double fraction = (hh * 3600 + mm * 60 + ss) / 86400.0;
  return day < 0 ? day - fraction : day + fraction;
}

}  // namespace recordstore
