// The import tests' support (see the header).
#include "import_support.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/open_table.h"
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

std::map<std::string, std::string> Tree(const fs::path& folder) {
  std::map<std::string, std::string> tree;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    tree[fs::relative(entry.path(), folder).string()] =
        entry.is_directory() ? "" : testsupport::ReadText(entry.path().string());
  }
  return tree;
}

std::vector<std::string> Entries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& [name, bytes] : Tree(folder)) names.push_back(name);
  return names;
}

testsupport::ProgramRun Import(const std::string& source, const std::string& destination) {
  return testsupport::RunDataTool({"import", source, destination});
}

void ExpectStoreReadsTheSample(const std::string& file) {
  const testsupport::Opened users = testsupport::OpenTable(file, "Users", "PrimaryKey");
  recordstore::Recordset& rs = *users.recordset;
  rs.MoveLast();
  EXPECT_EQ(rs.Fields("UserName").Value().ToString(), "\u5f20\u4e09");
  EXPECT_EQ(rs.Fields("UserBirthday").Value().DateSerial(), 31764);  // 1986-12-18
  EXPECT_EQ(rs.Fields("UserMarried").Value().Type(), recordstore::VarType::Boolean);
  EXPECT_TRUE(rs.Fields("UserMarried").Value().ToBoolean());
  rs.MovePrevious();
  EXPECT_FALSE(rs.Fields("UserMarried").Value().ToBoolean());
}

}  // namespace importtest
