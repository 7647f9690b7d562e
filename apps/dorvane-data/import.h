// `dorvane-data import SOURCE DEST`: brings a site's classic desktop-database
// files into our layout. SOURCE is a folder holding MAIN.MDB and QRLSYS.mdb
// (names in any case) and DEST a new data folder, or SOURCE is one .mdb file
// and DEST the data file to make. Everything is written under temporary names
// and renamed into place at the end, so a failure leaves nothing at DEST; the
// reading runs in a child process with a time limit, so a file that makes the
// reader fail hard or run on without end is reported like any other damaged
// file. Relies on import_jet.h,
// import_writer.h, import_report.h and data_folder.h.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace dorvanedata {

// Exit statuses of `import` (2 is a bad command line, as for every command).
inline constexpr int kImportUsable = 0;     // imported; the control can use it
inline constexpr int kImportFailed = 1;     // nothing imported: bad input or destination
inline constexpr int kImportNotUsable = 3;  // imported, but the control needs more

struct ImportCommand {
  std::string source;
  std::string destination;
  int timeLimit = 0;  // seconds the import may take; 0: a minute and 2 s per MB read
};

// Reads the paths and the --time-limit text (when given) of "import", or says
// in `error` what is wrong.
std::optional<ImportCommand> ReadImportCommand(const std::vector<std::string>& paths,
                                               const std::optional<std::string>& timeLimit,
                                               std::string& error);

// Runs the import, prints what was imported and the report, and returns the
// exit status.
int RunImport(const ImportCommand& command);

}  // namespace dorvanedata
