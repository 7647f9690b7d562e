// `dorvane-data copy SOURCE DEST [--force]`: copies a data source (a folder or
// a server URI) into another, both databases, every row with its rowid, and
// each table's identity counter. Relies on destination.h.
#pragma once

#include <string>

namespace dorvanedata {

// Copies `from` into `to`; returns the exit status (0 done, 1 failed with
// nothing changed).
int RunCopy(const std::string& from, const std::string& to, bool force);

}  // namespace dorvanedata
