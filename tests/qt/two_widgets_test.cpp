// Two DorvaneWidgets side by side in one Qt window, each on its own data
// folder: real Qt keys and clicks reach only the control that has the focus,
// a click moves the focus across, the search one opens is modal for the
// window and gives the focus back to it; and a widget made with no desktop
// installed installs the Qt one.
#include <gtest/gtest.h>

#include "qt_test_support.h"
#include "support/sql_file.h"

namespace {

class TwoWidgetsTest : public qttest::WidgetWindowTest {
 protected:
  void SetUp() override {
    WidgetWindowTest::SetUp();
    left = AddWidget();
    right = AddWidget();
    left->SetPathText(Folder("left", "6"));
    right->SetPathText(Folder("right", "2"));
    ASSERT_NO_FATAL_FAILURE(qttest::ShowActive(*window, *left));
  }

  QWidget* WidgetOf(qtfront::DorvaneWidget& w, const std::string& name) {
    screen::Control* c = w.Control().Find(name);
    EXPECT_NE(c, nullptr) << name;
    return c != nullptr ? w.View().WidgetOf(*c) : nullptr;
  }
  std::string Rows(const std::string& folder) {
    return testsupport::SqlFile(scratch.File(folder) + "/MAIN.MDB")
        .Value("SELECT count(*) FROM TJLIST");
  }

  qtfront::DorvaneWidget* left = nullptr;
  qtfront::DorvaneWidget* right = nullptr;
};

TEST_F(TwoWidgetsTest, BothWidgetsStayOnTheScreenWithTheirOwnLists) {
  screen::Screen& s = screen::Screen::Default();
  EXPECT_TRUE(s.IsPlaced(left->Control()));
  EXPECT_TRUE(s.IsPlaced(right->Control()));
  EXPECT_EQ(s.FocusedUserControl(), &left->Control());
  EXPECT_EQ(left->IsListOK(), -1);
  EXPECT_EQ(right->IsListOK(), -1);
  EXPECT_NE(Picture(*left), Picture(*right)) << "six rows on the left, two on the right";
}

TEST_F(TwoWidgetsTest, KeysGoToTheFocusedWidgetAndAClickMovesTheFocusAcross) {
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
  EXPECT_EQ(Rows("left"), "6");
  EXPECT_EQ(Rows("right"), "2");
  EXPECT_FALSE(left->Control().Find("txtCONO")->Visible());
  EXPECT_EQ(Picture(*left), leftWithoutFocus);
}

TEST_F(TwoWidgetsTest, ASearchIsModalForTheWindowAndGivesTheFocusBack) {
  QTest::mouseClick(WidgetOf(*right, "CmdAdd"), Qt::LeftButton);
  ASSERT_EQ(State(*right, "EntryMode"), "A");
  const QImage leftBefore = Picture(*left);
  QString caption;
  bool leftTookFocus = true;
  qttest::WhenDialogOpen([&](QWidget* dialog) {
    caption = dialog->windowTitle();
    QTest::mouseClick(WidgetOf(*left, "CmdAdd"), Qt::LeftButton);
    leftTookFocus =
        screen::Screen::Default().ActiveModalForm() == nullptr || State(*left, "EntryMode") != " ";
    QTest::keyClick(dialog, Qt::Key_Escape);
  });
  QTest::keyClick(KeyTarget(), Qt::Key_Question);
  EXPECT_EQ(caption.toStdString(), "Search Company Numbers");
  EXPECT_FALSE(leftTookFocus);
  EXPECT_EQ(screen::Screen::Default().ActiveModalForm(), nullptr);
  EXPECT_EQ(screen::Screen::Default().FocusedUserControl(), &right->Control());
  EXPECT_EQ(screen::FocusedControl(), right->Control().Find("txtCONO"));
  EXPECT_EQ(Picture(*left), leftBefore);
}

TEST_F(TwoWidgetsTest, AWidgetOnAScreenOfItsOwnLeavesTheWindowAndItsDesktopAlone) {
  qtfront::QtDesktop ownDesktop;
  ownDesktop.SetAutoAnswer(true);
  screen::Screen own;
  own.SetDesktop(&ownDesktop);
  QWidget other;
  auto* third = new qtfront::DorvaneWidget(&other, &own);
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

TEST(WidgetWithoutDesktopTest, InstallsTheQtDesktopSoBoxesReallyShow) {
  screen::SetDesktop(nullptr);
  ASSERT_FALSE(screen::DesktopInstalled());
  {
    qtfront::DorvaneWidget widget;
    EXPECT_TRUE(screen::DesktopInstalled());
    EXPECT_NE(dynamic_cast<qtfront::QtDesktop*>(&screen::GetDesktop()), nullptr);
  }
  screen::SetDesktop(nullptr);
}

}  // namespace
