// Field: forwards to its recordset and the table layout.
#include "services/recordstore/field.h"

#include <utility>

#include "services/recordstore/recordset.h"
#include "services/recordstore/table_layout.h"

namespace recordstore {

Field::Field(std::shared_ptr<Recordset> recordset, int column)
    : recordset_(std::move(recordset)), column_(column) {}

Variant Field::Value() const { return recordset_->FieldValue(column_); }

void Field::SetValue(const Variant& value) const { recordset_->SetFieldValue(column_, value); }

int Field::Type() const { return recordset_->Column(column_).type; }

int Field::Size() const { return recordset_->Column(column_).size; }

const std::string& Field::Name() const { return recordset_->Column(column_).name; }

}  // namespace recordstore
