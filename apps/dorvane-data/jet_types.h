// The one mapping from the classic engine's field types (the type codes of
// its table definitions, as libmdb reports them) to our declared types.
// Relies only on the standard library; the codes are checked against
// mdbtools.h where the reader uses them.
#pragma once

#include <optional>
#include <string>

namespace dorvanedata {

struct JetTypeMapping {
  int jetType;           // the type code in the file's table definition
  const char* jetName;   // the type's name as the classic program shows it
  const char* declared;  // our declared type; Text gets its width: TEXT(n)
};

// Every type code a Jet 3 or Jet 4 table can hold, with our declared type.
inline constexpr JetTypeMapping kJetTypes[] = {
    {0x01, "Yes/No", "BIT"},
    {0x02, "Byte", "BYTE"},
    {0x03, "Integer", "SHORT"},
    {0x04, "Long Integer", "LONG"},
    {0x05, "Currency", "CURRENCY"},
    {0x06, "Single", "SINGLE"},
    {0x07, "Double", "DOUBLE"},
    {0x08, "Date/Time", "DATETIME"},
    {0x09, "Binary", "LONGBINARY"},
    {0x0a, "Text", "TEXT"},
    {0x0b, "OLE Object", "LONGBINARY"},
    {0x0c, "Memo", "MEMO"},
    {0x0f, "Replication ID", "GUID"},
    {0x10, "Decimal", "DOUBLE"},  // we have no decimal type; its value is kept as a Double
};

// The mapping of a type code, or nullptr for a code no Jet 3/4 table holds.
const JetTypeMapping* FindJetType(int jetType);

// Our declared type for a column of type `jetType` whose stored size is
// `storedSize` bytes; Jet 4 keeps Text as two bytes a character. Nothing for
// an unknown code.
std::optional<std::string> DeclaredTypeFor(int jetType, int storedSize, bool jet4);

}  // namespace dorvanedata
