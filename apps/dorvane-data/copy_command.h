// `dorvane-data copy SOURCE DEST [--force]`: copies a data source (a folder or
// a server URI) into another, both databases, every row with its rowid, and
// each table's identity counter. Relies on destination.h.
#pragma once

#include <string>
#include <vector>

namespace dorvanedata {

// Runs the command on the arguments after "copy"; returns the exit status
// (0 done, 1 failed with nothing changed, 2 bad arguments).
int RunCopy(const std::vector<std::string>& args);

}  // namespace dorvanedata
