// Names compared without regard to case: tables, fields, indexes, controls,
// files and keywords all follow the same rule (ASCII letters fold, nothing else).
// The case mappings here never depend on the process's locale: a host that
// sets a Turkish locale, say, must not turn "I" into a dotless i.
// Relies only on the standard library.
#pragma once

#include <string>
#include <string_view>

namespace base {

// True when a and b are the same text once ASCII letters are folded.
bool SameName(std::string_view a, std::string_view b);

// The ASCII lower-case and upper-case forms; other bytes stay as they are.
char LowerAscii(char c);
char UpperAscii(char c);
std::string LowerAscii(std::string_view text);
std::string UpperAscii(std::string_view text);

}  // namespace base
