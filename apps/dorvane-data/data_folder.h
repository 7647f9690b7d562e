// The data folder on disk: creating it (and removing what was made after a
// failure), finding the database files it already
// holds (names compared without regard to case, as the record store opens
// them), checking that no program has one open, and putting newly built files
// in their place. Relies on std::filesystem and sqlite_file.h.
#pragma once

#include <filesystem>
#include <string_view>
#include <vector>

namespace dorvanedata {

inline constexpr std::string_view kMainFile = "MAIN.MDB";
inline constexpr std::string_view kSettingsFile = "QRLSYS.mdb";

// The folders that must be made for `folder` to exist, outermost first.
std::vector<std::filesystem::path> MissingFolders(std::filesystem::path folder);

// Creates the folder and its parents when missing and returns the folders it
// made (as MissingFolders); throws ToolError when the path names something
// other than a folder or cannot be created.
std::vector<std::filesystem::path> MakeFolder(const std::filesystem::path& folder);

// Removes the folders made for a destination (as MissingFolders gives them),
// innermost first and each only when empty, after a failure; a folder that
// cannot go stays.
void RemoveEmptyFolders(const std::vector<std::filesystem::path>& folders);

// Returns the files of the folder named `name` in any mix of case.
std::vector<std::filesystem::path> FilesNamed(const std::filesystem::path& folder,
                                              std::string_view name);

// Throws ToolError when another program has the database file open.
void CheckNotInUse(const std::filesystem::path& file);

// Removes every file named `name` (any case) and its journal, WAL and shared
// memory files.
void RemoveDatabase(const std::filesystem::path& folder, std::string_view name);

// The folder's file name for a database while it is being built.
std::filesystem::path BuildingPath(const std::filesystem::path& folder, std::string_view name);

// Moves a finished file from its building name to `name`, replacing any
// version of it (in any case) that the folder holds.
void InstallDatabase(const std::filesystem::path& folder, std::string_view name);

}  // namespace dorvanedata
