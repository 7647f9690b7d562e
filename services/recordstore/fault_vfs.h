// FaultVfs: the SQLite VFS every connection of the record store opens its
// files through. It passes each call to the system's default VFS, and can be
// armed (by tests) to fail the N-th read, write, sync or lock with an I/O error
// or a full disk, so that the store's answer to a failing disk can be tested
// at every step of a write. Unarmed, it forwards. It also keeps the short
// form of a path that reaches a long folder through an open descriptor.
// Relies on the SQLite C interface.
#pragma once

namespace recordstore {

class FaultVfs {
 public:
  // The kinds of file call that can be made to fail.
  enum class Call { kRead, kWrite, kSync, kLock };

  // The name the store passes to sqlite3_open_v2; registers the VFS (not as
  // the default) on the first call.
  static const char* Name();
  // The longest file path the default VFS accepts.
  static int MaxPathname();
  // Paths that start so name a file in a folder the process holds open; the
  // VFS keeps them as they are instead of following the link.
  static constexpr const char* kHeldFolderPrefix = "/proc/self/fd/";

  // From now on the `nth` call (1-based) of `call` fails with SQLite result
  // `code` (an SQLITE_IOERR_* code or SQLITE_FULL); with `persistent` every
  // later one fails too. Resets the count of calls.
  static void Arm(Call call, int nth, int code, bool persistent = false);
  // Stops failing; the counts stay readable.
  static void Disarm();
  // Calls of the armed kind since Arm.
  static int Calls();
  // True once the armed failure has been returned.
  static bool Fired();
};

}  // namespace recordstore
