// The second program of the soak: a process of its own that keeps changing a
// data folder's files while the control works on them: rows added to and
// removed from the working list, companies renamed, lists saved and deleted
// the way the control saves them, and writes of a value of another type that
// the layout refuses. A write the files refuse (a lock, a CHECK on the stored
// type) is an accepted outcome. Relies on fork and tests/support's SqlFile.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

namespace soak {

// Starts the writer on the folder's MAIN.MDB and QRLSYS.mdb, its choices drawn
// from `seed`; returns its process.
pid_t StartWriter(const std::string& folder, uint64_t seed);

// Tells the writer to stop (a file `folder`.stop), waits for it and returns
// what went wrong in it ("" when nothing did): an error other than a lock or a
// refused type.
std::string StopWriter(const std::string& folder, pid_t writer);

}  // namespace soak
