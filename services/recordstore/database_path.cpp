// Database paths: the base library's path rule with the ".MDB" default and
// the store's file-not-found error.
#include "services/recordstore/database_path.h"

#include "services/base/file_path.h"
#include "services/recordstore/store_errors.h"

namespace recordstore {

std::string ResolveDatabasePath(const std::string& given) {
  base::FoundFile found = base::LookUpFile(given, ".MDB");
  if (found.file.empty()) throw FileNotFound(given, found.missing);
  return found.file;
}

std::string ResolveDataFile(const std::string& dataSource, const std::string& fileName) {
  return ResolveDatabasePath(dataSource + "\\" + fileName);
}

}  // namespace recordstore
