// Two DorvaneWidgets side by side in one Qt window, each on its own
// dorvane-data folder: real Qt keys
// and clicks reach only the control with the focus (list keys; with entry
// editing "?" opens the search, modal for the window); Tab runs through both
// controls and the host's button; each widget signals its own changes and
// errors; a widget on a screen of its own stays apart; a widget made with no
// desktop installs the Qt one. And the control and its search dialog as a
// screen reader reads them through Qt's accessibility: roles, names, values,
// states, lists of rows, and the focus, selection and text events that real
// keys raise. Then the demo host as a program, on Qt's offscreen platform: a
// script replayed in the window has the same output and leaves the same
// tables as dorvane-script, and its screenshot shows the highlighted row where
// the row is and the open dialog beside the window; a wrong folder's box is a
// line and a failure, script errors end the replay as in the scripted host,
// and without a display the program says so in one line.
#include "frontends/qt/dorvane_widget.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QImage>
#include <QPushButton>
#include <QSignalSpy>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "frontends/qt/accessibility.h"
#include "qt_test_support.h"
#include "support/sql_file.h"

namespace {

using W = qtfront::DorvaneWidget;
using qttest::BoxOf;
using qttest::StoredColourAt;
using testsupport::ProgramRun;
using testsupport::RunProgram;

class TwoWidgetsTest : public qttest::WidgetWindowTest {
 protected:
  void SetUp() override {
    WidgetWindowTest::SetUp();
    left = AddWidget();
    right = AddWidget();
    left->SetPathText(Folder("left", "6"));
    right->SetPathText(Folder("right", "2"));
    ASSERT_NO_FATAL_FAILURE(qttest::ShowActive(*window, *left));
    qtfront::SyncViews();  // the Qt focus goes on to the control's focused child
  }

  QWidget* WidgetOf(W& w, const std::string& name) {
    screen::Control* c = w.Control().Find(name);
    EXPECT_NE(c, nullptr) << name;
    return c != nullptr ? w.View().WidgetOf(*c) : nullptr;
  }
  // Where the focus is: "L:" or "R:" and the control's child, or "host".
  std::string Where() {
    screen::UserControl* uc = screen::Screen::Default().FocusedUserControl();
    const std::string side = uc == &left->Control() ? "L:" : uc == &right->Control() ? "R:" : "";
    if (side.empty()) return "host";
    EXPECT_EQ(QApplication::focusWidget(),
              WidgetOf(uc == &left->Control() ? *left : *right, screen::FocusedControl()->Name()));
    return side + screen::FocusedControl()->Name();
  }
  std::string Rows(const std::string& folder) {
    return testsupport::SqlFile(scratch.File(folder) + "/MAIN.MDB")
        .Value("SELECT count(*) FROM TJLIST");
  }

  W* left = nullptr;
  W* right = nullptr;
};

// Keys reach the focused widget only (where the highlighted row is drawn is
// checked on the desktop program's picture); a click on the other moves the focus.
TEST_F(TwoWidgetsTest, KeysAndTheHighlightedRowFollowTheFocusedWidgetAndAClickMovesIt) {
  EXPECT_TRUE(screen::UserControlHasFocus()) << "the Qt focus gave the control the focus";
  const QImage rightBefore = Picture(*right);
  QTest::keyClick(KeyTarget(), Qt::Key_Down);
  EXPECT_EQ(State(*left, "CurrentRow"), "1");
  EXPECT_EQ(State(*right, "CurrentRow"), "0");
  EXPECT_EQ(Picture(*right), rightBefore);
  // A click on the right control's Add button: the focus and the keys follow.
  QTest::mouseClick(WidgetOf(*right, "CmdAdd"), Qt::LeftButton);
  const QImage leftWithoutFocus = Picture(*left);
  EXPECT_EQ(screen::Screen::Default().FocusedUserControl(), &right->Control());
  EXPECT_EQ(State(*right, "EntryMode"), "A");
  EXPECT_EQ(QApplication::focusWidget(), WidgetOf(*right, "txtCONO"));
  QTest::keyClicks(KeyTarget(), "1");
  QTest::keyClick(KeyTarget(), Qt::Key_Escape);
  EXPECT_EQ(State(*left, "EntryMode"), " ");
  EXPECT_EQ(State(*left, "CurrentRow"), "1");
  EXPECT_EQ(Picture(*left), leftWithoutFocus);
}

// The open dialog window as seen from inside its loop: its caption, its size
// (the form's in pixels), modality, and whether its focus widget mirrors the
// form's focused control (the platform decides when the window itself becomes
// the active one).
std::string LookAt(QWidget* window) {
  auto* view = window->findChild<qtfront::ContainerView*>();
  const screen::Form* form = screen::ActiveModalForm();
  const bool mirrored = window->focusWidget() == view->WidgetOf(*screen::FocusedControl());
  return window->windowTitle().toStdString() +
         (window->size() == QSize(form->Width() / 15, form->Height() / 15) ? " sized" : "") +
         (window->isModal() ? " modal" : "") + (window->isVisible() && mirrored ? " mirrored" : "");
}

// "?" in the company box opens the search in a dialog window, modal for the
// whole window (a click on the other control does nothing); Esc, Enter, the
// close box and Select each end it and give the focus back to the box.
TEST_F(TwoWidgetsTest, TheSearchIsADialogWindowModalForTheWholeWindow) {
  QTest::keyClick(KeyTarget(), Qt::Key_A);
  ASSERT_EQ(State(*left, "EntryMode"), "A") << "A on the list starts an add";
  screen::Control* txtCONO = left->Control().Find("txtCONO");
  const QImage rightBefore = Picture(*right);
  const struct {
    const char* what;
    void (*end)(QWidget*);
  } ends[] = {
      {"Esc", [](QWidget* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); }},
      {"Enter", [](QWidget* dialog) { QTest::keyClick(dialog, Qt::Key_Return); }},
      {"the close box", [](QWidget* dialog) { dialog->close(); }},
      {"Select",
       [](QWidget* dialog) {
         QTest::mouseClick(dialog->findChild<qtfront::ContainerView*>()->WidgetOf(
                               *screen::ActiveModalForm()->Find("CmdSelect")),
                           Qt::LeftButton);
       }},
  };
  for (const auto& e : ends) {
    SCOPED_TRACE(e.what);
    std::string seen;
    bool rightTookFocus = true;
    qttest::WhenDialogOpen([&](QWidget* dialog) {
      seen = LookAt(dialog);
      QTest::mouseClick(WidgetOf(*right, "CmdAdd"), Qt::LeftButton);
      rightTookFocus = State(*right, "EntryMode") != " ";
      e.end(dialog);
    });
    QTest::keyClick(KeyTarget(), Qt::Key_Question);
    EXPECT_EQ(seen, "Search Company Numbers sized modal mirrored");
    EXPECT_FALSE(rightTookFocus);
    EXPECT_EQ(screen::ActiveModalForm(), nullptr);
    EXPECT_EQ(qtfront::TopFormWindow(), nullptr);
    EXPECT_EQ(screen::FocusedControl(), txtCONO);
    EXPECT_EQ(QApplication::focusWidget(), WidgetOf(*left, "txtCONO"));
  }
  EXPECT_EQ(screen::Screen::Default().FocusedUserControl(), &left->Control());
  EXPECT_EQ(Picture(*right), rightBefore);
}

// Tab follows each control's own order (a date box starts its edit mode) and
// at its last stop goes on to the next control or the host's button; Tab
// into a control lands on its first stop, Shift+Tab on its last.
TEST_F(TwoWidgetsTest, TabRunsThroughBothControlsAndTheHostsButton) {
  auto* button = new QPushButton("Next", window.get());
  layout->addWidget(button);
  QApplication::processEvents();  // a widget added to a shown window shows later
  qtfront::SyncViews();
  std::vector<std::string> seen;
  for (int i = 0; i < 16; ++i) {
    seen.push_back(Where());
    QTest::keyClick(KeyTarget(), Qt::Key_Tab);
  }
  const std::vector<std::string> forward = {
      "L:hsbMAIN",    "L:CmdAdd",    "L:CmdEdit", "L:CmdDelete", "L:txtBPEDATE", "L:txtEPEDATE",
      "L:cmdUpdate",  "R:hsbMAIN",   "R:CmdAdd",  "R:CmdEdit",   "R:CmdDelete",  "R:txtBPEDATE",
      "R:txtEPEDATE", "R:cmdUpdate", "host",      "L:CmdCancel"};
  EXPECT_EQ(seen, forward);
  EXPECT_EQ(Where(), "L:txtBPEDATE");
  seen.clear();
  for (int i = 0; i < 4; ++i) {
    QTest::keyClick(KeyTarget(), Qt::Key_Backtab, Qt::ShiftModifier);
    seen.push_back(Where());
  }
  const std::vector<std::string> back = {"L:CmdCancel", "host", "R:cmdUpdate", "R:txtEPEDATE"};
  EXPECT_EQ(seen, back);
}

TEST_F(TwoWidgetsTest, AWidgetOnAScreenOfItsOwnLeavesTheWindowAndItsDesktopAlone) {
  qtfront::QtDesktop ownDesktop;
  ownDesktop.SetAutoAnswer(true);
  screen::Screen own;
  own.SetDesktop(&ownDesktop);
  QWidget other;
  auto* third = new W(&other, &own);
  (new QHBoxLayout(&other))->addWidget(third);
  third->SetPathText(scratch.File("right"));
  EXPECT_TRUE(own.IsPlaced(third->Control()));
  EXPECT_FALSE(screen::Screen::Default().IsPlaced(third->Control()));
  own.Focus(third->Control());
  QTest::keyClick(&third->View(), Qt::Key_Down);
  EXPECT_EQ(State(*third, "CurrentRow"), "1");
  EXPECT_EQ(State(*right, "CurrentRow"), "0");
  EXPECT_EQ(screen::Screen::Default().FocusedUserControl(), &left->Control());
  // A bad folder's box goes to the desktop of the widget's own screen.
  third->SetPathText(scratch.File("nowhere"));
  EXPECT_FALSE(ownDesktop.AnsweredBoxes().empty());
  EXPECT_TRUE(desktop.AnsweredBoxes().empty());
}

// The host hears each widget's own changes once: a row deleted, a tag preset
// (not again when it changes nothing), an error reported; the properties
// answer through Qt's property system too.
TEST_F(TwoWidgetsTest, EachWidgetSignalsItsOwnListRangeAndErrors) {
  QSignalSpy leftList(left, &W::workingListChanged);
  QSignalSpy rightList(right, &W::workingListChanged);
  QSignalSpy leftRange(left, &W::periodEndingRangeChanged);
  QSignalSpy leftErrors(left, &W::errorReported);
  QSignalSpy rightErrors(right, &W::errorReported);
  QTest::keyClick(KeyTarget(), Qt::Key_D, Qt::AltModifier);
  ASSERT_EQ(Rows("left"), "5");
  ASSERT_EQ(leftList.count(), 1);
  EXPECT_EQ(leftList.at(0).at(0).toInt(), 5);
  EXPECT_EQ(leftList.at(0).at(1).toString().toStdString(), State(*left, "CurrentTJLTAG"));
  left->setProperty("SelectedBPETAG", 3);
  left->SetSelectedBPETAG(3);
  ASSERT_EQ(leftRange.count(), 1);
  EXPECT_EQ(leftRange.at(0).at(0).toInt(), 3);
  EXPECT_EQ(leftRange.at(0).at(2).toBool(), State(*left, "IsBPEOK") == "True");
  EXPECT_EQ(left->property("SelectedBPEDATE").toString().toStdString(), "01/05/2024");
  EXPECT_TRUE(leftErrors.isEmpty());
  left->SetPathText(scratch.File("nowhere"));
  ASSERT_EQ(leftErrors.count(), 1);
  ASSERT_FALSE(desktop.AnsweredBoxes().empty());
  EXPECT_EQ(desktop.AnsweredBoxes().back().prompt,
            std::to_string(leftErrors.at(0).at(0).toInt()) + " " +
                leftErrors.at(0).at(1).toString().toStdString());
  EXPECT_EQ(leftList.count(), 2) << "another data source";
  EXPECT_TRUE(rightList.isEmpty());
  EXPECT_TRUE(rightErrors.isEmpty());
}

TEST(WidgetWithoutDesktopTest, InstallsTheQtDesktopSoBoxesReallyShow) {
  screen::SetDesktop(nullptr);
  {
    W widget;
    EXPECT_NE(dynamic_cast<qtfront::QtDesktop*>(&screen::GetDesktop()), nullptr);
  }
  screen::SetDesktop(nullptr);
}

// Every accessible object below iface, depth first; each names its parent.
std::vector<QAccessibleInterface*> Tree(QAccessibleInterface* iface) {
  std::vector<QAccessibleInterface*> all;
  for (int i = 0; i < iface->childCount(); ++i) {
    QAccessibleInterface* child = iface->child(i);
    if (child == nullptr) continue;
    EXPECT_EQ(child->parent(), iface) << child->text(QAccessible::Name).toStdString();
    all.push_back(child);
    for (QAccessibleInterface* below : Tree(child)) all.push_back(below);
  }
  return all;
}
std::vector<QAccessibleInterface*> Tree(QWidget* top) {
  return Tree(QAccessible::queryAccessibleInterface(top));
}
// The first object of that role and name, or nullptr.
QAccessibleInterface* Find(const std::vector<QAccessibleInterface*>& tree, QAccessible::Role role,
                           const QString& name) {
  for (QAccessibleInterface* i : tree) {
    if (i->role() == role && i->text(QAccessible::Name) == name) return i;
  }
  return nullptr;
}

// The focus and selection events assistive technology receives.
using Heard = std::vector<std::pair<QAccessible::Event, QString>>;
Heard* heard = nullptr;
void Listen(QAccessibleEvent* event) {
  if (heard == nullptr || event->accessibleInterface() == nullptr) return;
  if (event->type() == QAccessible::Focus || event->type() == QAccessible::Selection ||
      event->type() == QAccessible::TextUpdated) {
    heard->emplace_back(event->type(), event->accessibleInterface()->text(QAccessible::Name));
  }
}

// The left widget as a screen reader reads it.
class AccessibilityTest : public TwoWidgetsTest {};

TEST_F(AccessibilityTest, AScreenReaderReadsTheControlAndItsDialogAndHearsTheKeys) {
  Heard events;
  heard = &events;
  qtfront::SetAccessibilityListener(Listen);
  auto tree = Tree(&left->View());
  ASSERT_GE(tree.size(), 46u);
  for (QAccessibleInterface* i : tree) EXPECT_NE(i->role(), QAccessible::Client);
  QAccessibleInterface* add = Find(tree, QAccessible::PushButton, "Add");
  ASSERT_NE(add, nullptr) << "the caption without its access-key mark";
  EXPECT_FALSE(add->state().disabled);
  EXPECT_NE(Find(tree, QAccessible::PushButton, "Up"), nullptr) << "a picture button";
  EXPECT_NE(Find(tree, QAccessible::ScrollBar, ""), nullptr);
  QAccessibleInterface* from = Find(tree, QAccessible::EditableText, "Beginning PE");
  ASSERT_NE(from, nullptr) << "a text box is named by its label";
  EXPECT_EQ(from->text(QAccessible::Value).toStdString(), left->SelectedBPEDATE());
  EXPECT_NE(from->text(QAccessible::Description).indexOf("PE Date"), -1) << "the tooltip";
  QAccessibleInterface* company = Find(tree, QAccessible::EditableText, "Co. #");
  ASSERT_NE(company, nullptr) << "named by its column header";
  EXPECT_TRUE(company->state().invisible) << "shown only while a row is edited";
  // The page is a list of four rows, the highlighted one selected.
  QAccessibleInterface* list = Find(tree, QAccessible::List, "Target job list");
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->childCount(), 4);
  EXPECT_TRUE(list->child(0)->state().selected);
  EXPECT_TRUE(list->child(0)->state().focused) << "the list keys reach it";
  EXPECT_FALSE(list->child(1)->state().selected);
  const QString row1 = list->child(1)->text(QAccessible::Name);
  const auto* company1 = static_cast<screen::Label*>(left->Control().Find("lblCONO", 1));
  EXPECT_TRUE(row1.startsWith(QString::fromStdString(company1->Caption()).trimmed()))
      << row1.toStdString();
  // Down selects the next row and moves the reader there; Tab moves the focus.
  QTest::keyClick(KeyTarget(), Qt::Key_Down);
  EXPECT_TRUE(list->child(1)->state().selected);
  EXPECT_FALSE(list->child(0)->state().selected);
  QTest::keyClick(KeyTarget(), Qt::Key_Tab);
  const Heard expected = {
      {QAccessible::Selection, row1}, {QAccessible::Focus, row1}, {QAccessible::Focus, "Add"}};
  EXPECT_EQ(events, expected);
  EXPECT_TRUE(add->state().focused);
  left->SetControlsEnabled(false);
  EXPECT_TRUE(from->state().disabled);
  left->SetControlsEnabled(true);
  // The search dialog's grid is a list too, its first row selected.
  QTest::keyClick(KeyTarget(), Qt::Key_A);
  QString firstRow;
  int rows = 0;
  qttest::WhenDialogOpen([&](QWidget* window) {
    auto dialogTree = Tree(window->findChild<qtfront::ContainerView*>());
    if (QAccessibleInterface* grid = Find(dialogTree, QAccessible::List, "Search results")) {
      rows = grid->childCount();
      if (grid->child(0)->state().selected) firstRow = grid->child(0)->text(QAccessible::Name);
    }
    QTest::keyClick(window, Qt::Key_Escape);
  });
  QTest::keyClick(KeyTarget(), Qt::Key_Question);
  EXPECT_EQ(rows, 12);
  EXPECT_FALSE(firstRow.isEmpty());
  // "+" in the date box steps the date: the reader hears the new text.
  QTest::keyClick(KeyTarget(), Qt::Key_C, Qt::AltModifier);  // Cancel ends the add
  left->SetSelectedBPETAG(3);
  QTest::mouseClick(left->View().WidgetOf(*left->Control().Find("txtBPEDATE")), Qt::LeftButton);
  ASSERT_TRUE(from->state().focused);
  events.clear();
  const QString before = from->text(QAccessible::Value);
  QTest::keyClick(KeyTarget(), Qt::Key_Plus);
  EXPECT_NE(from->text(QAccessible::Value), before);
  EXPECT_EQ(events, (Heard{{QAccessible::TextUpdated, "Beginning PE"}}));
  QTest::keyClick(KeyTarget(), Qt::Key_Escape);
  qtfront::SetAccessibilityListener(nullptr);
  heard = nullptr;
}

constexpr int kWindowWidth = 8535 / 15;

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
  EXPECT_EQ(yellow.height(), 270 / 15);
  const int headerTop = yellow.top() - (660 + 270 * row - 420) / 15;
  EXPECT_EQ(StoredColourAt(image, yellow.left() + 41, headerTop + 8), 0x00E0E0E0u)
      << "the column header stands above the rows";
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
