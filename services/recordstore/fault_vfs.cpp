// FaultVfs over the default VFS: the VFS object copies the default one with
// its own xOpen, and each file it opens wraps the default VFS's file, placed
// right after the wrapper in the memory SQLite allocates. Every file method
// forwards; reads, writes (and truncations), syncs and locks (file and shared
// memory) are counted while armed and the chosen one fails.
#include "services/recordstore/fault_vfs.h"

#include <sqlite3.h>

#include <atomic>
#include <cassert>
#include <mutex>
#include <string_view>

namespace recordstore {
namespace {

// What is armed. Only the one armed kind is counted.
std::atomic<bool> armed{false};
std::atomic<int> armedCall{0};
std::atomic<int> failAt{0};
std::atomic<int> failCode{SQLITE_IOERR};
std::atomic<bool> failPersists{false};
std::atomic<int> calls{0};
std::atomic<bool> fired{false};

// Counts a call of kind `call`; returns the failure to give, or SQLITE_OK.
int Check(FaultVfs::Call call) {
  if (!armed.load() || armedCall.load() != static_cast<int>(call)) return SQLITE_OK;
  int n = ++calls;
  int at = failAt.load();
  if (at <= 0 || n < at || (n > at && !failPersists.load())) return SQLITE_OK;
  fired = true;
  return failCode.load();
}

// The SQLite error code for an armed I/O error of a call: the extended code
// of that call when the armed code is the plain SQLITE_IOERR.
int CodeFor(int rc, int extended) { return rc == SQLITE_IOERR ? extended : rc; }

struct FaultFile {
  sqlite3_file base;
  sqlite3_file* real;  // the default VFS's file, right after this struct
};

sqlite3_file* Real(sqlite3_file* file) { return reinterpret_cast<FaultFile*>(file)->real; }

int Close(sqlite3_file* file) { return Real(file)->pMethods->xClose(Real(file)); }

int Read(sqlite3_file* file, void* buffer, int amount, sqlite3_int64 offset) {
  if (int rc = Check(FaultVfs::Call::kRead)) return CodeFor(rc, SQLITE_IOERR_READ);
  return Real(file)->pMethods->xRead(Real(file), buffer, amount, offset);
}

int Write(sqlite3_file* file, const void* buffer, int amount, sqlite3_int64 offset) {
  if (int rc = Check(FaultVfs::Call::kWrite)) return CodeFor(rc, SQLITE_IOERR_WRITE);
  return Real(file)->pMethods->xWrite(Real(file), buffer, amount, offset);
}

int Truncate(sqlite3_file* file, sqlite3_int64 size) {
  if (int rc = Check(FaultVfs::Call::kWrite)) return CodeFor(rc, SQLITE_IOERR_TRUNCATE);
  return Real(file)->pMethods->xTruncate(Real(file), size);
}

int Sync(sqlite3_file* file, int flags) {
  if (int rc = Check(FaultVfs::Call::kSync)) return CodeFor(rc, SQLITE_IOERR_FSYNC);
  return Real(file)->pMethods->xSync(Real(file), flags);
}

int FileSize(sqlite3_file* file, sqlite3_int64* size) {
  return Real(file)->pMethods->xFileSize(Real(file), size);
}

int Lock(sqlite3_file* file, int level) {
  if (int rc = Check(FaultVfs::Call::kLock)) return CodeFor(rc, SQLITE_IOERR_LOCK);
  return Real(file)->pMethods->xLock(Real(file), level);
}

int Unlock(sqlite3_file* file, int level) {
  return Real(file)->pMethods->xUnlock(Real(file), level);
}

int CheckReservedLock(sqlite3_file* file, int* out) {
  return Real(file)->pMethods->xCheckReservedLock(Real(file), out);
}

int FileControl(sqlite3_file* file, int op, void* arg) {
  return Real(file)->pMethods->xFileControl(Real(file), op, arg);
}

int SectorSize(sqlite3_file* file) { return Real(file)->pMethods->xSectorSize(Real(file)); }

int DeviceCharacteristics(sqlite3_file* file) {
  return Real(file)->pMethods->xDeviceCharacteristics(Real(file));
}

int ShmMap(sqlite3_file* file, int page, int size, int extend, void volatile** out) {
  return Real(file)->pMethods->xShmMap(Real(file), page, size, extend, out);
}

int ShmLock(sqlite3_file* file, int offset, int n, int flags) {
  // Only taking a lock can fail; releasing one always succeeds.
  if ((flags & SQLITE_SHM_LOCK) != 0) {
    if (int rc = Check(FaultVfs::Call::kLock)) return CodeFor(rc, SQLITE_IOERR_SHMLOCK);
  }
  return Real(file)->pMethods->xShmLock(Real(file), offset, n, flags);
}

void ShmBarrier(sqlite3_file* file) { Real(file)->pMethods->xShmBarrier(Real(file)); }

int ShmUnmap(sqlite3_file* file, int deleteFlag) {
  return Real(file)->pMethods->xShmUnmap(Real(file), deleteFlag);
}

int Fetch(sqlite3_file* file, sqlite3_int64 offset, int amount, void** out) {
  return Real(file)->pMethods->xFetch(Real(file), offset, amount, out);
}

int Unfetch(sqlite3_file* file, sqlite3_int64 offset, void* pointer) {
  return Real(file)->pMethods->xUnfetch(Real(file), offset, pointer);
}

// The methods of a wrapped file; SQLite reads iVersion to know which exist.
const sqlite3_io_methods kMethods = {3,
                                     Close,
                                     Read,
                                     Write,
                                     Truncate,
                                     Sync,
                                     FileSize,
                                     Lock,
                                     Unlock,
                                     CheckReservedLock,
                                     FileControl,
                                     SectorSize,
                                     DeviceCharacteristics,
                                     ShmMap,
                                     ShmLock,
                                     ShmBarrier,
                                     ShmUnmap,
                                     Fetch,
                                     Unfetch};

// The same for a file whose default methods are of version 1 or 2 (no shared
// memory, no memory map): SQLite then never calls the later ones.
const sqlite3_io_methods kMethodsV1 = {1,
                                       Close,
                                       Read,
                                       Write,
                                       Truncate,
                                       Sync,
                                       FileSize,
                                       Lock,
                                       Unlock,
                                       CheckReservedLock,
                                       FileControl,
                                       SectorSize,
                                       DeviceCharacteristics,
                                       nullptr,
                                       nullptr,
                                       nullptr,
                                       nullptr,
                                       nullptr,
                                       nullptr};

sqlite3_vfs* DefaultVfs(sqlite3_vfs* vfs) { return static_cast<sqlite3_vfs*>(vfs->pAppData); }

// Opens the file through the default VFS and wraps it. A file it leaves
// without methods (a failed open) is left without them too, so SQLite does not
// close it.
int Open(sqlite3_vfs* vfs, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags) {
  auto* wrapper = reinterpret_cast<FaultFile*>(file);
  wrapper->real = reinterpret_cast<sqlite3_file*>(wrapper + 1);
  wrapper->real->pMethods = nullptr;
  sqlite3_vfs* inner = DefaultVfs(vfs);
  int rc = inner->xOpen(inner, name, wrapper->real, flags, outFlags);
  const sqlite3_io_methods* methods = wrapper->real->pMethods;
  wrapper->base.pMethods = methods == nullptr       ? nullptr
                           : methods->iVersion >= 3 ? &kMethods
                                                    : &kMethodsV1;
  return rc;
}

int Delete(sqlite3_vfs* vfs, const char* name, int syncDir) {
  return DefaultVfs(vfs)->xDelete(DefaultVfs(vfs), name, syncDir);
}

int Access(sqlite3_vfs* vfs, const char* name, int flags, int* out) {
  return DefaultVfs(vfs)->xAccess(DefaultVfs(vfs), name, flags, out);
}

int FullPathname(sqlite3_vfs* vfs, const char* name, int size, char* out) {
  // A file reached through a folder held open (/proc/self/fd/N/NAME, the short
  // form of a path longer than SQLite's limit) keeps that form: the default VFS
  // would follow the link back to the long path.
  const std::string_view held = FaultVfs::kHeldFolderPrefix;
  const std::string_view given(name);
  if (given.substr(0, held.size()) == held && given.size() < static_cast<size_t>(size)) {
    given.copy(out, given.size());
    out[given.size()] = '\0';
    return SQLITE_OK;
  }
  return DefaultVfs(vfs)->xFullPathname(DefaultVfs(vfs), name, size, out);
}

void* DlOpen(sqlite3_vfs* vfs, const char* name) {
  return DefaultVfs(vfs)->xDlOpen(DefaultVfs(vfs), name);
}

void DlError(sqlite3_vfs* vfs, int size, char* out) {
  DefaultVfs(vfs)->xDlError(DefaultVfs(vfs), size, out);
}

void (*DlSym(sqlite3_vfs* vfs, void* handle, const char* symbol))(void) {
  return DefaultVfs(vfs)->xDlSym(DefaultVfs(vfs), handle, symbol);
}

void DlClose(sqlite3_vfs* vfs, void* handle) { DefaultVfs(vfs)->xDlClose(DefaultVfs(vfs), handle); }

int Randomness(sqlite3_vfs* vfs, int size, char* out) {
  return DefaultVfs(vfs)->xRandomness(DefaultVfs(vfs), size, out);
}

int Sleep(sqlite3_vfs* vfs, int microseconds) {
  return DefaultVfs(vfs)->xSleep(DefaultVfs(vfs), microseconds);
}

int CurrentTime(sqlite3_vfs* vfs, double* out) {
  return DefaultVfs(vfs)->xCurrentTime(DefaultVfs(vfs), out);
}

int GetLastError(sqlite3_vfs* vfs, int size, char* out) {
  return DefaultVfs(vfs)->xGetLastError(DefaultVfs(vfs), size, out);
}

int CurrentTimeInt64(sqlite3_vfs* vfs, sqlite3_int64* out) {
  return DefaultVfs(vfs)->xCurrentTimeInt64(DefaultVfs(vfs), out);
}

sqlite3_vfs faultVfs;

// Registers the VFS once, over whatever the default VFS is then.
void Register() {
  static std::once_flag once;
  std::call_once(once, [] {
    sqlite3_initialize();
    sqlite3_vfs* inner = sqlite3_vfs_find(nullptr);
    assert(inner != nullptr && inner->iVersion >= 2);
    faultVfs = sqlite3_vfs{};
    faultVfs.iVersion = 2;
    faultVfs.szOsFile = static_cast<int>(sizeof(FaultFile)) + inner->szOsFile;
    faultVfs.mxPathname = inner->mxPathname;
    faultVfs.zName = "dorvane-fault";
    faultVfs.pAppData = inner;
    faultVfs.xOpen = Open;
    faultVfs.xDelete = Delete;
    faultVfs.xAccess = Access;
    faultVfs.xFullPathname = FullPathname;
    faultVfs.xDlOpen = DlOpen;
    faultVfs.xDlError = DlError;
    faultVfs.xDlSym = DlSym;
    faultVfs.xDlClose = DlClose;
    faultVfs.xRandomness = Randomness;
    faultVfs.xSleep = Sleep;
    faultVfs.xCurrentTime = CurrentTime;
    faultVfs.xGetLastError = GetLastError;
    faultVfs.xCurrentTimeInt64 = CurrentTimeInt64;
    sqlite3_vfs_register(&faultVfs, 0);
  });
}

}  // namespace

const char* FaultVfs::Name() {
  Register();
  return faultVfs.zName;
}

int FaultVfs::MaxPathname() {
  Register();
  return faultVfs.mxPathname;
}

void FaultVfs::Arm(Call call, int nth, int code, bool persistent) {
  armed = false;
  armedCall = static_cast<int>(call);
  failAt = nth;
  failCode = code;
  failPersists = persistent;
  calls = 0;
  fired = false;
  armed = true;
}

void FaultVfs::Disarm() { armed = false; }

int FaultVfs::Calls() { return calls.load(); }

bool FaultVfs::Fired() { return fired.load(); }

}  // namespace recordstore
