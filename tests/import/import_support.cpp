// The import tests' support (see the header).
#include "import_support.h"

#include <algorithm>
#include <fstream>

#include "support/temp_folder.h"

namespace importtest {

namespace fs = std::filesystem;

std::string SamplePath() { return std::string(DORVANE_TEST_DATA) + "/node-adodb.mdb"; }

std::string SampleBytes() {
  std::string bytes = testsupport::ReadText(SamplePath());
  if (bytes.size() != 200704) throw std::runtime_error("the sample file is missing or changed");
  return bytes;
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::vector<std::string> Entries(const fs::path& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

testsupport::ProgramRun Import(const std::string& source, const std::string& destination) {
  return testsupport::RunDataTool({"import", source, destination});
}

}  // namespace importtest
