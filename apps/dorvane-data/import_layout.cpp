// Name matching for the import's table definitions, and values as text.
#include "import_layout.h"

#include <cassert>
#include <charconv>
#include <cmath>

namespace dorvanedata {

int TableDefinition::FindField(const std::string& field) const {
  for (size_t i = 0; i < fields.size(); ++i) {
    if (SameName(fields[i].name, field)) return static_cast<int>(i);
  }
  return -1;
}

std::optional<std::string> TextForm(const ImportValue& value) {
  switch (value.kind) {
    case ImportValue::Kind::kNull:
      return std::nullopt;
    case ImportValue::Kind::kInteger:
      return std::to_string(value.integer);
    case ImportValue::Kind::kReal: {
      if (std::isnan(value.real)) return "NaN";
      if (std::isinf(value.real)) return value.real > 0 ? "Infinity" : "-Infinity";
      char text[32];
      const auto [end, error] = std::to_chars(text, text + sizeof text, value.real);
      assert(error == std::errc());
      return std::string(text, end);
    }
    case ImportValue::Kind::kText:
      return value.bytes;
    case ImportValue::Kind::kBlob: {
      static constexpr char kDigits[] = "0123456789abcdef";
      std::string hex = "\\x";
      for (unsigned char byte : value.bytes) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 15];
      }
      return hex;
    }
  }
  return std::nullopt;
}

}  // namespace dorvanedata
