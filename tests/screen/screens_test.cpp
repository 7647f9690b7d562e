// Several user controls on one host window (a Screen), and several windows:
// where the focus, keys, clicks and modal dialogs go, which desktop shows a
// box, and that the default screen of single-control hosts is left alone.
#include "tests/screen/test_forms.h"

namespace screentest {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Two surfaces placed side by side on a window of their own, with a desktop
// of the window's own; the process-wide desktop is another one.
class ScreensTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testsupport::StartScreen(processDesktop);
    window.SetDesktop(&windowDesktop);
    window.Place(left);
    window.Place(right);
  }
  void TearDown() override { testsupport::EndScreen(); }

  void Type(const std::string& text) { testsupport::TypeText(text, &window); }

  std::string FocusName() const {
    const screen::Control* c = window.FocusedControl();
    if (c == nullptr) return "(none)";
    return (c->Owner() == &left ? "left." : c->Owner() == &right ? "right." : "form.") + c->Name();
  }

  screen::HeadlessDesktop processDesktop;
  screen::HeadlessDesktop windowDesktop;
  screen::Screen window;
  Surface left;
  Surface right;
};

// The host holds the focus until it gives it to one control; a move across
// raises both LostFocus events first, keys and Tab go only to the control with
// the focus, coming back enters the remembered child, and a click on the other
// control moves the focus there first.
TEST_F(ScreensTest, FocusAndKeysGoToOneControlAtATime) {
  EXPECT_EQ(window.FocusedUserControl(), nullptr);
  EXPECT_EQ(window.ActiveContainer(), &left);  // the first placed one
  Type("x");
  EXPECT_THAT(left.log, IsEmpty());
  window.Focus(left);
  left.txtB.SetFocus();
  left.log.clear();
  window.Focus(right);
  EXPECT_THAT(left.log, ElementsAre("txtB.LostFocus", "ztTest.LostFocus"));
  EXPECT_THAT(right.log, ElementsAre("ztTest.GotFocus", "hsbMAIN.GotFocus"));
  right.txtA.SetFocus();
  Type("12");
  window.PressKey(screen::kKeyTab, 0, 0);
  EXPECT_EQ(right.txtA.Text(), "12");
  EXPECT_EQ(FocusName(), "right.txtB");
  EXPECT_EQ(left.txtA.Text(), "");
  left.log.clear();
  window.Focus(left);
  EXPECT_THAT(left.log, ElementsAre("ztTest.GotFocus", "txtB.GotFocus"));
  EXPECT_EQ(FocusName(), "left.txtB");
  // A click on the other control moves the focus, then clicks.
  left.log.clear();
  right.log.clear();
  EXPECT_TRUE(window.Click(right.cmdAdd));
  EXPECT_THAT(left.log, ElementsAre("txtB.LostFocus", "ztTest.LostFocus"));
  // As a click from the host: the control enters its remembered child first.
  EXPECT_THAT(right.log, ElementsAre("ztTest.GotFocus", "txtB.GotFocus", "txtB.LostFocus",
                                     "cmdAdd.GotFocus", "cmdAdd.Click"));
  // The free function finds the window the control is on.
  left.log.clear();
  EXPECT_TRUE(screen::ClickControl(left.cmdOK));
  EXPECT_EQ(window.FocusedUserControl(), &left);
  EXPECT_EQ(FocusName(), "left.cmdOK");
}

TEST_F(ScreensTest, ADialogIsModalForTheWholeWindowAndGivesTheFocusBackToItsControl) {
  Dialog dialog(right.log);
  window.Focus(right);
  right.txtB.SetFocus();
  bool leftClicked = true;
  std::string focusInDialog;
  right.cmdOK.Click = [&] { dialog.ShowModal(); };
  windowDesktop.QueueModalAction([&] {
    leftClicked = window.Click(left.cmdAdd);
    window.Focus(left);
    focusInDialog = FocusName();
    Type("\r");  // the dialog's default button
  });
  left.log.clear();
  window.PressKey('O', screen::kAltMask, 0);
  EXPECT_FALSE(leftClicked);
  EXPECT_EQ(focusInDialog, "form.hsbMAIN");
  EXPECT_THAT(left.log, IsEmpty());
  EXPECT_THAT(windowDesktop.modalForms, ElementsAre("frmTest"));
  EXPECT_THAT(processDesktop.modalForms, IsEmpty());
  EXPECT_EQ(window.ActiveModalForm(), nullptr);
  EXPECT_EQ(window.FocusedUserControl(), &right);
  EXPECT_EQ(FocusName(), "right.cmdOK");
}

TEST_F(ScreensTest, BoxesAndErrorsGoToTheDesktopOfTheWindowTheEventCameFrom) {
  right.cmdOK.Click = [] {
    screen::GetDesktop().MsgBox("from the right", 64, "Note");
    throw base::RuntimeError(13, "Type mismatch");
  };
  EXPECT_TRUE(window.Click(right.cmdOK));
  ASSERT_EQ(windowDesktop.messageBoxes.size(), 1u);
  EXPECT_EQ(windowDesktop.messageBoxes[0].prompt, "from the right");
  ASSERT_EQ(windowDesktop.errors.size(), 1u);
  EXPECT_EQ(windowDesktop.errors[0].Number(), 13);
  EXPECT_THAT(processDesktop.messageBoxes, IsEmpty());
  EXPECT_THAT(processDesktop.errors, IsEmpty());
  // Outside any event the process's desktop answers, unless the host uses the window.
  EXPECT_EQ(&screen::GetDesktop(), &processDesktop);
  screen::Screen::Use use(window);
  EXPECT_EQ(&screen::GetDesktop(), &windowDesktop);
}

// A single-control host's default screen is left alone; placing a control on
// another window takes it off this one, and a control that goes leaves its
// window without events.
TEST_F(ScreensTest, TheDefaultScreenAndOtherWindowsAreUntouched) {
  Surface single;
  testsupport::PlaceWithFocus(single);
  single.log.clear();
  window.Focus(left);
  Type("q");
  window.Click(right.cmdAdd);
  EXPECT_THAT(single.log, IsEmpty());
  EXPECT_EQ(screen::PlacedUserControl(), &single);
  EXPECT_TRUE(screen::UserControlHasFocus());
  EXPECT_EQ(screen::FocusedControl(), &single.hsbMAIN);
  screen::Screen other;
  other.Place(right);
  EXPECT_FALSE(window.IsPlaced(right));
  EXPECT_EQ(screen::Screen::Of(right), &other);
  EXPECT_FALSE(window.Click(right.cmdOK));
  auto extra = std::make_unique<Surface>();
  window.Place(*extra);
  window.Focus(*extra);
  extra.reset();
  EXPECT_EQ(window.FocusedUserControl(), nullptr);
  EXPECT_EQ(window.Placed().size(), 1u);
  window.Focus(left);
  EXPECT_EQ(FocusName(), "left.hsbMAIN");
}

}  // namespace
}  // namespace screentest
