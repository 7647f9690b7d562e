// Support of the import tests: the sample classic file of tests/data (a Jet 4
// file with the table Users), copies of it written where a test needs them,
// damaged or not, and runs of `dorvane-data import`. Relies on the shared test
// support's program runner and temporary folders.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/programs.h"

namespace importtest {

// The sample file's path and its bytes.
std::string SamplePath();
std::string SampleBytes();

// Writes `bytes` to `path`, making its folder when missing.
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);

// Every file and folder below `folder` by its relative path, with a file's
// bytes (a folder's entry is empty): what a refused import must leave as it was.
std::map<std::string, std::string> Tree(const std::filesystem::path& folder);

// The relative paths of Tree(folder), sorted.
std::vector<std::string> Entries(const std::filesystem::path& folder);

// Runs `dorvane-data import source destination`.
testsupport::ProgramRun Import(const std::string& source, const std::string& destination);

// Opens Users of the imported sample `file` (a data file, or URI\MAIN.MDB)
// through the record store and checks its values (the declared types and
// widths are read by the store's own tests).
void ExpectStoreReadsTheSample(const std::string& file);

}  // namespace importtest
