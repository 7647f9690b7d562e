// Field: one field of a recordset's current row (or of the row being added or
// edited): its value, type code, declared size and name. A Field keeps its
// recordset alive. Relies on Recordset.
// Threads: as its recordset (one thread at a time).
#pragma once

#include <memory>
#include <string>

#include "services/recordstore/variant.h"

namespace recordstore {

class Recordset;

class Field {
 public:
  Field(std::shared_ptr<Recordset> recordset, int column);

  // The value on the current row (Null for an empty field); no current row:
  // 3021; a row deleted through this recordset: 3167.
  Variant Value() const;
  // Sets the value of the row being added or edited (3020 outside AddNew/Edit).
  void SetValue(const Variant& value) const;
  // Type code: 1 Boolean, 2 Byte, 3 Integer, 4 Long, 5 Currency, 6 Single,
  // 7 Double, 8 Date, 10 Text, 11 Long Binary, 12 Memo, 15 GUID.
  int Type() const;
  // Declared width of a Text field; the storage size of other types.
  int Size() const;
  const std::string& Name() const;

 private:
  std::shared_ptr<Recordset> recordset_;
  int column_;
};

}  // namespace recordstore
