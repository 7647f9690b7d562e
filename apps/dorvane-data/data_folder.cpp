// Folder and file handling for `init`. New files are built under a temporary
// name beside the old ones and renamed into place only when complete, so a
// failure part-way leaves the folder as it was.
#include "data_folder.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cctype>

#include "services/base/text_case.h"
#include "sqlite_file.h"

namespace dorvanedata {
namespace fs = std::filesystem;
namespace {

// Removes the files named name & suffix (any case), except `keep`.
void RemoveVariants(const fs::path& folder, std::string_view name, const fs::path& keep) {
  constexpr std::array<std::string_view, 4> kSuffixes = {"", "-wal", "-shm", "-journal"};
  for (std::string_view suffix : kSuffixes) {
    for (const fs::path& file : FilesNamed(folder, std::string(name) + std::string(suffix))) {
      if (file == keep) continue;
      std::error_code error;
      fs::remove(file, error);
      if (error) throw ToolError("cannot remove " + file.string() + ": " + error.message());
    }
  }
}

}  // namespace

std::vector<fs::path> MissingFolders(fs::path folder) {
  std::vector<fs::path> missing;
  std::error_code error;
  if (folder.empty()) return missing;
  folder = fs::absolute(folder, error);
  while (!folder.empty() && !fs::exists(folder, error) && folder != folder.parent_path()) {
    missing.insert(missing.begin(), folder);
    folder = folder.parent_path();
  }
  return missing;
}

std::vector<fs::path> MakeFolder(const fs::path& folder) {
  std::error_code error;
  if (fs::exists(folder, error) && !fs::is_directory(folder, error)) {
    throw ToolError(folder.string() + " exists and is not a folder");
  }
  std::vector<fs::path> made = MissingFolders(folder);
  fs::create_directories(folder, error);
  if (error) {
    RemoveEmptyFolders(made);
    throw ToolError("cannot create the folder " + folder.string() + ": " + error.message());
  }
  return made;
}

void RemoveEmptyFolders(const std::vector<fs::path>& folders) {
  for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder) {
    std::error_code error;
    fs::remove(*folder, error);  // only an empty folder goes
  }
}

std::vector<fs::path> FilesNamed(const fs::path& folder, std::string_view name) {
  std::vector<fs::path> files;
  std::error_code error;
  const std::string wanted = base::LowerAscii(name);
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    if (base::LowerAscii(entry.path().filename().string()) == wanted) files.push_back(entry.path());
  }
  if (error) throw ToolError("cannot read the folder " + folder.string() + ": " + error.message());
  std::sort(files.begin(), files.end());
  return files;
}

void CheckNotInUse(const fs::path& file) {
  // An exclusive lock is refused while any other connection has the file open
  // (in WAL mode every open connection holds a shared lock on it).
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  if (rc == SQLITE_OK) {
    sqlite3_busy_timeout(db, 500);
    rc = sqlite3_exec(db, "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; COMMIT;", nullptr,
                      nullptr, nullptr);
  }
  sqlite3_close(db);
  // Other failures (not a database, unreadable) do not mean the file is in use.
  if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
    throw ToolError(file.string() + " is in use by another program; close it and try again");
  }
}

void RemoveDatabase(const fs::path& folder, std::string_view name) {
  RemoveVariants(folder, name, fs::path());
}

fs::path BuildingPath(const fs::path& folder, std::string_view name) {
  return folder / ("." + std::string(name) + ".building");
}

void InstallDatabase(const fs::path& folder, std::string_view name) {
  // The old file of exactly this name is replaced by the rename itself; its
  // WAL and the other spellings of the name go first, since SQLite would
  // replay a leftover WAL into the new file.
  const fs::path target = folder / name;
  RemoveVariants(folder, name, target);
  std::error_code error;
  fs::rename(BuildingPath(folder, name), target, error);
  if (error) {
    throw ToolError("cannot rename the new " + std::string(name) + " into " + folder.string() +
                    ": " + error.message());
  }
}

}  // namespace dorvanedata
