// SqlValue: one value as SQLite stores it (Null, Integer, Real, Text, Blob), the
// form in which the record store keeps a row's columns and binds index keys.
// KeySame compares two stored values the way an index with the given
// collation does. Relies only on the C++ library.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace recordstore {

struct SqlValue {
  enum class Kind { Null, Integer, Real, Text, Blob };
  Kind kind = Kind::Null;
  int64_t integer = 0;
  double real = 0;
  std::string bytes;  // Text (UTF-8) or Blob

  static SqlValue Int(int64_t v);
  static SqlValue Real(double v);
  static SqlValue Text(std::string v);
  static SqlValue Blob(std::string v);
  bool IsNull() const { return kind == Kind::Null; }
};

// The collating sequences SQLite offers on index columns.
enum class Collation { Binary, NoCase, RTrim };

// The collation named in an index definition ("BINARY", "NOCASE", "RTRIM").
Collation CollationFromName(std::string_view name);
const char* CollationName(Collation collation);

// True when an index with this collation holds a and b as equal keys. Both are
// expected to be non-Null values of one column.
bool KeySame(const SqlValue& a, const SqlValue& b, Collation collation);

}  // namespace recordstore
