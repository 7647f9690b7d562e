// What an import carries from a classic file to a data file: the definition
// of each table (fields with our declared types, indexes with their keys) and
// the values of a row. The reader fills them, the writer and the report read
// them; none of the three knows the others. Relies only on the standard library.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "services/base/text_case.h"

namespace dorvanedata {

struct FieldDefinition {
  std::string name;
  std::string declared;  // our declared type: "LONG", "TEXT(50)", "DATETIME", ...
};

struct IndexKey {
  std::string field;
  bool descending = false;
};

struct IndexDefinition {
  std::string name;  // without the table name: "PrimaryKey", "JOBLIST"
  bool unique = false;
  std::vector<IndexKey> keys;
};

struct TableDefinition {
  std::string name;
  std::vector<FieldDefinition> fields;
  std::vector<IndexDefinition> indexes;

  // Position of the field named `name` (ASCII letters in any case), or -1.
  int FindField(const std::string& name) const;
};

// One value of a row, in the form it is stored: Null, a whole number, a real
// number, UTF-8 text (dates as 'YYYY-MM-DD HH:MM:SS') or bytes.
struct ImportValue {
  enum class Kind { kNull, kInteger, kReal, kText, kBlob };
  Kind kind = Kind::kNull;
  int64_t integer = 0;
  double real = 0;
  std::string bytes;  // text or blob

  static ImportValue Integer(int64_t v) { return {Kind::kInteger, v, 0, {}}; }
  static ImportValue Real(double v) { return {Kind::kReal, 0, v, {}}; }
  static ImportValue Text(std::string v) { return {Kind::kText, 0, 0, std::move(v)}; }
  static ImportValue Blob(std::string v) { return {Kind::kBlob, 0, 0, std::move(v)}; }
};

using ImportRow = std::vector<ImportValue>;

// The value as text, the form a server's COPY takes: numbers in their shortest
// exact form (NaN and Infinity by name), text as it is, bytes in bytea's hex
// form (\x01ff); nullopt for Null.
std::optional<std::string> TextForm(const ImportValue& value);

// Names match as the record store matches table, field and index names.
using base::SameName;

}  // namespace dorvanedata
