// Reading a classic desktop-database file (Jet 3 or Jet 4, .mdb) through
// mdbtools' library libmdb: a check of the file's first page made before the
// library sees it (a Jet file at all, its version, a password, a truncated
// length), the definitions of its user tables, and their rows in file order
// as values in our stored forms. Relies on libmdb (mdbtools.h), import_layout.h
// and jet_types.h; failures are ToolErrors that name the file.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "import_layout.h"

namespace dorvanedata {

struct JetFileFacts {
  int version = 4;   // 3 or 4
  int codePage = 0;  // the code page of a Jet 3 file's text
  int pageSize = 4096;
};

// Reads the first page of `path` and throws a ToolError when the file is not
// one we can import: not a Jet file, a later (ACE) version, protected by a
// password, or shorter than a whole number of pages.
JetFileFacts CheckJetFile(const std::string& path);

class JetReader {
 public:
  // Opens the file (after CheckJetFile) and reads its table definitions.
  explicit JetReader(const std::string& path);
  ~JetReader();
  JetReader(const JetReader&) = delete;
  JetReader& operator=(const JetReader&) = delete;

  // What the first page says of the file.
  const JetFileFacts& Facts() const { return facts_; }
  // The user tables of the file (system tables left out), in catalog order.
  const std::vector<TableDefinition>& Tables() const { return tables_; }

  // Calls `row` with every row of Tables()[table] in file order and returns
  // how many there were; throws a ToolError when the rows read do not match
  // the count the table's definition holds (a damaged file).
  int64_t ReadRows(size_t table, const std::function<void(const ImportRow&)>& row);

 private:
  struct Catalog;  // the library's handle and catalog entries, kept out of this header
  std::string path_;
  JetFileFacts facts_;
  std::unique_ptr<Catalog> catalog_;
  std::vector<TableDefinition> tables_;
};

}  // namespace dorvanedata
