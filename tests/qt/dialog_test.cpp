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

// What the open dialog window looked like from inside its loop.
struct Seen {
  bool open = false;
  QString title;
  QSize size;
  bool modal = false;
  // The window's focus widget mirrors the form's focused control (the
  // platform decides when the window itself becomes the active one).
  bool focusMirrored = false;
};

Seen LookAtDialog() {
  Seen seen;
  QWidget* window = qtfront::TopFormWindow();
  screen::Form* form = screen::ActiveModalForm();
  if (window == nullptr || form == nullptr) return seen;
  seen.open = window->isVisible();
  seen.title = window->windowTitle();
  seen.size = window->size();
  seen.modal = window->isModal();
  auto* view = window->findChild<qtfront::ContainerView*>();
  screen::Control* focused = screen::FocusedControl();
  seen.focusMirrored =
      view != nullptr && focused != nullptr && window->focusWidget() == view->WidgetOf(*focused);
  return seen;
}

TEST_F(ViewTest, AShownFormRunsInADialogWindowUntilEscUnloadsIt) {
  Seen seen;
  SoonInLoop([&] {
    seen = LookAtDialog();
    QTest::keyClick(qtfront::TopFormWindow(), Qt::Key_Escape);
  });
  QTest::mouseClick(W(surface.cmdAdd), Qt::LeftButton);
  EXPECT_TRUE(seen.open);
  EXPECT_TRUE(seen.modal);
  EXPECT_TRUE(seen.focusMirrored);
  EXPECT_EQ(seen.title, QString("Pick One"));
  EXPECT_EQ(seen.size, QSize(200, 133));
  EXPECT_THAT(log, ElementsAre("hsbMAIN.LostFocus", "cmdAdd.GotFocus", "cmdAdd.Click",
                               "ztTest.LostFocus", "hsbMAIN.GotFocus", "not chosen"));
  EXPECT_EQ(qtfront::TopFormWindow(), nullptr);
  EXPECT_FALSE(surface.dialog.IsLoaded());
  // The focus is back on the button that had it, with no event.
  EXPECT_EQ(Focus(), "cmdAdd");
  EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
  EXPECT_EQ(QApplication::focusWidget(), W(surface.cmdAdd));
}

// Enter (the default button), the close box and a click on a button in the
// dialog's window each end the nested loop with the form unloaded.
TEST_F(ViewTest, EnterTheCloseBoxOrAClickInTheDialogWindowEndIt) {
  const struct {
    const char* what;
    void (*answer)();
    const char* last;
  } cases[] = {
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
    SoonInLoop(c.answer);
    QTest::mouseClick(W(surface.cmdAdd), Qt::LeftButton);
    EXPECT_EQ(log.back(), c.last);
    EXPECT_FALSE(surface.dialog.IsLoaded());
    EXPECT_EQ(qtfront::TopFormWindow(), nullptr);
  }
}

// A message box as the user sees it, answered with its OK button.
struct BoxSeen {
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QString title;
  QString text;
  int buttons = 0;
};

// Waits for the next message box inside its loop, records it and presses OK.
void AnswerNextBox(BoxSeen& seen) {
  SoonInLoop([&seen] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) {
      AnswerNextBox(seen);
      return;
    }
    seen.icon = box->icon();
    seen.title = box->windowTitle();
    seen.text = box->text();
    seen.buttons = static_cast<int>(box->buttons().size());
    box->button(QMessageBox::Ok)->click();
  });
}

TEST(QtDesktop, MessageBoxesShowTheIconOfTheirStyle) {
  qtfront::QtDesktop desktop;
  const struct {
    int style;
    QMessageBox::Icon icon;
  } cases[] = {
      {16, QMessageBox::Critical}, {64, QMessageBox::Information}, {0, QMessageBox::NoIcon}};
  for (const auto& c : cases) {
    BoxSeen seen;
    AnswerNextBox(seen);
    EXPECT_EQ(desktop.MsgBox("Database Missing.\r\nQRLSYS.mdb", c.style, "wqHalvine.ocx Error"), 1);
    EXPECT_EQ(seen.icon, c.icon) << "style " << c.style;
    EXPECT_EQ(seen.title, QString("wqHalvine.ocx Error"));
    EXPECT_EQ(seen.text, QString("Database Missing.\nQRLSYS.mdb"));
    EXPECT_EQ(seen.buttons, 1);
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
  BoxSeen seen;
  AnswerNextBox(seen);
  QTest::mouseClick(W(surface.cmdOK), Qt::LeftButton);
  EXPECT_EQ(seen.icon, QMessageBox::Critical);
  EXPECT_EQ(seen.title, QString("Run-time error"));
  EXPECT_EQ(seen.text, QString("3021 No current record in TJLIST"));
  EXPECT_EQ(reported, std::vector<int32_t>{3021});
  // The host goes on: the next key still works.
  QTest::keyClick(KeyTarget(), Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(Focus(), "cmdAdd");
}

}  // namespace
