// Name matching for the import's table definitions.
#include "import_layout.h"

#include <cctype>

namespace dorvanedata {

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

int TableDefinition::FindField(const std::string& field) const {
  for (size_t i = 0; i < fields.size(); ++i) {
    if (SameName(fields[i].name, field)) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace dorvanedata
