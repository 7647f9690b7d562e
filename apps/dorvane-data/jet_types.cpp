// The type mapping's look-ups; the table itself is in jet_types.h.
#include "jet_types.h"

namespace dorvanedata {

const JetTypeMapping* FindJetType(int jetType) {
  for (const JetTypeMapping& mapping : kJetTypes) {
    if (mapping.jetType == jetType) return &mapping;
  }
  return nullptr;
}

std::optional<std::string> DeclaredTypeFor(int jetType, int storedSize, bool jet4) {
  const JetTypeMapping* mapping = FindJetType(jetType);
  if (!mapping) return std::nullopt;
  std::string declared = mapping->declared;
  if (declared == "TEXT") {
    const int width = jet4 ? storedSize / 2 : storedSize;
    declared += "(" + std::to_string(width) + ")";
  }
  return declared;
}

}  // namespace dorvanedata
