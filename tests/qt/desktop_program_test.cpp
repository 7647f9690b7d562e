// The demo host as a program, on Qt's offscreen platform: the screenshot of a
// replayed script shows the yellow highlighted row where the row is, and the
// open dialog beside the window; a wrong folder's boxes are lines and a
// failure; a script replayed in the window has the same output and leaves the
// same tables as dorvane-script; and its command line takes Qt's options and
// refuses to show a window without a display.
#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "qt_test_support.h"
#include "support/programs.h"
#include "support/sql_file.h"
#include "support/temp_folder.h"

namespace {

using qttest::StoredColourAt;
using testsupport::MakeDataFolder;
using testsupport::ProgramRun;
using testsupport::RunProgram;
using testsupport::TempFolder;

const std::vector<std::string> kData = {"--companies", "12", "--jobs",  "60",        "--list", "6",
                                        "--weeks",     "20", "--today", "2024-03-06"};

// The bounding box of the pixels of one exact colour.
QRect BoxOf(const QImage& image, uint32_t colour) {
  QRect box;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (StoredColourAt(image, x, y) == colour) box |= QRect(x, y, 1, 1);
    }
  }
  return box;
}

// Checks that the yellow box is one list row, drawn `row` rows below the
// column headers (header top 420 twips, rows from 660 by 270 twips).
void ExpectHighlightedRow(const QImage& image, int row) {
  const QRect yellow = BoxOf(image, 0x0000FFFF);
  ASSERT_FALSE(yellow.isNull()) << "no highlighted row";
  EXPECT_EQ(yellow.width(), (8175 - 75) / 15);
  // Rows overlap by 15 twips and the next row lies on top: 270 twips show.
  EXPECT_EQ(yellow.height(), 270 / 15);
  const int headerTop = yellow.top() - (660 + 270 * row - 420) / 15;
  // Right of the header's caption "Co. #", inside lblHCONO (660 twips wide).
  EXPECT_EQ(StoredColourAt(image, yellow.left() + 41, headerTop + 8), 0x00E0E0E0u)
      << "the column header stands above the rows";
  EXPECT_EQ(StoredColourAt(image, yellow.left() + 2, yellow.bottom() + 6), 0x00FFFFFFu)
      << "the next row is white";
}

void WriteText(const std::string& file, const std::string& text) {
  std::ofstream(file, std::ios::binary) << text;
}

TEST(DesktopProgram, AWrongFolderGivesItsBoxesAsLinesAPictureAndAFailure) {
  TempFolder scratch;
  const ProgramRun run =
      RunProgram("dorvane-desktop", {"--screenshot", "shot.png", "no-such-folder"}, scratch.Path());
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.out.find("MSGBOX style=16 title=\"wqHalvine.ocx Error\""), std::string::npos)
      << run.out;
  EXPECT_TRUE(std::filesystem::exists(scratch.File("shot.png")));
}

TEST(DesktopProgram, AReplayedScriptMovesTheRowAndShowsTheOpenDialog) {
  TempFolder scratch;
  MakeDataFolder(scratch.File("data"), kData);
  WriteText(scratch.File("down.script"), "let PathText data\npress Down\nstate CurrentRow\n");
  ProgramRun run = RunProgram(
      "dorvane-desktop", {"--script", "down.script", "--screenshot", "down.png"}, scratch.Path());
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "CurrentRow = 1\n");
  const QImage down(scratch.File("down.png").c_str());
  ExpectHighlightedRow(down, 1);

  // The script ends with the dialog open: the picture holds the dialog's pale
  // cyan beside the window, and the driver closes it afterwards as usual.
  WriteText(scratch.File("dialog.script"),
            "let PathText data\n"
            "opensearch data MAIN COLIST \"CONO|CONAME\" \"Search Company Numbers\" \"Company "
            "Numbers\" \"CONO|CONAME\" \"N|C\" \"2|30\" \"Co. #|Company Name\" \"600|4000\" "
            "\"0|0\" 1");
  run = RunProgram("dorvane-desktop", {"--script", "dialog.script", "--screenshot", "dialog.png"},
                   scratch.Path());
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "DIALOG OPEN caption=\"Search Company Numbers\"\nDIALOG CLOSE\nSEARCH RESULT none\n");
  const QImage both(scratch.File("dialog.png").c_str());
  const QRect cyan = BoxOf(both, 0x00FFFFC0);
  ASSERT_FALSE(cyan.isNull()) << "the dialog is in the picture";
  EXPECT_GE(cyan.left(), 8535 / 15) << "beside the control's window";
}

TEST(DesktopProgram, ScriptErrorsEndTheReplayAsInTheScriptedHost) {
  TempFolder scratch;
  WriteText(scratch.File("bad.script"), "echo one\nfrobnicate\necho two\n");
  const ProgramRun desktop =
      RunProgram("dorvane-desktop", {"--script", "bad.script"}, scratch.Path());
  const ProgramRun script = RunProgram("dorvane-script", {"bad.script"}, scratch.Path());
  EXPECT_EQ(desktop.status, 2);
  EXPECT_EQ(desktop.status, script.status);
  EXPECT_EQ(desktop.out, script.out);
  // Qt may add notes of its own about the platform before the error line.
  EXPECT_TRUE(desktop.err.size() >= script.err.size() &&
              desktop.err.compare(desktop.err.size() - script.err.size(), script.err.size(),
                                  script.err) == 0)
      << desktop.err;
  EXPECT_EQ(RunProgram("dorvane-desktop", {"--bogus"}, scratch.Path()).status, 2);
}

TEST(DesktopProgram, CommandLineTakesQtOptionsAndNeedsADisplayForTheWindow) {
  TempFolder scratch;
  MakeDataFolder(scratch.File("data"), kData);
  ProgramRun run = RunProgram("dorvane-desktop", {"--help"}, scratch.Path());
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("[FOLDER|URI]"), std::string::npos) << run.out;
  run = RunProgram("dorvane-desktop", {"--version"}, scratch.Path());
  EXPECT_EQ(run.out, std::string("dorvane-desktop ") + DORVANE_VERSION + "\n");
  run =
      RunProgram("dorvane-desktop", {"-platform", "offscreen", "--screenshot", "shot.png", "data"},
                 scratch.Path(), "");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(std::filesystem::exists(scratch.File("shot.png")));
  // No display and no platform named: one line and status 1, not Qt's abort.
  run = RunProgram("dorvane-desktop", {"data"}, scratch.Path(),
                   "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err.rfind("dorvane-desktop: no display", 0), 0u) << run.err;
  EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
}

// Adds a job through the company and job searches and saves nothing else.
const char* const kAddJobScript = R"(today 2024-03-06
let PathText data
sql MAIN "SELECT count(*) FROM TJLIST"
press A
type ?
type 1
press Enter
press Enter
type ?
press Enter
press Enter
state EntryValid
press Enter
get IsListOK
sql MAIN "SELECT CONO, JOBNO, TJLTAG FROM TJLIST ORDER BY rowid"
sql MAIN "SELECT count(*) FROM TJLIST"
)";

TEST(DesktopProgram, AScriptedAddGivesTheSameTablesAsTheScriptedHost) {
  TempFolder scratch;
  MakeDataFolder(scratch.File("desktop/data"), kData);
  MakeDataFolder(scratch.File("script/data"), kData);
  WriteText(scratch.File("desktop/add.script"), kAddJobScript);
  WriteText(scratch.File("script/add.script"), kAddJobScript);
  const ProgramRun reference = RunProgram("dorvane-script", {"add.script"}, scratch.File("script"));
  ASSERT_EQ(reference.status, 0) << reference.err;
  const ProgramRun desktop =
      RunProgram("dorvane-desktop", {"--script", "add.script"}, scratch.File("desktop"));
  ASSERT_EQ(desktop.status, 0) << desktop.err;
  EXPECT_EQ(desktop.out, reference.out);
  // The whole working list, from each host's folder.
  auto dump = [&](const std::string& host) {
    return testsupport::SqlFile(scratch.File(host + "/data/MAIN.MDB"))
        .Dump("SELECT * FROM TJLIST ORDER BY rowid");
  };
  EXPECT_EQ(dump("desktop"), dump("script"));
  // The comparison means something only because the script adds a row.
  auto lineAt = [&](size_t at) {
    return reference.out.substr(at, reference.out.find('\n', at) - at);
  };
  const size_t countBefore = reference.out.find("ROW ");
  const size_t countAfter = reference.out.rfind("ROW ");
  ASSERT_NE(countBefore, std::string::npos) << reference.out;
  EXPECT_NE(lineAt(countBefore), lineAt(countAfter)) << "the script added no row";
}

}  // namespace
