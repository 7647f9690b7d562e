// The data files as the file system hands them to the control: an empty file
// (another program still copying it) is refused and left empty, a data folder
// named in another case reaches both files by one rule, a folder deleted,
// renamed or replaced while open takes no writes, and a folder the user may
// not write or a read-only shared-memory file left behind still show the
// list, while a write names the real cause. Tests run as root, so the
// read-only cases drop to the user nobody in a forked child.
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "control_fixture.h"
#include "writing_actions.h"

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
  EXPECT_EQ(Told(), "");
  EXPECT_EQ(State("JobNoSize"), "6");
  EXPECT_EQ(State("ConnectionReady"), "True");
  EXPECT_TRUE(desktop.FileExists(root.File("casedir\\DATA\\qrlsys.MDB")));
  EXPECT_FALSE(desktop.FileExists(root.File("casedir/DATA")));  // a folder is no file
}

TEST_F(DataFilesTest, AFolderPathBeyondSQLitesLimitOpensAndWrites) {
  // The data tool cannot make it there, so a folder made nearby is moved in.
  const std::string made = MakeFolder("short", {"--list", "3", "--today", "2024-03-06"});
  std::string folder = root.Path();
  while (folder.size() < 600) folder += "/a-folder-with-a-name-of-forty-characters";
  fs::create_directories(folder);
  fs::rename(made, folder + "/data");
  const std::string data = folder + "/data";
  ASSERT_GT(data.size() + 9, 600u);
  control->SetPathText(data);
  EXPECT_EQ(Caption("lblJOBNO", 0), "   JK999");
  screen::PressKey('D', 0);
  EXPECT_EQ(Told(), "");
  auto workspace = recordstore::DBEngine::Instance()->CreateWorkspace("wksCHECK");
  auto list = workspace->OpenDatabase(data + "\\MAIN.MDB")->OpenRecordset("TJLIST");
  EXPECT_EQ(list->RecordCount(), 2);
}

// The data folder goes while the control has it open: a save and an add each
// report the disk error naming MAIN.MDB, no "saved" notice shows, and the files
// the folder's path now names (a copy put in its place) or the old ones moved
// elsewhere are unchanged. Opened again, a replaced folder takes the save.
TEST_F(DataFilesTest, AWriteIntoAFolderDeletedRenamedOrReplacedSinceItOpenedIsRefused) {
  struct Change {
    const char* what;
    std::function<void(const std::string&)> make;
    const char* filesNow;  // files that must stay unchanged: in the path plus this (none: deleted)
  };
  const Change changes[] = {
      {"deleted", [](const std::string& data) { fs::remove_all(data); }, nullptr},
      {"renamed", [](const std::string& data) { fs::rename(data, data + "-moved"); }, "-moved"},
      {"replaced by a copy",
       [](const std::string& data) {
         fs::copy(data, data + "-copy", fs::copy_options::recursive);
         fs::remove_all(data);
         fs::rename(data + "-copy", data);
       },
       ""},
  };
  for (const Change& change : changes) {
    SCOPED_TRACE(change.what);
    const std::string data = MakeFolder(change.what, {"--today", "2024-03-06"});
    const std::string before = ListTables(data);
    OpenAfresh(data);
    change.make(data);
    writingactions::SaveAs(*control, "Spring, revised");
    screen::PressKey('A', 0);
    Type("12\rej916\r\r");  // company 12 and job EJ916 exist in the data made
    ASSERT_EQ(desktop.errors.size(), 2u);
    for (const auto& error : desktop.errors) {
      EXPECT_EQ(error.Number(), 3043);
      EXPECT_NE(error.Description().find("MAIN.MDB': the file was deleted, renamed or replaced"),
                std::string::npos)
          << error.Description();
    }
    EXPECT_TRUE(desktop.messageBoxes.empty()) << desktop.messageBoxes[0].prompt;
    if (change.filesNow != nullptr) {
      EXPECT_EQ(ListTables(data + change.filesNow), before);
    }
    desktop.errors.clear();
  }
  OpenAfresh(root.File("replaced by a copy"));
  writingactions::SaveAs(*control, "Spring, revised");
  EXPECT_TRUE(desktop.errors.empty());
  ASSERT_EQ(desktop.messageBoxes.size(), 1u);
  EXPECT_EQ(desktop.messageBoxes[0].prompt, "This List has Been Saved.");
}

// Runs `body` as the user nobody in a child process and returns what it
// wrote; without root it runs here, as the user the test already is.
std::string AsOtherUser(const std::function<std::string()>& body) {
  if (geteuid() != 0) return body();
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return "(no pipe)";
  const pid_t pid = fork();
  if (pid == 0) {
    close(pipeEnds[0]);
    std::string text = setgid(65534) == 0 && setuid(65534) == 0 ? body() : "(setuid failed)";
    const ssize_t written = write(pipeEnds[1], text.data(), text.size());
    _exit(written == static_cast<ssize_t>(text.size()) ? 0 : 1);
  }
  close(pipeEnds[1]);
  std::string text;
  char buffer[512];
  for (ssize_t got; (got = read(pipeEnds[0], buffer, sizeof buffer)) > 0;) text.append(buffer, got);
  close(pipeEnds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  return text;
}

class ReadOnlyTest : public DataFilesTest {
 protected:
  void SetUp() override {
    DataFilesTest::SetUp();
    fs::permissions(root.Path(), fs::perms::all, fs::perm_options::add);
    data = MakeFolder("data", {"--list", "3", "--today", "2024-03-06"});
    for (const char* file : {"", "/MAIN.MDB", "/QRLSYS.mdb"}) {
      fs::permissions(data + file, fs::perms::all, fs::perm_options::add);
    }
  }
  void TearDown() override {
    fs::permissions(data, fs::perms::all, fs::perm_options::add);
    DataFilesTest::TearDown();
  }

  // The first job shown, then what D (delete) told the user, as the other user sees it.
  std::string ShowThenDelete() {
    return AsOtherUser([&] {
      control->SetPathText(data);
      std::string seen = Caption("lblJOBNO", 0) + "|" + std::to_string(desktop.messageBoxes.size());
      screen::PressKey('D', 0);
      for (const auto& error : desktop.errors) {
        seen += "|" + std::to_string(error.Number()) + " " + error.Description();
      }
      control.reset();  // closes the files (and removes a private copy) before the child ends
      return seen;
    });
  }
  std::string Rows() {
    return testsupport::SqlFile(data + "/MAIN.MDB").Value("SELECT count(*) FROM TJLIST");
  }

  std::string data;
};

TEST_F(ReadOnlyTest, AFolderTheUserMayNotWriteShowsTheListAndNamesTheFolder) {
  fs::permissions(data, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  const std::string seen = ShowThenDelete();
  EXPECT_EQ(seen.substr(0, seen.find('|', seen.find('|') + 1)), "   JK999|0") << seen;
  EXPECT_NE(seen.find("|3027 "), std::string::npos) << seen;
  EXPECT_NE(seen.find("opened for reading only"), std::string::npos) << seen;
  EXPECT_NE(seen.find("the folder '" + fs::canonical(data).string() + "' may not be written"),
            std::string::npos)
      << seen;
  EXPECT_EQ(Rows(), "3");
  EXPECT_FALSE(fs::exists(data + "/MAIN.MDB-shm"));  // nothing was made beside the file
}

TEST_F(ReadOnlyTest, AReadOnlySharedMemoryFileIsNamed) {
  std::ofstream(data + "/MAIN.MDB-shm").close();
  fs::permissions(data + "/MAIN.MDB-shm",
                  fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const std::string seen = ShowThenDelete();
  EXPECT_EQ(seen.rfind("   JK999|0", 0), 0u) << seen;
  EXPECT_NE(seen.find("|3027 "), std::string::npos) << seen;
  EXPECT_NE(seen.find("shared-memory file"), std::string::npos) << seen;
  EXPECT_EQ(Rows(), "3");
}

}  // namespace
