// The import command: plans where each classic file goes, runs the import in
// a child process, and prints the summary and the report. The plan is made
// before anything is written, so that the parent can clean up after a child
// that did not finish. In a sanitizer build the child's reports reach the
// parent's standard error and its leaks are checked.
#include "import.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#include <sanitizer/lsan_interface.h>
#endif

#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>

#include "data_folder.h"
#include "destination.h"
#include "import_jet.h"
#include "import_report.h"
#include "import_server.h"
#include "import_writer.h"
#include "server_layout.h"
#include "services/recordstore/data_source.h"
#include "sqlite_file.h"

#if defined(__SANITIZE_ADDRESS__)
// mdbtools' mdb_unicode2ascii hands iconv a length read from the file
// unchecked, so a damaged property of a catalog row makes iconv read past the
// library's buffer. That fault of the system's library cannot be fixed here,
// and the normal build reads through it (the property is not imported). The
// sanitizer build lets exactly that path through, so that such a file imports
// as it does there, and still reports every other fault of the reading child.
extern "C" const char* __asan_default_suppressions() {  // NOLINT(bugprone-reserved-identifier)
  return "interceptor_via_fun:mdb_unicode2ascii\n";
}
#endif

namespace dorvanedata {
namespace {

namespace fs = std::filesystem;

// One classic file to import and where it goes.
struct FileJob {
  std::string section;  // the data file it stands for ("MAIN.MDB"), "" for another name
  fs::path source;      // empty: the classic folder has no such file
  fs::path building;    // the temporary name it is written under (none on a server)
  fs::path target;      // its final name
  std::string shown;    // where it goes, for messages
};

struct Plan {
  std::string destination;  // as given, for messages (a URI without its password)
  std::string serverUri;    // the database written to, or "" for a folder or file
  std::vector<FileJob> files;
  std::vector<fs::path> foldersToMake;  // outermost first
};

// Which data file of the control a file name stands for, or "" for neither.
std::string SectionOf(const fs::path& file) {
  for (std::string_view name : {kMainFile, kSettingsFile}) {
    if (SameName(file.filename().string(), std::string(name))) return std::string(name);
  }
  return {};
}

// The one file of `folder` named `name` in any case; empty when there is none.
fs::path OneFileNamed(const fs::path& folder, std::string_view name) {
  const std::vector<fs::path> files = FilesNamed(folder, name);
  if (files.size() > 1) {
    throw ToolError(folder.string() + " holds both " + files[0].filename().string() + " and " +
                    files[1].filename().string() + "; keep one of them");
  }
  return files.empty() ? fs::path() : files.front();
}

// The files of the classic folder that stand for MAIN.MDB and QRLSYS.mdb, in
// that order (the second empty when missing); a folder without MAIN.MDB is
// no source.
std::vector<fs::path> ClassicFiles(const std::string& folder) {
  const fs::path main = OneFileNamed(folder, kMainFile);
  if (main.empty()) throw ToolError(folder + " holds no MAIN.MDB");
  return {main, OneFileNamed(folder, kSettingsFile)};
}

// Works out every file's source and destination; writes nothing.
Plan MakePlan(const ImportCommand& command) {
  const fs::path source(command.source), destination(command.destination);
  Plan plan{command.destination, {}, {}, {}};
  std::error_code error;
  if (IsServerUri(command.destination)) {
    // Each data file becomes a schema of the database; the refusal of a
    // database that holds them comes once connected.
    plan.destination = recordstore::HidePasswords(command.destination);
    plan.serverUri = command.destination;
    if (!fs::is_directory(source, error)) {
      throw ToolError(
          "a PostgreSQL database takes a whole classic folder (MAIN.MDB and QRLSYS.mdb), not "
          "one file; name the folder that holds " +
          source.filename().string());
    }
    const std::vector<fs::path> classic = ClassicFiles(command.source);
    for (std::string_view name : {kMainFile, kSettingsFile}) {
      plan.files.push_back({std::string(name),
                            classic[plan.files.size()],
                            {},
                            {},
                            plan.destination + " schema " + SchemaOfFile(name)});
    }
  } else if (fs::is_directory(source, error)) {
    if (fs::exists(destination, error) && !fs::is_directory(destination, error)) {
      throw ToolError(command.destination + " exists and is not a folder");
    }
    if (fs::is_directory(destination, error)) {
      for (std::string_view name : {kMainFile, kSettingsFile}) {
        const std::vector<fs::path> held = FilesNamed(destination, name);
        if (!held.empty()) {
          throw ToolError(command.destination + " already holds " +
                          held.front().filename().string() + "; import into a new folder");
        }
      }
    }
    const std::vector<fs::path> classic = ClassicFiles(command.source);
    for (std::string_view name : {kMainFile, kSettingsFile}) {
      plan.files.push_back({std::string(name), classic[plan.files.size()],
                            BuildingPath(destination, name), destination / name,
                            (destination / name).string()});
    }
    plan.foldersToMake = MissingFolders(destination);
  } else if (fs::exists(source, error)) {
    if (fs::exists(fs::symlink_status(destination, error))) {
      throw ToolError(command.destination + " already exists; name a new file");
    }
    const fs::path folder = destination.has_parent_path() ? destination.parent_path() : ".";
    if (fs::exists(folder, error) && !fs::is_directory(folder, error)) {
      throw ToolError(folder.string() + " exists and is not a folder");
    }
    std::string section = SectionOf(destination);
    plan.files.push_back({section, source, BuildingPath(folder, destination.filename().string()),
                          destination, destination.string()});
    plan.foldersToMake = MissingFolders(folder);
  } else {
    throw ToolError("cannot find " + command.source);
  }
  return plan;
}

// The size of the classic files to read, in bytes.
uintmax_t SourceBytes(const Plan& plan) {
  uintmax_t bytes = 0;
  for (const FileJob& job : plan.files) {
    std::error_code error;
    const uintmax_t size = job.source.empty() ? 0 : fs::file_size(job.source, error);
    if (!error) bytes += size;
  }
  return bytes;
}

// Removes what an unfinished import may have left: the files being built
// and the folders it made (when they are empty).
void Discard(const Plan& plan) {
  for (const FileJob& job : plan.files) {
    if (job.building.empty()) continue;  // a server's transaction needs no cleaning up
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) {
      std::error_code error;
      fs::remove(job.building.string() + suffix, error);
    }
  }
  RemoveEmptyFolders(plan.foldersToMake);
}

// Imports one classic file into its building file, or into its schema when
// `server` is given; returns what the report needs.
ImportedFile ImportOne(const FileJob& job, BulkConnection* server, std::string& summary) {
  ImportedFile file;
  file.name = job.section.empty() ? job.target.filename().string() : job.section;
  if (job.source.empty()) {
    file.present = false;
    return file;
  }
  JetReader reader(job.source.string());
  file.tables = reader.Tables();
  file.rows.assign(file.tables.size(), 0);
  std::unique_ptr<ImportDestination> destination =
      server ? NewServerDestination(*server, SchemaOfFile(job.section))
             : NewSqliteDestination(job.building.string());
  int64_t rows = 0;
  for (size_t t = 0; t < file.tables.size(); ++t) {
    destination->CreateTable(file.tables[t]);
    rows += reader.ReadRows(t, [&](const ImportRow& row) {
      destination->InsertRow(row);
      NoteRow(file, t, row);
    });
    destination->CreateIndexes(file.tables[t]);
  }
  destination->Finish();
  const JetFileFacts& facts = reader.Facts();
  summary += "Imported " + job.source.string() + " into " + job.shown + ": " +
             std::to_string(file.tables.size()) +
             (file.tables.size() == 1 ? " table, " : " tables, ") + std::to_string(rows) +
             (rows == 1 ? " row" : " rows") + " (Jet " + std::to_string(facts.version) +
             (facts.version == 3 ? ", code page " + std::to_string(facts.codePage) : "") + ")\n";
  return file;
}

// Renames the finished files into place; a failure takes back those already moved.
void Install(const Plan& plan) {
  std::vector<fs::path> installed;
  for (const FileJob& job : plan.files) {
    if (job.source.empty() || job.building.empty()) continue;
    std::error_code error;
    fs::rename(job.building, job.target, error);
    if (error) {
      for (const fs::path& file : installed) fs::remove(file, error);
      throw ToolError("cannot rename the new " + job.target.filename().string() +
                      " into place: " + error.message());
    }
    installed.push_back(job.target);
  }
}

// Writes all of `text` to the file descriptor.
void WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

// The summary and the report after a successful import; sets the exit status.
std::string Report(const Plan& plan, const std::vector<ImportedFile>& imported, int& status) {
  std::vector<std::string> lines;
  bool compared = false;
  for (const ImportedFile& file : imported) {
    if (SectionOf(file.name).empty()) continue;
    compared = true;
    for (std::string& line : CompareWithControl(file, ControlLayout(file.name))) {
      lines.push_back(std::move(line));
    }
  }
  status = lines.empty() ? kImportUsable : kImportNotUsable;
  if (!compared) {
    return plan.destination +
           " is not named MAIN.MDB or QRLSYS.mdb, so it was not compared with what the control "
           "needs.\n";
  }
  if (lines.empty()) return "The control can use " + plan.destination + " as it is.\n";
  std::string text =
      "What the control needs that " + plan.destination + " lacks or holds differently:\n";
  for (const std::string& line : lines) text += "  " + line + "\n";
  return text + plan.destination +
         " holds all the imported data; the control can use it once these are put right.\n";
}

// Runs the whole import, writing the summary and report to `out` and a
// failure to `errors`. Returns the exit status.
int Execute(const Plan& plan, int out, int errors) {
  std::vector<ImportedFile> imported;
  std::string summary;
  int status = kImportFailed;
  try {
    for (const fs::path& folder : plan.foldersToMake) {
      std::error_code error;
      fs::create_directory(folder, error);
      if (error) {
        throw ToolError("cannot create the folder " + folder.string() + ": " + error.message());
      }
    }
    std::unique_ptr<BulkConnection> server;
    if (!plan.serverUri.empty()) {
      server = std::make_unique<BulkConnection>(plan.serverUri);
      const std::string taken = SchemaWithTables(*server);
      if (!taken.empty()) {
        throw ToolError("the " + server->Where() + " already holds the tables of schema " + taken +
                        "; import into a database without them");
      }
      server->Exec("SET maintenance_work_mem = '256MB'");  // index builds sort in memory
      server->Exec("BEGIN");
    }
    for (const FileJob& job : plan.files) {
      if (!job.source.empty() && !job.building.empty()) {
        RemoveDatabase(job.building.parent_path(), job.building.filename().string());
      }
      imported.push_back(ImportOne(job, server.get(), summary));
    }
    if (server) server->Exec("COMMIT");  // until here a failure leaves the database as it was
    Install(plan);
    summary += Report(plan, imported, status);
  } catch (const std::exception& failure) {
    Discard(plan);
    WriteAll(errors, "dorvane-data: " + std::string(failure.what()) +
                         "; nothing was imported into " + plan.destination + "\n");
    return kImportFailed;
  }
  WriteAll(out, summary);
  return status;
}

#if defined(__SANITIZE_ADDRESS__)
// A sanitizer report (a leak included) ends the reading child as a crash
// would, so that the parent cleans up and says so; the report is above it.
void AbortChild() {
  std::signal(SIGABRT, SIG_DFL);
  std::abort();
}
#endif

// In a sanitizer build, sends the reading child's reports to `errors` (its
// copy of standard error, while the library's own messages go nowhere) and
// makes a report end the child as a crash.
void WatchChild(int errors) {
#if defined(__SANITIZE_ADDRESS__)
  __sanitizer_set_report_fd(reinterpret_cast<void*>(static_cast<intptr_t>(errors)));
  __sanitizer_set_death_callback(AbortChild);
#endif
}

// Ends the reading child with `status`. _exit skips the leak check a normal
// exit runs, so a sanitizer build runs it first.
[[noreturn]] void EndChild(int status) {
#if defined(__SANITIZE_ADDRESS__)
  __lsan_do_leak_check();
#endif
  _exit(status);
}

// Bounds the reading child's memory: a damaged page can make the reader ask
// for gigabytes, which must end the child, not the machine. Sanitizer builds
// reserve vast address ranges of their own, so they go without the bound.
void LimitMemory(uintmax_t sourceBytes) {
#if !defined(__SANITIZE_ADDRESS__)
  const rlim_t limit = (rlim_t{1} << 31) + 16 * sourceBytes;
  const rlimit bound{limit, limit};
  setrlimit(RLIMIT_AS, &bound);
#endif
}

}  // namespace

std::optional<ImportCommand> ReadImportCommand(const std::vector<std::string>& paths,
                                               const std::optional<std::string>& timeLimit,
                                               std::string& error) {
  ImportCommand command;
  if (timeLimit) {
    const std::string& text = *timeLimit;
    int seconds = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), seconds);
    if (ec != std::errc() || end != text.data() + text.size() || seconds < 1) {
      error = "--time-limit needs a whole number of seconds, not \"" + text + "\"";
      return std::nullopt;
    }
    command.timeLimit = seconds;
  }
  if (paths.size() != 2) {
    error = "import needs a classic folder (or .mdb file) and a destination";
    return std::nullopt;
  }
  command.source = paths[0];
  command.destination = paths[1];
  return command;
}

int RunImport(const ImportCommand& command) {
  Plan plan;
  try {
    plan = MakePlan(command);
  } catch (const ToolError& failure) {
    std::cerr << "dorvane-data: " << failure.what() << "; nothing was imported\n";
    return kImportFailed;
  }
  int limit = command.timeLimit;
  if (limit == 0) limit = static_cast<int>(60 + 2 * (SourceBytes(plan) >> 20));
  // The child sends the library's own messages (on standard output and
  // error) nowhere and writes through copies of the two.
  std::cout.flush();
  std::cerr.flush();
  const pid_t child = fork();
  if (child < 0) return Execute(plan, STDOUT_FILENO, STDERR_FILENO);
  if (child == 0) {
    const int out = dup(STDOUT_FILENO);
    const int errors = dup(STDERR_FILENO);
    const int nowhere = open("/dev/null", O_WRONLY);
    if (out < 0 || errors < 0 || nowhere < 0) {
      EndChild(Execute(plan, STDOUT_FILENO, STDERR_FILENO));
    }
    WatchChild(errors);
    dup2(nowhere, STDOUT_FILENO);
    dup2(nowhere, STDERR_FILENO);
    alarm(static_cast<unsigned>(limit));
    LimitMemory(SourceBytes(plan));
    EndChild(Execute(plan, out, errors));
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return kImportFailed;
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  Discard(plan);
  std::cerr << "dorvane-data: reading " << command.source;
  if (WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM) {
    std::cerr << " took more than " << limit
              << " seconds, more than a sound file of its size needs; the file is damaged (or "
                 "give it more time with --time-limit)";
  } else {
    std::cerr << " failed hard (signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0)
              << "); the file is damaged";
  }
  std::cerr << "; nothing was imported into " << plan.destination << "\n";
  return kImportFailed;
}

}  // namespace dorvanedata
