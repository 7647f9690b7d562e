// Finding a database file from the path text a caller gives: the base
// library's path rule (backslashes separate folders, names match without
// regard to case), and a database name without an extension means that name
// with ".MDB". Relies on the base library's file_path.h.
#pragma once

#include <string>

namespace recordstore {

// The existing file that `given` names. Raises 3024 naming `given` (and the
// folder that is missing, if it is a folder) when there is none.
std::string ResolveDatabasePath(const std::string& given);

// The existing file `fileName` of the data source `dataSource` (a folder, as
// PathText gives it): ResolveDatabasePath of the two joined.
std::string ResolveDataFile(const std::string& dataSource, const std::string& fileName);

}  // namespace recordstore
