// The "C" locale made once and lent to a thread around a conversion.
#include "services/base/c_numbers.h"

namespace base {
namespace {

locale_t CLocale() {
  static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return c;
}

}  // namespace

NumbersInC::NumbersInC() : previous_(uselocale(CLocale())) {}

NumbersInC::~NumbersInC() { uselocale(previous_); }

}  // namespace base
