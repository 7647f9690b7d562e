// Case-insensitive comparison of names. Relies only on the standard library.
#include "services/base/text_case.h"

namespace base {
namespace {

// The ASCII lower-case form of c; other bytes stay as they are.
char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

}  // namespace base
