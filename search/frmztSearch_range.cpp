// The browsed range of the search dialog: the rows, in the order of the
// current index, whose leading key fields equal the request's leading keys
// (all rows without keys). Its first row is found by one seek; its last row by
// a seek to the first key value after the range and one step back, which
// lands on the same row as a walk through the range would, at the cost of a
// seek. Relies on the record store and ztMSAccess's keyed scans.
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "search/frmztSearch_impl.h"
#include "services/base/error_numbers.h"
#include "services/ztBasicSet.h"

namespace {

using recordstore::Variant;

// The smallest key value that sorts after every value equal to key in an index
// field of the given type, or nothing when there is no such value to seek.
// Whole-number fields step to the next whole number their type holds (a
// server compares with a value of the field's own type); other numbers to the
// next double; dates to the next second (their stored precision); texts gain
// a character that sorts before every other.
std::optional<Variant> KeySuccessor(const Variant& key, int fieldType) {
  if (key.IsNull() || key.IsEmpty()) return std::nullopt;
  try {
    if (fieldType >= 1 && fieldType <= 7) {
      const double value =
          key.Type() == recordstore::VarType::Date ? key.DateSerial() : key.ToDouble();
      if (!std::isfinite(value)) return std::nullopt;
      // The largest value of a Byte, Integer and Long field.
      constexpr double kWholeMax[] = {255.0, 32767.0, 2147483647.0};
      if (fieldType >= 2 && fieldType <= 4) {
        const double next = std::floor(value) + 1.0;
        if (next > kWholeMax[fieldType - 2]) return std::nullopt;
        return Variant::Double(next);
      }
      return Variant::Double(std::nextafter(value, std::numeric_limits<double>::infinity()));
    }
    if (fieldType == 8) return Variant::Date(key.DateSerial() + 1.0 / 86400.0);
    return Variant::String(key.ToString() + '\x01');
  } catch (const base::RuntimeError&) {
    return std::nullopt;  // a key that does not convert: the caller walks instead
  }
}

}  // namespace

// The test RecordCount = 0, answered without a count of the table.
bool frmztSearch::Impl::TableIsEmpty() { return rs_->IsEmpty(); }

// The pairs (varIndexKeyN, KeyField[N]) for N = 1..KeyCount. A key whose field
// name was left blank below the highest one has no field: run-time error 91.
std::vector<ztMSAccess::KeyField> frmztSearch::Impl::RangePairs() const {
  const Variant* keys[] = {nullptr, &varIndexKey1, &varIndexKey2, &varIndexKey3, &varIndexKey4};
  std::vector<ztMSAccess::KeyField> pairs;
  for (int n = 1; n <= state_.KeyCount; ++n) {
    if (!keyField_[n]) {
      throw base::RuntimeError(
          base::error::kObjectNotSet,
          "Object variable not set: leading key " + std::to_string(n) + " has no field name");
    }
    pairs.push_back({*keys[n], *keyField_[n]});
  }
  return pairs;
}

std::string frmztSearch::Impl::FindFirstInRange() {
  if (TableIsEmpty()) return " ";
  if (state_.KeyCount == 0) {
    rs_->MoveFirst();
    return rs_->Bookmark();
  }
  return ztMSAccess::SeekMatchingRecord(*rs_, state_.SearchIndexName, RangePairs());
}

bool frmztSearch::Impl::IsCurrentInRange() {
  return ztMSAccess::RecordMatchesKeys(*rs_, RangePairs());
}

// Without keys the last row is the table's last in index order. With keys,
// seek the first row after the range (the last key's successor) and step
// back; should that row not belong to the range (texts equal but for case
// sort together in the index but differ for the range), walk from the first
// row as the range's definition says.
std::string frmztSearch::Impl::FindLastInRange(const std::string& firstBookmark) {
  if (state_.KeyCount == 0) {
    rs_->MoveLast();
    return rs_->Bookmark();
  }
  const std::vector<ztMSAccess::KeyField> pairs = RangePairs();
  const ztMSAccess::KeyField& lastPair = pairs.back();
  if (std::optional<Variant> after = KeySuccessor(lastPair.key, lastPair.field.Type())) {
    std::vector<Variant> keys;
    for (size_t i = 0; i + 1 < pairs.size(); ++i) keys.push_back(pairs[i].key);
    keys.push_back(*after);
    rs_->SetIndex(state_.SearchIndexName);
    rs_->Seek(">=", keys);
    if (rs_->NoMatch()) {
      rs_->MoveLast();
    } else {
      rs_->MovePrevious();
    }
    if (IsCurrentInRange()) return rs_->Bookmark();
  }
  std::string last = firstBookmark;
  rs_->SetBookmark(firstBookmark);
  while (IsCurrentInRange()) {
    last = rs_->Bookmark();
    rs_->MoveNext();
  }
  return last;
}
