// wqNullCheck: the one way every field value is read, so that a Null never
// reaches the rest of the system. Relies on the record store's Field and the
// Desktop's message box for the read-error report.
#include <string>

#include "services/recordstore/recordstore.h"
#include "services/screen/screen.h"
#include "services/ztMSAccess.h"

namespace ztMSAccess {

namespace {

// Field type codes of the record store.
constexpr int kBoolean = 1;
constexpr int kByte = 2;
constexpr int kInteger = 3;
constexpr int kLong = 4;
constexpr int kCurrency = 5;
constexpr int kSingle = 6;
constexpr int kDouble = 7;
constexpr int kDate = 8;
constexpr int kText = 10;
constexpr int kLongBinary = 11;
constexpr int kMemo = 12;
constexpr int kGuid = 15;

// The typed empty value of a field type. A Date reads as 1 January 1900 when
// the field is Null, and as the blank date text after a read error.
recordstore::Variant EmptyValue(int typeCode, int16_t size, bool afterReadError) {
  using recordstore::Variant;
  switch (typeCode) {
    case kBoolean:
      return Variant::Boolean(false);
    case kByte:
    case kInteger:
      return Variant::Integer(0);
    case kLong:
      return Variant::Long(0);
    case kCurrency:
      return Variant::Currency(0);
    case kSingle:
      return Variant::Single(0);
    case kDouble:
      return Variant::Double(0);
    case kDate:
      if (afterReadError) return Variant::String("  /  /  ");
      return Variant::Date(base::DateSerialFromYMD(1900, 1, 1));
    case kText:
      return Variant::String(std::string(size > 0 ? size : 0, ' '));
    case kLongBinary:
    case kMemo:
    case kGuid:
      return Variant::String(" ");
    default:
      return Variant();
  }
}

}  // namespace

recordstore::Variant wqNullCheck(const recordstore::Field& fld) {
  // Type, size and name are read before any trapping: their errors reach the caller.
  const int typeCode = fld.Type();
  const int16_t size = recordstore::Variant::Long(fld.Size()).ToInteger();
  const std::string name = fld.Name();
  try {
    recordstore::Variant value = fld.Value();
    if (!value.IsNull()) return value;
    return EmptyValue(typeCode, size, false);
  } catch (const base::RuntimeError& err) {
    const std::string text = "Error Encountered In Function: wqNullCheck() Field: " + name +
                             "\r\nError Number: " + std::to_string(err.Number()) +
                             "\r\nError: " + err.Description();
    screen::GetDesktop().MsgBox(text, 16, "wq NullCheck Error");
    return EmptyValue(typeCode, size, true);
  }
}

recordstore::Variant FieldValue(recordstore::Recordset& rs, const std::string& name) {
  return wqNullCheck(rs.Fields(name));
}

}  // namespace ztMSAccess
