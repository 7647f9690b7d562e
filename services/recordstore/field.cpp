// Field: forwards to its recordset's implementation and the table layout.
#include "services/recordstore/field.h"

#include <utility>

#include "services/recordstore/recordset_impl.h"
#include "services/recordstore/table_layout.h"

namespace recordstore {

Field::Field(std::shared_ptr<Recordset> recordset, int column)
    : recordset_(std::move(recordset)), column_(column) {}

Variant Field::Value() const { return Recordset::Impl::Of(*recordset_).FieldValue(column_); }

void Field::SetValue(const Variant& value) const {
  Recordset::Impl::Of(*recordset_).SetFieldValue(column_, value);
}

int Field::Type() const { return Recordset::Impl::Of(*recordset_).Column(column_).type; }

int Field::Size() const { return Recordset::Impl::Of(*recordset_).Column(column_).size; }

const std::string& Field::Name() const {
  return Recordset::Impl::Of(*recordset_).Column(column_).name;
}

}  // namespace recordstore
