// Connection and Statement over the SQLite C interface. Every SQLite failure
// becomes a RuntimeError with a classic number naming the file and table.
#include "services/recordstore/sqlite_connection.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cassert>
#include <cstdlib>
#include <filesystem>
#include <utility>

#include "services/recordstore/db_engine.h"
#include "services/recordstore/fault_vfs.h"
#include "services/recordstore/store_errors.h"

namespace recordstore {
namespace {

// The field names in a constraint message such as
// "UNIQUE constraint failed: JOBLIST.CONO, JOBLIST.JOBNO", without the table.
std::vector<std::string> ConstraintFields(const std::string& message) {
  std::vector<std::string> fields;
  size_t at = message.find(": ");
  if (at == std::string::npos) return fields;
  std::string list = message.substr(at + 2);
  size_t start = 0;
  while (start < list.size()) {
    size_t end = list.find(", ", start);
    if (end == std::string::npos) end = list.size();
    std::string name = list.substr(start, end - start);
    size_t dot = name.rfind('.');
    fields.push_back(dot == std::string::npos ? name : name.substr(dot + 1));
    start = end + 2;
  }
  return fields;
}

}  // namespace

SqliteStatement::SqliteStatement(SqliteConnection& connection, sqlite3_stmt* stmt,
                                 std::string table)
    : Statement(std::move(table)), connection_(connection), stmt_(stmt) {}

SqliteStatement::~SqliteStatement() { sqlite3_finalize(stmt_); }

void SqliteStatement::Bind(int index, const SqlValue& value) {
  switch (value.kind) {
    case SqlValue::Kind::Null:
      sqlite3_bind_null(stmt_, index);
      break;
    case SqlValue::Kind::Integer:
      sqlite3_bind_int64(stmt_, index, value.integer);
      break;
    case SqlValue::Kind::Real:
      sqlite3_bind_double(stmt_, index, value.real);
      break;
    case SqlValue::Kind::Text:
      sqlite3_bind_text(stmt_, index, value.bytes.data(), static_cast<int>(value.bytes.size()),
                        SQLITE_TRANSIENT);
      break;
    case SqlValue::Kind::Blob:
      sqlite3_bind_blob(stmt_, index, value.bytes.data(), static_cast<int>(value.bytes.size()),
                        SQLITE_TRANSIENT);
      break;
  }
}

bool SqliteStatement::Step() {
  int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  sqlite3_reset(stmt_);
  connection_.Fail(rc, Table());
}

WriteOutcome SqliteStatement::Write() {
  // A write outside a transaction is checked here; one inside it was checked
  // when the transaction began and is checked again at its commit.
  if (!connection_.InTransaction()) connection_.CheckFileInPlace();
  WriteOutcome outcome;
  int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_DONE) {
    outcome.changes = sqlite3_changes(connection_.Handle());
    outcome.insertedId = sqlite3_last_insert_rowid(connection_.Handle());
    Reset();
    return outcome;
  }
  Reset();
  outcome.message = sqlite3_errmsg(connection_.Handle());
  if (rc == SQLITE_CONSTRAINT_UNIQUE || rc == SQLITE_CONSTRAINT_PRIMARYKEY) {
    outcome.kind = WriteOutcome::Kind::Duplicate;
    outcome.fields = ConstraintFields(outcome.message);
  } else if (rc == SQLITE_CONSTRAINT_NOTNULL) {
    outcome.kind = WriteOutcome::Kind::NotNull;
  } else if ((rc & 0xff) == SQLITE_CONSTRAINT) {
    outcome.kind = WriteOutcome::Kind::Rule;
    if (rc == SQLITE_CONSTRAINT_CHECK) outcome.fields = ConstraintFields(outcome.message);
  } else {
    connection_.Fail(rc, Table());
  }
  return outcome;
}

void SqliteStatement::ReadColumn(int index, SqlValue& out) const {
  switch (sqlite3_column_type(stmt_, index)) {
    case SQLITE_INTEGER:
      out.kind = SqlValue::Kind::Integer;
      out.integer = sqlite3_column_int64(stmt_, index);
      break;
    case SQLITE_FLOAT:
      out.kind = SqlValue::Kind::Real;
      out.real = sqlite3_column_double(stmt_, index);
      break;
    case SQLITE_TEXT: {
      out.kind = SqlValue::Kind::Text;
      const char* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, index));
      out.bytes.assign(text, sqlite3_column_bytes(stmt_, index));
      break;
    }
    case SQLITE_BLOB: {
      out.kind = SqlValue::Kind::Blob;
      const char* blob = static_cast<const char*>(sqlite3_column_blob(stmt_, index));
      out.bytes.assign(blob == nullptr ? "" : blob, sqlite3_column_bytes(stmt_, index));
      break;
    }
    default:
      out.kind = SqlValue::Kind::Null;
      break;
  }
}

int64_t SqliteStatement::ColumnInt(int index) const { return sqlite3_column_int64(stmt_, index); }

void SqliteStatement::Reset() {
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
}

SqliteConnection::SqliteConnection(sqlite3* db, std::string path, int lockWaitMs)
    : Connection(std::move(path), lockWaitMs), db_(db) {}

SqliteConnection::~SqliteConnection() { Close(); }

namespace {

// SQLite takes an empty file for a new database and would write one into it
// (the journal-mode switch writes the header). An empty file with no write-ahead
// log beside it is no database yet (say, one another program is still copying):
// it is refused and left untouched.
void RefuseEmptyFile(const std::string& path) {
  struct stat file = {};
  if (stat(path.c_str(), &file) != 0 || file.st_size != 0) return;
  struct stat log = {};
  if (stat((path + "-wal").c_str(), &log) == 0 && log.st_size > 0) return;
  throw base::RuntimeError(base::error::kBadFormat,
                           "'" + path +
                               "' is not a database file the record store can read (the file is "
                               "empty); it was left as it is.");
}

// Why this user cannot write `path`, in words; empty when no cause is found.
std::string ReadOnlyCause(const std::string& path) {
  if (access(path.c_str(), W_OK) != 0) return "the file itself is read-only for this user";
  const std::string shm = path + "-shm";
  if (access(shm.c_str(), F_OK) == 0 && access(shm.c_str(), W_OK) != 0) {
    return "its shared-memory file '" + shm +
           "', left by an earlier session or another user, is read-only; it may be removed "
           "when no program has the file open";
  }
  const std::string folder = std::filesystem::path(path).parent_path().string();
  if (access(folder.c_str(), W_OK) != 0) {
    return "the folder '" + folder +
           "' may not be written by this user, so the shared-memory and log files that "
           "SQLite keeps beside the file cannot be made";
  }
  return "";
}

// True when two readings of a file's status show the same file with the same
// size and modification time: it did not change in between.
bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec &&
         a.st_mtim.tv_nsec == b.st_mtim.tv_nsec && a.st_ino == b.st_ino;
}

// A private copy of `path` in a new temporary folder, for reading a file whose
// folder this user may not write. Reading the file in place without SQLite's
// shared memory (immutable) would be unsafe while another program writes it, so
// the copy is made only when no program has it open in WAL mode (no
// shared-memory file, no log holding changes) and is kept only when the file
// did not change while it was copied. Returns the copy's path, or "".
std::string CopyForReading(const std::string& path) {
  namespace fs = std::filesystem;
  struct stat before = {};
  struct stat after = {};
  struct stat other = {};
  if (stat(path.c_str(), &before) != 0 || stat((path + "-shm").c_str(), &other) == 0) return "";
  if (stat((path + "-wal").c_str(), &other) == 0 && other.st_size > 0) return "";
  std::string folder = (fs::temp_directory_path() / "dorvane-read-XXXXXX").string();
  if (mkdtemp(folder.data()) == nullptr) return "";
  std::string copy = folder + "/" + fs::path(path).filename().string();
  std::error_code ec;
  fs::copy_file(path, copy, ec);
  if (ec || stat(path.c_str(), &after) != 0 || !SameFile(before, after) ||
      stat((path + "-shm").c_str(), &other) == 0) {
    fs::remove_all(folder, ec);
    return "";
  }
  return copy;
}

// SQLite refuses paths of FaultVfs::MaxPathname characters or more (with room
// for the "-journal" ending). A longer path is opened as /proc/self/fd/N/NAME
// through its folder held open in `folderFd`; "" when that is impossible.
std::string ShortFormOf(const std::string& path, int& folderFd) {
  const std::filesystem::path file(path);
  folderFd = open(file.parent_path().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (folderFd < 0) return "";
  std::string shortForm =
      FaultVfs::kHeldFolderPrefix + std::to_string(folderFd) + "/" + file.filename().string();
  if (access(shortForm.c_str(), F_OK) != 0) {
    close(folderFd);
    folderFd = -1;
    return "";
  }
  return shortForm;
}

}  // namespace

std::shared_ptr<Connection> SqliteConnection::OpenFile(const std::string& path, int lockWaitMs) {
  RefuseEmptyFile(path);
  int folderFd = -1;
  std::string openPath = path;
  const size_t limit = static_cast<size_t>(FaultVfs::MaxPathname()) - 8;
  if (path.size() >= limit) {
    openPath = ShortFormOf(path, folderFd);
    if (openPath.empty()) {
      throw base::RuntimeError(base::error::kFileNotFound,
                               "Could not open the database file '" + path + "': its path has " +
                                   std::to_string(path.size()) +
                                   " characters, and SQLite opens at most " +
                                   std::to_string(limit - 1) + ".");
    }
  }
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(openPath.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                           FaultVfs::Name());
  if (folderFd >= 0 && rc != SQLITE_OK) close(folderFd);
  if (rc != SQLITE_OK) {
    std::string message = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    sqlite3_close(db);
    if ((rc & 0xff) == SQLITE_IOERR) {
      throw base::RuntimeError(base::error::kDiskError,
                               "Disk or network error on '" + path + "' (" + message + ").");
    }
    throw base::RuntimeError(base::error::kFileNotFound,
                             "Could not open the database file '" + path + "': " + message + ".");
  }
  std::shared_ptr<SqliteConnection> connection(new SqliteConnection(db, path, lockWaitMs));
  connection->folderFd_ = folderFd;
  sqlite3_busy_timeout(db, lockWaitMs);
  sqlite3_extended_result_codes(db, 1);
  // Reading the schema proves that the file is a database we can use.
  int check = sqlite3_exec(db, "PRAGMA schema_version", nullptr, nullptr, nullptr);
  if ((check & 0xff) == SQLITE_READONLY || (check & 0xff) == SQLITE_CANTOPEN) {
    // SQLite cannot even read the file here: say why, and read a private copy
    // where that is safe, so the data can at least be seen.
    std::string cause = ReadOnlyCause(path);
    if (cause.empty()) connection->Fail(check, "");
    connection->Close();
    std::string copy = CopyForReading(path);
    if (copy.empty()) {
      throw base::RuntimeError(base::error::kReadOnly,
                               "Cannot open '" + path + "': " + cause + ".");
    }
    return OpenCopy(path, copy, cause, lockWaitMs);
  }
  if (check != SQLITE_OK) connection->Fail(check, "");
  // WAL lets other programs read while one writes. A file that cannot switch
  // (read-only, or held by a program in another mode) keeps its journal.
  sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
  connection->Execute("PRAGMA synchronous=NORMAL");
  if (const int pages = DBEngine::Instance()->FileCachePages(); pages >= 0) {
    connection->Execute("PRAGMA cache_size=" + std::to_string(pages));
  }
  return connection;
}

std::shared_ptr<Connection> SqliteConnection::OpenCopy(const std::string& path,
                                                       const std::string& copy,
                                                       const std::string& cause, int lockWaitMs) {
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(copy.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX,
                           FaultVfs::Name());
  std::shared_ptr<SqliteConnection> connection(new SqliteConnection(db, path, lockWaitMs));
  connection->copyFolder_ = std::filesystem::path(copy).parent_path().string();
  connection->readOnlyCause_ = cause;
  if (rc != SQLITE_OK) connection->Fail(rc, "");
  sqlite3_extended_result_codes(db, 1);
  connection->Execute("PRAGMA schema_version");
  return connection;
}

void SqliteConnection::Close() {
  if (db_ != nullptr) {
    statements_.clear();
    sqlite3_close_v2(db_);
    db_ = nullptr;
  }
  if (folderFd_ >= 0) {
    close(folderFd_);
    folderFd_ = -1;
  }
  if (!copyFolder_.empty()) {
    std::error_code ec;
    std::filesystem::remove_all(copyFolder_, ec);
    copyFolder_.clear();
  }
}

Statement& SqliteConnection::Prepare(const std::string& sql, const std::string& table) {
  assert(db_ != nullptr);
  auto found = statements_.find(sql);
  if (found != statements_.end()) return *found->second;
  sqlite3_stmt* stmt = nullptr;
  int rc = sqlite3_prepare_v3(db_, sql.c_str(), static_cast<int>(sql.size()),
                              SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
  if (rc != SQLITE_OK) Fail(rc, table);
  auto statement = std::make_unique<SqliteStatement>(*this, stmt, table);
  Statement& result = *statement;
  statements_.emplace(sql, std::move(statement));
  return result;
}

void SqliteConnection::Execute(const std::string& sql) {
  assert(db_ != nullptr);
  int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) Fail(rc, "");
}

void SqliteConnection::ExecuteQuietly(const std::string& sql) {
  if (db_ != nullptr) sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr);
}

void SqliteConnection::BeginWrite() {
  CheckFileInPlace();
  Execute("BEGIN IMMEDIATE");
}

void SqliteConnection::Commit(bool force) {
  // Writes made into a file that has since gone from its path are dropped,
  // not committed where no one will find them.
  try {
    CheckFileInPlace();
  } catch (const base::RuntimeError&) {
    ExecuteQuietly("ROLLBACK");
    ForgetRowCounts();
    throw;
  }
  Execute("COMMIT");
  if (force) SyncToDisk();
}

void SqliteConnection::SyncToDisk() {
  for (int op : {SQLITE_FCNTL_JOURNAL_POINTER, SQLITE_FCNTL_FILE_POINTER}) {
    sqlite3_file* file = nullptr;
    if (sqlite3_file_control(db_, "main", op, &file) == SQLITE_OK && file != nullptr &&
        file->pMethods != nullptr) {
      int rc = file->pMethods->xSync(file, SQLITE_SYNC_FULL);
      if (rc != SQLITE_OK) Fail(rc, "");
    }
  }
}

bool SqliteConnection::InTransaction() const {
  return db_ != nullptr && !sqlite3_get_autocommit(db_);
}

int64_t SqliteConnection::DataVersion() {
  Statement& statement = Prepare("PRAGMA data_version", "");
  StatementScope scope(statement);
  statement.Step();
  return statement.ColumnInt(0);
}

// SQLite's data version changes when another connection commits: while it
// stays the same, the table holds what it held.
std::optional<int64_t> SqliteConnection::CountRows(const std::string& table, std::string& stamp) {
  const std::string version = std::to_string(DataVersion());
  if (stamp == version) return std::nullopt;
  Statement& statement = Prepare("SELECT count(*) FROM " + QuoteName(table), table);
  StatementScope scope(statement);
  statement.Step();
  const int64_t counted = statement.ColumnInt(0);
  stamp = version;
  return counted;
}

void SqliteConnection::ForgetRowCounts() {
  Connection::ForgetRowCounts();
  ++rollbacks_;
}

uint64_t SqliteConnection::WriteEpoch() const {
  assert(db_ != nullptr);
  return static_cast<uint64_t>(sqlite3_total_changes64(db_)) + rollbacks_;
}

void SqliteConnection::CheckFileInPlace() const {
  // SQLite compares the inode of the file it holds open with the one its
  // path names now; a path that names nothing counts as moved.
  int moved = 0;
  if (db_ == nullptr || !readOnlyCause_.empty() ||
      sqlite3_file_control(db_, "main", SQLITE_FCNTL_HAS_MOVED, &moved) != SQLITE_OK ||
      moved == 0) {
    return;
  }
  throw base::RuntimeError(base::error::kDiskError,
                           "Disk or network error on '" + Path() +
                               "': the file was deleted, renamed or replaced since it was "
                               "opened, so nothing was written to it. Open the data folder again.");
}

void SqliteConnection::Fail(int rc, const std::string& table) const {
  // The connection's message, unless a reset since the failure has cleared it.
  std::string message = db_ != nullptr && sqlite3_errcode(db_) != SQLITE_OK ? sqlite3_errmsg(db_)
                                                                            : sqlite3_errstr(rc);
  std::string subject = table.empty() ? "The database" : "Table '" + table + "'";
  switch (rc & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      throw Locked(subject, Path(), LockWaitMs());
    case SQLITE_READONLY:
    case SQLITE_PERM: {
      if (!readOnlyCause_.empty()) {
        throw base::RuntimeError(base::error::kReadOnly,
                                 "Cannot write: '" + Path() +
                                     "' was opened for reading only, because " + readOnlyCause_ +
                                     ".");
      }
      std::string cause = ReadOnlyCause(Path());
      throw base::RuntimeError(base::error::kReadOnly,
                               "Cannot write: '" + Path() + "' is read-only (" +
                                   (cause.empty() ? message : cause) + ").");
    }
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
      throw base::RuntimeError(
          base::error::kBadFormat,
          "'" + Path() + "' is not a database file the record store can read (" + message + ").");
    case SQLITE_FULL:
      throw base::RuntimeError(base::error::kDiskFull, "Not enough space on the disk to write '" +
                                                           Path() + "' (" + message + ").");
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
      throw base::RuntimeError(base::error::kDiskError,
                               "Disk or network error on '" + Path() + "' (" + message + ").");
    default:
      throw base::RuntimeError(base::error::kEngineFailure,
                               subject + " in '" + Path() + "': " + message + ".");
  }
}

}  // namespace recordstore
