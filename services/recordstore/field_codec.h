// Field codec: how a field's value passes between Variant and the stored
// SQLite value. Reading follows the field type (a stored value that does not
// fit its type is still returned, in the nearest Variant form); writing
// enforces the declared type as Update must (Text width 3163, range 6, not a
// number 13). Dates are stored as 'YYYY-MM-DD HH:MM:SS' text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "services/recordstore/sql_value.h"
#include "services/recordstore/table_layout.h"
#include "services/recordstore/variant.h"

namespace recordstore {

// The value of a stored column as its field type reads it; Null stays Null.
Variant DecodeField(const SqlValue& stored, const ColumnInfo& column);

// The value of a stored column as a field read gives it: as DecodeField, but a
// stored value that the field type cannot hold (another program wrote it)
// raises 13 (not of the type) or 6 (out of its range), naming `table`, the
// field and the value, as the classic engine never returns such a value.
Variant ReadField(const SqlValue& stored, const ColumnInfo& column, const std::string& table);

// The value to store in `column` of `table` for `value`, after the type checks
// of Update; Null and Empty store Null.
SqlValue EncodeField(const Variant& value, const ColumnInfo& column, const std::string& table);

// A Seek key for an index column: brought to the field's type when it can be,
// otherwise bound as it is (it then simply matches nothing). Never raises.
SqlValue KeyForField(const Variant& key, const ColumnInfo& column);

// 'YYYY-MM-DD HH:MM:SS' for a date serial, and back (also 'YYYY-MM-DD' and a
// 'T' between date and time).
std::string DateTextFromSerial(double serial);
std::optional<double> SerialFromDateText(std::string_view text);

}  // namespace recordstore
