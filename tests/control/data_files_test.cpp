// The data files as the file system hands them to the control: an empty file
// (another program still copying it) is refused and left empty, and a data
// folder named in another case reaches both files by one rule.
#include <filesystem>
#include <fstream>

#include "control_fixture.h"

namespace {

namespace fs = std::filesystem;
using DataFilesTest = ControlTest;

TEST_F(DataFilesTest, AnEmptyFileIsRefusedAndLeftEmpty) {
  for (const char* file : {"MAIN.MDB", "QRLSYS.mdb"}) {
    desktop.messageBoxes.clear();
    const std::string data = MakeFolder(std::string("data-") + file);
    fs::resize_file(fs::path(data) / file, 0);
    NewControl();
    control->SetPathText(data);
    ASSERT_EQ(desktop.messageBoxes.size(), 1u) << file;
    EXPECT_EQ(desktop.messageBoxes[0].title, "wqHalvine.ocx Error");
    EXPECT_EQ(desktop.messageBoxes[0].prompt.rfind("3343 ", 0), 0u)
        << desktop.messageBoxes[0].prompt;
    EXPECT_NE(desktop.messageBoxes[0].prompt.find(file), std::string::npos);
    EXPECT_EQ(State("ConnectionReady"), "False");
    EXPECT_EQ(fs::file_size(fs::path(data) / file), 0u) << file;
    EXPECT_FALSE(fs::exists(fs::path(data) / (std::string(file) + "-wal"))) << file;
  }
}

TEST_F(DataFilesTest, AFolderNamedInAnotherCaseReachesBothFiles) {
  fs::create_directories(root.File("CaseDir"));
  MakeFolder("CaseDir/data", {"--jobno-size", "6"});
  control->SetPathText(root.File("casedir/DATA"));
  EXPECT_TRUE(desktop.messageBoxes.empty())
      << desktop.messageBoxes[0].title << ": " << desktop.messageBoxes[0].prompt;
  EXPECT_EQ(State("JobNoSize"), "6");
  EXPECT_EQ(State("ConnectionReady"), "True");
  EXPECT_TRUE(desktop.FileExists(root.File("casedir\\DATA\\qrlsys.MDB")));
  EXPECT_FALSE(desktop.FileExists(root.File("casedir/DATA")));  // a folder is no file
}

}  // namespace
