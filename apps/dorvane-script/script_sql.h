// The `sql` command: one SQL text run on MAIN.MDB or QRLSYS.mdb of a data
// folder through a SQLite connection of its own, as another program on the
// same files would; on a server data source, on the schema main or qrlsys
// through a libpq connection of its own. Relies on SQLite, libpq and the
// record store's path resolution.
#pragma once

#include <ostream>
#include <string>

namespace scripthost {

// Runs statement on the database named by db ("MAIN" or "QRLSYS") in the
// folder (or server data source) pathText and prints "ROW v1|v2|..." for each
// result row (NULL for a Null value, other values as the engine writes them as
// text: whole numbers in decimal, text as stored). Raises ScriptError
// for an unknown db, a missing file or an SQL error.
void RunSql(const std::string& pathText, const std::string& db, const std::string& statement,
            std::ostream& out);

}  // namespace scripthost
