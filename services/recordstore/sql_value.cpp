// SqlValue construction and the key equality of SQLite's collations: numbers
// compare by value, texts by bytes (NOCASE folds ASCII letters, RTRIM ignores
// trailing blanks), and values of different storage classes never match.
#include "services/recordstore/sql_value.h"

#include <utility>

#include "services/base/text_case.h"

namespace recordstore {

SqlValue SqlValue::Int(int64_t v) {
  SqlValue s;
  s.kind = Kind::Integer;
  s.integer = v;
  return s;
}

SqlValue SqlValue::Real(double v) {
  SqlValue s;
  s.kind = Kind::Real;
  s.real = v;
  return s;
}

SqlValue SqlValue::Text(std::string v) {
  SqlValue s;
  s.kind = Kind::Text;
  s.bytes = std::move(v);
  return s;
}

SqlValue SqlValue::Blob(std::string v) {
  SqlValue s;
  s.kind = Kind::Blob;
  s.bytes = std::move(v);
  return s;
}

Collation CollationFromName(std::string_view name) {
  if (base::SameName(name, "NOCASE")) return Collation::NoCase;
  if (base::SameName(name, "RTRIM")) return Collation::RTrim;
  return Collation::Binary;
}

const char* CollationName(Collation collation) {
  switch (collation) {
    case Collation::NoCase:
      return "NOCASE";
    case Collation::RTrim:
      return "RTRIM";
    default:
      return "BINARY";
  }
}

bool KeySame(const SqlValue& a, const SqlValue& b, Collation collation) {
  using Kind = SqlValue::Kind;
  bool aNumber = a.kind == Kind::Integer || a.kind == Kind::Real;
  bool bNumber = b.kind == Kind::Integer || b.kind == Kind::Real;
  if (aNumber && bNumber) {
    if (a.kind == Kind::Integer && b.kind == Kind::Integer) return a.integer == b.integer;
    double x = a.kind == Kind::Integer ? static_cast<double>(a.integer) : a.real;
    double y = b.kind == Kind::Integer ? static_cast<double>(b.integer) : b.real;
    return x == y;
  }
  if (a.kind != b.kind || a.kind == Kind::Null) return false;
  if (a.kind == Kind::Blob || collation == Collation::Binary) return a.bytes == b.bytes;
  std::string_view x = a.bytes, y = b.bytes;
  if (collation == Collation::RTrim) {
    while (!x.empty() && x.back() == ' ') x.remove_suffix(1);
    while (!y.empty() && y.back() == ' ') y.remove_suffix(1);
    return x == y;
  }
  // NOCASE folds only the ASCII letters, byte by byte.
  if (x.size() != y.size()) return false;
  for (size_t i = 0; i < x.size(); ++i) {
    unsigned char p = x[i], q = y[i];
    if (p >= 'A' && p <= 'Z') p += 32;
    if (q >= 'A' && q <= 'Z') q += 32;
    if (p != q) return false;
  }
  return true;
}

}  // namespace recordstore
