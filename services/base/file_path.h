// Finding a file from the path text a caller gives, as the platform's file
// system does: backslashes are folder separators, repeated separators are
// harmless, and each name (every folder and the file) is matched without
// regard to case when no exact match exists. One rule serves the record
// store's opens and the Desktop's file-existence test. Relies on <filesystem>.
#pragma once

#include <optional>
#include <string>

namespace base {

// What looking a path up found: the file, or why there is none.
struct FoundFile {
  std::string file;     // the existing file, canonical where possible; empty when none
  std::string missing;  // when none: ": the folder '...' does not exist" and the like
};

// Looks `path` up one name at a time; `defaultExtension` (such as ".MDB"),
// when given, is added to a last name without a dot. Never raises.
FoundFile LookUpFile(const std::string& path, const std::string& defaultExtension = "");

// The existing regular file that `path` names, without adding an extension;
// nothing when there is none. Never raises.
std::optional<std::string> FindFile(const std::string& path);

}  // namespace base
