// A toolkit user control in a ContainerView: placement and look follow the
// model (a focused text box shows its selection), real Qt keys and clicks
// reach the same handlers the toolkit's own events reach, and the Qt focus
// follows the toolkit's focus; message boxes carry the icon of their style,
// and a run-time error that reaches the host is shown in a box.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>

#include "qt_test_support.h"

namespace {

using qttest::SoonInLoop;
using qttest::StoredColourAt;
using qttest::ViewTest;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST_F(ViewTest, PlacementVisibilityTooltipsAndColoursFollowTheModel) {
  EXPECT_EQ(view->size(), QSize(300, 140));
  EXPECT_EQ(W(surface.lblRow(2))->geometry(), QRect(5, 80, 80, 19));
  EXPECT_EQ(W(surface.hsbMAIN)->geometry(), QRect(280, 70, 2, 2));
  EXPECT_EQ(W(surface.txtA)->toolTip(), QString("Type here"));
  surface.txtA.SetTop(660);
  surface.txtA.SetLeft(75);
  qtfront::SyncViews();
  EXPECT_EQ(W(surface.txtA)->geometry(), QRect(5, 44, 80, 20));
  // The text box lies over the row labels, as windowed controls lie over labels.
  EXPECT_EQ(view->childAt(10, 50), W(surface.txtA));
  surface.txtA.SetVisible(false);
  surface.lblRow(0).SetBackColor(0x008080FF);
  const QImage image = Picture();
  EXPECT_FALSE(W(surface.txtA)->isVisible());
  // Pixels inside rows 0 and 1 (from 660 and 930 twips down, 270 apart).
  EXPECT_EQ(StoredColourAt(image, 75, 53), 0x008080FFu);
  EXPECT_EQ(StoredColourAt(image, 75, 71), 0x0000FFFFu);
  EXPECT_EQ(StoredColourAt(image, 140, 30), 0x00C0C0C0u) << "the control's background";
  // Selected text is drawn on the selection colour only while the box has the focus.
  surface.txtA.SetVisible(true);
  surface.txtA.SetText("1234");
  surface.txtA.SetSelLength(4);
  auto navy = [this] {
    const QImage picture = Picture();
    for (int x = 8; x < 40; ++x) {
      if (StoredColourAt(picture, x, 54) == 0x00800000u) return true;
    }
    return false;
  };
  EXPECT_FALSE(navy());
  surface.txtA.SetFocus();
  EXPECT_TRUE(navy());
}

// The key goes to the control with the toolkit's focus, whichever widget Qt
// handed it to; typing edits a text box through its handlers within its
// MaxLength; a Qt button's own key handling clicks nothing twice.
TEST_F(ViewTest, KeysTypedIntoTheWidgetsReachTheHandlers) {
  ASSERT_EQ(Focus(), "hsbMAIN");
  EXPECT_EQ(QApplication::focusWidget(), W(surface.hsbMAIN));
  QTest::keyClick(KeyTarget(), Qt::Key_Down);
  QTest::keyClick(W(surface.lblRow(0)), Qt::Key_Question);
  EXPECT_THAT(log,
              ElementsAre("ztTest.KeyDown 40/0", "hsbMAIN.KeyDown 40/0", "ztTest.KeyDown 191/1",
                          "hsbMAIN.KeyDown 191/1", "hsbMAIN.KeyPress 63"));
  QTest::mouseClick(W(surface.txtA), Qt::LeftButton);
  ASSERT_EQ(Focus(), "txtA");
  EXPECT_EQ(QApplication::focusWidget(), W(surface.txtA));
  surface.txtA.KeyPress = [](int16_t& keyAscii) {
    if (keyAscii >= 'a' && keyAscii <= 'z') keyAscii = static_cast<int16_t>(keyAscii - 32);
  };
  QTest::keyClicks(KeyTarget(), "ab?12");
  EXPECT_EQ(surface.txtA.Text(), "AB?1");
  QTest::keyClick(KeyTarget(), Qt::Key_Backspace);
  EXPECT_EQ(surface.txtA.Text(), "AB?");
  EXPECT_EQ(surface.txtA.SelStart(), 3);
  // Enter, Space and an access key each press a button once.
  surface.cmdOK.SetFocus();
  qtfront::SyncViews();
  log.clear();
  QTest::keyClick(KeyTarget(), Qt::Key_Return);
  QTest::keyClick(KeyTarget(), Qt::Key_Space);
  QTest::keyClick(KeyTarget(), Qt::Key_A, Qt::AltModifier);
  EXPECT_THAT(log, ElementsAre("cmdOK.Click", "cmdOK.Click", "cmdOK.LostFocus", "cmdAdd.GotFocus",
                               "cmdAdd.Click"));
}

TEST_F(ViewTest, ClicksAndDoubleClicksAsThePlatformGivesThem) {
  QTest::mouseClick(W(surface.lblRow(2)), Qt::LeftButton);
  // Press, release, the double click, release: one Click, one DblClick.
  QWidget* row = W(surface.lblRow(0));
  QTest::mouseClick(row, Qt::LeftButton);
  QTest::mouseDClick(row, Qt::LeftButton);
  QTest::mouseRelease(row, Qt::LeftButton);
  EXPECT_THAT(log, ElementsAre("lblRow(2).Click", "lblRow(0).Click", "lblRow(0).DblClick"));
  log.clear();
  // A press on one control and a release elsewhere is no click.
  QTest::mousePress(W(surface.cmdOK), Qt::LeftButton);
  QMouseEvent away(QEvent::MouseButtonRelease, QPointF(-20, -20), QPointF(-20, -20), Qt::LeftButton,
                   Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(W(surface.cmdOK), &away);
  // A disabled button takes neither the focus nor the click.
  surface.cmdOK.SetEnabled(false);
  QTest::mouseClick(W(surface.cmdOK), Qt::LeftButton);
  EXPECT_THAT(log, IsEmpty());
  EXPECT_EQ(Focus(), "hsbMAIN");
}

TEST_F(ViewTest, QtFocusMovesBetweenHostAndControlAndStaysWhenHiddenOrScripted) {
  hostEdit->setFocus(Qt::TabFocusReason);
  QApplication::processEvents();
  EXPECT_FALSE(screen::UserControlHasFocus());
  // A click on a row label brings the focus back, then clicks.
  QTest::mouseClick(W(surface.lblRow(1)), Qt::LeftButton);
  EXPECT_TRUE(screen::UserControlHasFocus());
  EXPECT_THAT(log, ElementsAre("hsbMAIN.LostFocus", "ztTest.LostFocus", "ztTest.GotFocus",
                               "hsbMAIN.GotFocus", "lblRow(1).Click"));
  EXPECT_EQ(QApplication::focusWidget(), W(surface.hsbMAIN));
  // Hiding the focused control keeps the focus in the control without events;
  // while a script drives, user input is ignored.
  surface.txtA.SetFocus();
  qtfront::SyncViews();
  log.clear();
  surface.txtA.SetVisible(false);
  qtfront::SyncViews();
  QApplication::processEvents();
  EXPECT_TRUE(screen::UserControlHasFocus());
  EXPECT_TRUE(view->isAncestorOf(QApplication::focusWidget()) ||
              QApplication::focusWidget() == view);
  qtfront::SetUserInputEnabled(false);
  QTest::keyClick(KeyTarget(), Qt::Key_Tab);
  QTest::mouseClick(W(surface.cmdOK), Qt::LeftButton);
  qtfront::SetUserInputEnabled(true);
  EXPECT_EQ(Focus(), "txtA");
  EXPECT_THAT(log, IsEmpty());
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
