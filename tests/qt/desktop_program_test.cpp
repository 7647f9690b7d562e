// The demo host as a program, on Qt's offscreen platform: a script replayed
// in the window has the same output and leaves the same tables as
// dorvane-script, and its screenshot shows the highlighted row where the row
// is and the open dialog beside the window; a wrong folder's box is a line
// and a failure, script errors end the replay as in the scripted host, and
// without a display the program says so in one line.
#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "qt_test_support.h"
#include "support/sql_file.h"

namespace {

using qttest::StoredColourAt;
using testsupport::ProgramRun;
using testsupport::RunProgram;

constexpr int kWindowWidth = 8535 / 15;

// The bounding box of the pixels of one exact colour, left of `right`.
QRect BoxOf(const QImage& image, uint32_t colour, int right) {
  QRect box;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < std::min(right, image.width()); ++x) {
      if (StoredColourAt(image, x, y) == colour) box |= QRect(x, y, 1, 1);
    }
  }
  return box;
}

// Adds a job through the company and job searches, moves down a row and ends
// with the company search open.
const char* const kScript =
    "today 2024-03-06\nlet PathText data\npress A\ntype ?\ntype 1\npress Enter\npress Enter\n"
    "type ?\npress Enter\npress Enter\nstate EntryValid\npress Enter\nget IsListOK\n"
    "sql MAIN \"SELECT count(*) FROM TJLIST\"\npress Down\nstate CurrentRow\n"
    "opensearch data MAIN COLIST \"CONO|CONAME\" \"Search Company Numbers\" \"Company Numbers\" "
    "\"CONO|CONAME\" \"N|C\" \"2|30\" \"Co. #|Company Name\" \"600|4000\" \"0|0\" 1\n";

TEST(DesktopProgram, AReplayedScriptMatchesTheScriptedHostAndItsPictureShowsRowAndDialog) {
  testsupport::TempFolder scratch;
  for (const std::string host : {"desktop", "script"}) {
    testsupport::MakeDataFolder(scratch.File(host + "/data"),
                                {"--companies", "12", "--jobs", "60", "--list", "6", "--weeks",
                                 "20", "--today", "2024-03-06"});
    std::ofstream(scratch.File(host + "/add.script")) << kScript;
  }
  const ProgramRun reference = RunProgram("dorvane-script", {"add.script"}, scratch.File("script"));
  ASSERT_EQ(reference.status, 0) << reference.err;
  ASSERT_NE(reference.out.find("ROW 7\n"), std::string::npos) << "a row added to six";
  const ProgramRun desktop =
      RunProgram("dorvane-desktop", {"--script", "add.script", "--screenshot", "shot.png"},
                 scratch.File("desktop"));
  ASSERT_EQ(desktop.status, 0) << desktop.err;
  EXPECT_EQ(desktop.out, reference.out);
  auto dump = [&](const std::string& host) {
    return testsupport::SqlFile(scratch.File(host + "/data/MAIN.MDB"))
        .Dump("SELECT * FROM TJLIST ORDER BY rowid");
  };
  EXPECT_EQ(dump("desktop"), dump("script"));
  // The yellow box is one list row, `row` rows below the column headers
  // (header top 420 twips, rows from 660 by 270 twips, the next row on top).
  const size_t at = reference.out.find("CurrentRow = ");
  ASSERT_NE(at, std::string::npos);
  const int row = std::stoi(reference.out.substr(at + 13));
  const QImage image(scratch.File("desktop/shot.png").c_str());
  const QRect yellow = BoxOf(image, 0x0000FFFF, kWindowWidth);
  ASSERT_FALSE(yellow.isNull()) << "no highlighted row";
  EXPECT_EQ(yellow.width(), (8175 - 75) / 15);
  EXPECT_EQ(yellow.height(), 270 / 15);
  const int headerTop = yellow.top() - (660 + 270 * row - 420) / 15;
  EXPECT_EQ(StoredColourAt(image, yellow.left() + 41, headerTop + 8), 0x00E0E0E0u)
      << "the column header stands above the rows";
  EXPECT_EQ(StoredColourAt(image, yellow.left() + 2, yellow.bottom() + 6), 0x00FFFFFFu)
      << "the next row is white";
  // The dialog's pale cyan stands beside the window.
  const QRect cyan = BoxOf(image, 0x00FFFFC0, image.width());
  ASSERT_FALSE(cyan.isNull()) << "the dialog is in the picture";
  EXPECT_GE(cyan.left(), kWindowWidth);
}

TEST(DesktopProgram, FailuresAreALineAndAStatus) {
  testsupport::TempFolder scratch;
  // Qt's own options pass; a wrong folder's box is a line, the picture is still taken.
  ProgramRun run = RunProgram(
      "dorvane-desktop", {"-platform", "offscreen", "--screenshot", "shot.png", "no-such-folder"},
      scratch.Path(), "");
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.out.find("MSGBOX style=16 title=\"wqHalvine.ocx Error\""), std::string::npos)
      << run.out;
  EXPECT_TRUE(std::filesystem::exists(scratch.File("shot.png")));
  // A script error ends the replay as in the scripted host; Qt may add notes
  // of its own about the platform before the error line.
  std::ofstream(scratch.File("bad.script")) << "echo one\nfrobnicate\necho two\n";
  run = RunProgram("dorvane-desktop", {"--script", "bad.script"}, scratch.Path());
  const ProgramRun script = RunProgram("dorvane-script", {"bad.script"}, scratch.Path());
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.status, script.status);
  EXPECT_EQ(run.out, script.out);
  EXPECT_TRUE(run.err.ends_with(script.err)) << run.err;
  EXPECT_EQ(RunProgram("dorvane-desktop", {"--bogus"}, scratch.Path()).status, 2);
  // No display and no platform named: one line and status 1, not Qt's abort.
  run = RunProgram("dorvane-desktop", {"no-such-folder"}, scratch.Path(),
                   "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM");
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(run.err.starts_with("dorvane-desktop: no display")) << run.err;
  EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
}

}  // namespace
