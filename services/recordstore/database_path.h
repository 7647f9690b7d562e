// Finding a database file from the path text a caller gives: backslashes are
// folder separators, repeated separators are harmless, each name (every
// folder and the file) is matched without regard to case when no exact match
// exists, and a database name without an extension means that name with
// ".MDB". One rule serves the store's opens and the Desktop's file-existence
// test. Relies on <filesystem>.
#pragma once

#include <optional>
#include <string>

namespace recordstore {

// The existing file that `given` names. Raises 3024 naming `given` (and the
// folder that is missing, if it is a folder) when there is none.
std::string ResolveDatabasePath(const std::string& given);

// The existing file `fileName` of the data source `dataSource` (a folder, as
// PathText gives it): ResolveDatabasePath of the two joined.
std::string ResolveDataFile(const std::string& dataSource, const std::string& fileName);

// The existing regular file that `path` names under the same rule, without
// adding an extension; nothing when there is none. Never raises.
std::optional<std::string> FindFile(const std::string& path);

}  // namespace recordstore
