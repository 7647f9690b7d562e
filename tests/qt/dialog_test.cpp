// Modal forms and message boxes on Qt: a form shown by a handler opens in a
// dialog window and runs in a nested event loop until it unloads (by a key,
// a button or the close box); message boxes carry the icon of their style,
// and a run-time error that reaches the host is shown in a box.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>

#include "qt_test_support.h"

namespace {

using qttest::SoonInLoop;
using qttest::ViewTest;
using ::testing::ElementsAre;

// The open dialog window as seen from inside its loop: its caption, size,
// modality, and whether its focus widget mirrors the form's focused control
// (the platform decides when the window itself becomes the active one).
std::string LookAtDialog() {
  QWidget* window = qtfront::TopFormWindow();
  auto* view = window->findChild<qtfront::ContainerView*>();
  const bool mirrored = window->focusWidget() == view->WidgetOf(*screen::FocusedControl());
  return window->windowTitle().toStdString() + " " + std::to_string(window->width()) + "x" +
         std::to_string(window->height()) + (window->isModal() ? " modal" : "") +
         (window->isVisible() && mirrored ? " mirrored" : "");
}

// Esc, Enter (the default button), the close box and a click on a button in
// the dialog window each end the nested loop with the form unloaded; the
// focus is back on the button that had it, with no event.
TEST_F(ViewTest, AShownFormRunsInADialogWindowUntilAKeyAButtonOrTheCloseBoxUnloadsIt) {
  const struct {
    const char* what;
    void (*answer)();
    const char* last;
  } cases[] = {
      {"Esc", [] { QTest::keyClick(qtfront::TopFormWindow(), Qt::Key_Escape); }, "not chosen"},
      {"Enter", [] { QTest::keyClick(qtfront::TopFormWindow(), Qt::Key_Return); }, "chosen"},
      {"the close box", [] { qtfront::TopFormWindow()->close(); }, "not chosen"},
      {"a click on Select",
       [] {
         auto* view = qtfront::TopFormWindow()->findChild<qtfront::ContainerView*>();
         auto* dialog = static_cast<qttest::TestDialog*>(screen::ActiveModalForm());
         QTest::mouseClick(view->WidgetOf(dialog->CmdSelect), Qt::LeftButton);
       },
       "chosen"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    surface.dialog.chosen = false;
    std::string seen;
    SoonInLoop([&seen, &c] {
      seen = LookAtDialog();
      c.answer();
    });
    QTest::mouseClick(W(surface.cmdAdd), Qt::LeftButton);
    EXPECT_EQ(seen, "Pick One 200x133 modal mirrored");
    if (&c == cases) {
      EXPECT_THAT(log, ElementsAre("hsbMAIN.LostFocus", "cmdAdd.GotFocus", "cmdAdd.Click",
                                   "ztTest.LostFocus", "hsbMAIN.GotFocus", "not chosen"));
    }
    EXPECT_EQ(log.back(), c.last);
    EXPECT_FALSE(surface.dialog.IsLoaded());
    EXPECT_EQ(qtfront::TopFormWindow(), nullptr);
    EXPECT_EQ(Focus(), "cmdAdd");
    EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    EXPECT_EQ(QApplication::focusWidget(), W(surface.cmdAdd));
  }
}

// Waits for the next message box inside its loop, notes its icon, title, text
// and number of buttons, and presses OK.
void AnswerNextBox(std::string& seen) {
  SoonInLoop([&seen] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return AnswerNextBox(seen);
    seen = std::to_string(box->icon()) + "|" + box->windowTitle().toStdString() + "|" +
           box->text().toStdString() + "|" + std::to_string(box->buttons().size());
    box->button(QMessageBox::Ok)->click();
  });
}

TEST(QtDesktop, MessageBoxesShowTheIconOfTheirStyle) {
  qtfront::QtDesktop desktop;
  const std::pair<int, QMessageBox::Icon> cases[] = {
      {16, QMessageBox::Critical}, {64, QMessageBox::Information}, {0, QMessageBox::NoIcon}};
  for (const auto& [style, icon] : cases) {
    std::string seen;
    AnswerNextBox(seen);
    EXPECT_EQ(desktop.MsgBox("Database Missing.\r\nQRLSYS.mdb", style, "wqHalvine.ocx Error"), 1);
    EXPECT_EQ(seen, std::to_string(icon) + "|wqHalvine.ocx Error|Database Missing.\nQRLSYS.mdb|1");
  }
  EXPECT_TRUE(desktop.AnsweredBoxes().empty());
}

TEST_F(ViewTest, ARunTimeErrorFromAHandlerIsShownInABox) {
  desktop.SetAutoAnswer(false);
  surface.cmdOK.Click = [] { throw base::RuntimeError(3021, "No current record in TJLIST"); };
  std::vector<int32_t> reported;  // what the control's host is told
  surface.ErrorReported = [&reported](const base::RuntimeError& e) {
    reported.push_back(e.Number());
  };
  std::string seen;
  AnswerNextBox(seen);
  QTest::mouseClick(W(surface.cmdOK), Qt::LeftButton);
  EXPECT_EQ(seen, std::to_string(QMessageBox::Critical) +
                      "|Run-time error|3021 No current record in TJLIST|1");
  EXPECT_EQ(reported, std::vector<int32_t>{3021});
  // The host goes on: the next key still works.
  QTest::keyClick(KeyTarget(), Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(Focus(), "cmdAdd");
}

}  // namespace
