// Fuzzes the store's path resolution with path texts of any shape: slashes,
// backslashes, dots, long names, case, no extension. Resolution only reads
// the disk; its one run-time error is 3024 (file not found), and a path it
// gives back exists.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "services/base/runtime_error.h"
#include "services/recordstore/database_path.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string given(reinterpret_cast<const char*>(data), size);
  try {
    const std::string path = recordstore::ResolveDatabasePath(given);
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) __builtin_trap();
  } catch (const base::RuntimeError& e) {
    if (e.Number() != 3024) throw;
  }
  return 0;
}
