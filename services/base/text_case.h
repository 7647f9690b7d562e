// Names compared without regard to case: tables, fields, indexes, controls,
// files and keywords all follow the same rule (ASCII letters fold, nothing else).
// Relies only on the standard library.
#pragma once

#include <string_view>

namespace base {

// True when a and b are the same text once ASCII letters are folded.
bool SameName(std::string_view a, std::string_view b);

}  // namespace base
