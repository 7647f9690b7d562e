// Finding a database file from the path text a caller gives: backslashes are
// folder separators, repeated separators are harmless, each name is matched
// without regard to case when no exact match exists, and a file name without
// an extension means that name with ".MDB". Relies on <filesystem>.
#pragma once

#include <string>

namespace recordstore {

// The existing file that `given` names. Raises 3024 naming `given` (and the
// folder that is missing, if it is a folder) when there is none.
std::string ResolveDatabasePath(const std::string& given);

}  // namespace recordstore
