// A toolkit user control in a ContainerView: placement and look follow the
// model (a focused text box shows its selection), real Qt keys and clicks
// reach the same handlers the toolkit's own events reach, and the Qt focus
// follows the toolkit's focus; message boxes carry the icon of their style,
// and a run-time error that reaches the host is shown in a box. Qt key events
// become the US-keyboard codes and characters that KeyDown and KeyPress
// receive, whatever Qt reports for the same key.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>
#include <tuple>

#include "frontends/qt/key_translation.h"
#include "qt_test_support.h"

namespace {

using qtfront::TranslateKey;
using qttest::BoxOf;
using qttest::SoonInLoop;
using qttest::StoredColourAt;
using qttest::ViewTest;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST_F(ViewTest, PlacementVisibilityTooltipsAndColoursFollowTheModel) {
  EXPECT_EQ(view->size(), QSize(300, 140));
  EXPECT_EQ(W(surface.txtA)->toolTip(), QString("Type here"));
  surface.txtA.SetTop(660);
  surface.txtA.SetLeft(75);
  qtfront::SyncViews();
  EXPECT_EQ(W(surface.txtA)->geometry(), QRect(5, 44, 80, 20));
  // The text box lies over the row labels, as windowed controls lie over labels.
  EXPECT_EQ(view->childAt(10, 50), W(surface.txtA));
  surface.txtA.SetVisible(false);
  surface.lblRow(0).SetBackColor(0x008080FF);
  const QImage image = WindowTest::Picture(*view);
  EXPECT_FALSE(W(surface.txtA)->isVisible());
  // Pixels inside rows 0 and 1 (from 660 and 930 twips down, 270 apart).
  EXPECT_EQ(StoredColourAt(image, 75, 53), 0x008080FFu);
  EXPECT_EQ(StoredColourAt(image, 75, 71), 0x0000FFFFu);
  EXPECT_EQ(StoredColourAt(image, 140, 30), 0x00C0C0C0u) << "the control's background";
  // Selected text is drawn on the selection colour only while the box has the focus.
  surface.txtA.SetVisible(true);
  surface.txtA.SetText("1234");
  surface.txtA.SetSelLength(4);
  auto navy = [this] { return !BoxOf(WindowTest::Picture(*view), 0x00800000u, 40).isNull(); };
  EXPECT_FALSE(navy());
  surface.txtA.SetFocus();
  EXPECT_TRUE(navy());
}

// The key goes to the control with the toolkit's focus, whichever widget Qt
// handed it to; typing edits a text box through its handlers within its
// MaxLength; a Qt button's own key handling clicks nothing twice.
TEST_F(ViewTest, KeysTypedIntoTheWidgetsReachTheHandlers) {
  QTest::keyClick(KeyTarget(), Qt::Key_Down);
  QTest::keyClick(W(surface.lblRow(0)), Qt::Key_Question);
  EXPECT_THAT(log,
              ElementsAre("ztTest.KeyDown 40/0", "hsbMAIN.KeyDown 40/0", "ztTest.KeyDown 191/1",
                          "hsbMAIN.KeyDown 191/1", "hsbMAIN.KeyPress 63"));
  QTest::mouseClick(W(surface.txtA), Qt::LeftButton);
  ASSERT_EQ(testsupport::FocusName(), "txtA");
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
  // A press on one control and a release elsewhere is no click (a disabled
  // control's click is the toolkit's to refuse).
  QTest::mousePress(W(surface.cmdOK), Qt::LeftButton);
  QMouseEvent away(QEvent::MouseButtonRelease, QPointF(-20, -20), QPointF(-20, -20), Qt::LeftButton,
                   Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(W(surface.cmdOK), &away);
  EXPECT_THAT(log, IsEmpty());
  EXPECT_EQ(testsupport::FocusName(), "hsbMAIN");
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
  EXPECT_EQ(testsupport::FocusName(), "txtA");
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

// Message boxes show the icon of their style (Information for 64, Critical
// for a run-time error's 16) and the text with Qt's line breaks; a run-time
// error that reaches the host is shown in one, and the host goes on.
TEST_F(ViewTest, ARunTimeErrorFromAHandlerIsShownInABox) {
  desktop.SetAutoAnswer(false);
  std::string seen;
  AnswerNextBox(seen);
  EXPECT_EQ(desktop.MsgBox("Database Missing.\r\nQRLSYS.mdb", 64, "wqHalvine.ocx Error"), 1);
  EXPECT_EQ(seen, std::to_string(QMessageBox::Information) +
                      "|wqHalvine.ocx Error|Database Missing.\nQRLSYS.mdb|1");
  surface.cmdOK.Click = [] { throw base::RuntimeError(3021, "No current record in TJLIST"); };
  std::vector<int32_t> reported;  // what the control's host is told
  surface.ErrorReported = [&reported](const base::RuntimeError& e) {
    reported.push_back(e.Number());
  };
  AnswerNextBox(seen);
  QTest::mouseClick(W(surface.cmdOK), Qt::LeftButton);
  EXPECT_EQ(seen, std::to_string(QMessageBox::Critical) +
                      "|Run-time error|3021 No current record in TJLIST|1");
  EXPECT_EQ(reported, std::vector<int32_t>{3021});
  // The host goes on: the next key still works.
  QTest::keyClick(KeyTarget(), Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(testsupport::FocusName(), "cmdAdd");
  EXPECT_TRUE(desktop.AnsweredBoxes().empty()) << "a box shown was taken as answered unseen";
}

struct Case {
  const char* what;
  int qtKey;
  Qt::KeyboardModifiers modifiers;
  QString text;
  int16_t keyCode;
  int16_t shift;
  int16_t keyAscii;
};

// A capital typed without Shift held, key pad keys (their own codes whatever
// Shift says), keys that give no printable character, Ctrl combinations (the
// Qt key of a shifted character maps back to the code of the key that gives
// it) and a character no US key gives; keys the toolkit does not know are
// ignored. The keys the other tests press (letters, "?", Enter, Esc, Tab,
// Shift+Tab, Down, Alt+letter) are checked there by what they do.
TEST(KeyTranslation, GivesUsKeyboardCodesShiftAndCharacter) {
  const Case cases[] = {
      {"capital without Shift held", Qt::Key_A, Qt::NoModifier, "A", 65, 1, 'A'},
      {"keypad plus", Qt::Key_Plus, Qt::KeypadModifier, "+", 107, 0, '+'},
      {"keypad digit keeps its code with Shift", Qt::Key_3, Qt::KeypadModifier | Qt::ShiftModifier,
       "3", 99, 1, '3'},
      {"keypad Enter", Qt::Key_Enter, Qt::KeypadModifier, "\r", 13, 0, 13},
      {"Delete", Qt::Key_Delete, Qt::NoModifier, "\x7f", 46, 0, 0},
      {"F5", Qt::Key_F5, Qt::NoModifier, "", 116, 0, 0},
      {"Ctrl+letter gives no character", Qt::Key_A, Qt::ControlModifier, "\x01", 65, 2, 0},
      {"Ctrl+Shift+digit", Qt::Key_At, Qt::ControlModifier | Qt::ShiftModifier, "", 50, 3, 0},
      {"a character no US key gives", 0xE9, Qt::NoModifier, QString(QChar(0xE9)), 0, 0, 0xE9},
  };
  for (const Case& c : cases) {
    const auto key = TranslateKey(c.qtKey, c.modifiers, c.text);
    ASSERT_TRUE(key.has_value()) << c.what;
    EXPECT_EQ(std::tie(key->keyCode, key->shift, key->keyAscii),
              std::tie(c.keyCode, c.shift, c.keyAscii))
        << c.what;
  }
  // Modifiers alone and keys the toolkit does not know give no key.
  EXPECT_FALSE(TranslateKey(Qt::Key_Shift, Qt::ShiftModifier, "").has_value());
  EXPECT_FALSE(TranslateKey(Qt::Key_VolumeUp, Qt::NoModifier, "").has_value());
}

}  // namespace
