// Focus rules of the toolkit: the order of LostFocus and GotFocus, clicks,
// labels, SetFocus, hidden controls, Tab order and the host's focus moves.
#include "services/base/user_action.h"
#include "tests/screen/test_forms.h"

namespace screentest {
namespace {

using ::testing::ElementsAre;

TEST_F(ScreenTest, FocusMoveRaisesLostFocusOfTheOldBeforeGotFocusOfTheNew) {
  surface.txtA.SetFocus();
  EXPECT_THAT(log, ElementsAre("hsbMAIN.LostFocus", "txtA.GotFocus"));
  EXPECT_EQ(FocusName(), "txtA");
  log.clear();
  surface.txtA.SetFocus();  // already focused: nothing is raised
  EXPECT_TRUE(log.empty());
}

TEST_F(ScreenTest, ClickOnAButtonMovesTheFocusFirstEvenWhenItIsNoTabStop) {
  EXPECT_TRUE(screen::ClickControl(surface.btnFind));
  EXPECT_THAT(log, ElementsAre("hsbMAIN.LostFocus", "btnFind.GotFocus", "btnFind.Click"));
  EXPECT_EQ(FocusName(), "btnFind");
}

TEST_F(ScreenTest, ClickOnATextBoxKeepsTheSelectionItsGotFocusMade) {
  surface.txtA.SetText("1234");
  log.clear();
  surface.txtA.GotFocus = [this] {
    surface.txtA.SetSelStart(0);
    surface.txtA.SetSelLength(surface.txtA.TextLength());
  };
  screen::ClickControl(surface.txtA);
  EXPECT_EQ(surface.txtA.SelStart(), 0);
  EXPECT_EQ(surface.txtA.SelLength(), 4);
  EXPECT_THAT(log, ElementsAre("hsbMAIN.LostFocus", "txtA.Click"));
}

TEST_F(ScreenTest, LabelsNeverTakeTheFocus) {
  screen::ClickControl(surface.lblRow(1));
  EXPECT_THAT(log, ElementsAre("lblRow(1).Click"));
  EXPECT_EQ(FocusName(), "hsbMAIN");
  EXPECT_THROW(surface.lblRow(0).SetFocus(), base::RuntimeError);
}

// (A hidden control's error 5 shows in the control_hidden_focus scenario.)
TEST_F(ScreenTest, SetFocusOnADisabledControlIsError5) {
  surface.txtB.SetEnabled(false);
  std::string description;
  try {
    surface.txtB.SetFocus();
  } catch (const base::RuntimeError& e) {
    EXPECT_EQ(e.Number(), 5);
    description = e.Description();
  }
  EXPECT_NE(description.find("txtB"), std::string::npos) << description;
  EXPECT_EQ(FocusName(), "hsbMAIN");
  EXPECT_TRUE(log.empty());
}

TEST_F(ScreenTest, HidingTheFocusedControlLeavesTheFocusThereUntilAnotherTakesIt) {
  surface.txtA.SetFocus();
  log.clear();
  surface.txtA.SetVisible(false);
  EXPECT_EQ(FocusName(), "txtA");
  EXPECT_TRUE(log.empty());
  screen::PressKey(screen::kKeyTab, 0);
  EXPECT_THAT(log, ElementsAre("txtA.LostFocus", "txtB.GotFocus"));
}

TEST_F(ScreenTest, TabAndShiftTabFollowTabIndexOverVisibleEnabledStopsAndWrap) {
  surface.txtB.SetEnabled(false);
  surface.cmdAdd.SetVisible(false);
  surface.SetKeyPreview(true);
  std::vector<std::string> order;
  for (int i = 0; i < 4; ++i) {
    screen::PressKey(screen::kKeyTab, 0);
    order.push_back(FocusName());
  }
  EXPECT_THAT(order, ElementsAre("txtA", "cmdOK", "hsbMAIN", "txtA"));
  screen::PressKey(screen::kKeyTab, screen::kShiftMask);
  EXPECT_EQ(FocusName(), "hsbMAIN");
  screen::PressKey(screen::kKeyTab, screen::kShiftMask);
  EXPECT_EQ(FocusName(), "cmdOK");
  for (const std::string& entry : log) EXPECT_EQ(entry.find("KeyDown"), std::string::npos);
  // From a control that is no tab stop, Tab goes to the next by TabIndex.
  screen::ClickControl(surface.btnFind);
  surface.cmdOK.SetTabIndex(6);
  screen::PressKey(screen::kKeyTab, 0);
  EXPECT_EQ(FocusName(), "cmdOK");
}

TEST_F(ScreenTest, FocusHostRaisesTheChildsLostFocusThenTheControls) {
  surface.txtA.SetFocus();
  log.clear();
  screen::FocusHost();
  EXPECT_THAT(log, ElementsAre("txtA.LostFocus", "ztTest.LostFocus"));
  EXPECT_EQ(FocusName(), "(none)");
  EXPECT_FALSE(screen::UserControlHasFocus());
  screen::PressKey('X', 0);
  EXPECT_EQ(log.size(), 2u) << "keys belong to the host";
}

TEST_F(ScreenTest, FocusControlRaisesTheControlsGotFocusAndItsHandlerChoosesTheChild) {
  screen::FocusHost();
  log.clear();
  surface.GotFocus = [this] {
    log.push_back("ztTest.GotFocus");
    surface.cmdOK.SetFocus();
  };
  screen::FocusUserControl();
  EXPECT_THAT(log, ElementsAre("ztTest.GotFocus", "cmdOK.GotFocus"));
}

TEST_F(ScreenTest, AClickWhileTheHostHasTheFocusGivesTheControlTheFocusFirst) {
  screen::FocusHost();
  log.clear();
  screen::ClickControl(surface.cmdOK);
  EXPECT_THAT(log, ElementsAre("ztTest.GotFocus", "hsbMAIN.GotFocus", "hsbMAIN.LostFocus",
                               "cmdOK.GotFocus", "cmdOK.Click"));
}

TEST_F(ScreenTest, ClickOnAHiddenOrDisabledControlDoesNothing) {
  surface.cmdAdd.SetVisible(false);
  surface.lblRow(2).SetEnabled(false);
  screen::Screen& window = screen::Screen::Current();
  screen::Control* const unclickable[] = {&surface.cmdAdd, &surface.lblRow(2)};
  for (screen::Control* c : unclickable) {
    EXPECT_FALSE(screen::ClickControl(*c)) << c->QualifiedName();
    EXPECT_FALSE(screen::DoubleClickControl(*c)) << c->QualifiedName();
    EXPECT_FALSE(window.SecondClick(*c)) << c->QualifiedName();
  }
  EXPECT_TRUE(log.empty());
}

TEST_F(ScreenTest, DoubleClickIsTheClickThenDblClick) {
  surface.lblRow.SetDblClick([this](int i) { log.push_back("row dbl " + std::to_string(i)); });
  screen::DoubleClickControl(surface.lblRow(2));
  EXPECT_THAT(log, ElementsAre("lblRow(2).Click", "row dbl 2"));
  log.clear();
  // The second click of a pair a front end delivers: DblClick alone, within
  // one user action, and the focus stays where it was.
  uint64_t stamp = 0;
  surface.cmdOK.DblClick = [&] {
    log.push_back("cmdOK.DblClick");
    stamp = base::ActionStamp();
  };
  EXPECT_TRUE(screen::Screen::Current().SecondClick(surface.cmdOK));
  EXPECT_THAT(log, ElementsAre("cmdOK.DblClick"));
  EXPECT_NE(stamp, 0u);
  EXPECT_EQ(FocusName(), "hsbMAIN");
}

TEST_F(ScreenTest, AMissingArrayMemberIsError340) {
  try {
    surface.lblRow(3);
    FAIL() << "no error";
  } catch (const base::RuntimeError& e) {
    EXPECT_EQ(e.Number(), 340);
  }
  EXPECT_EQ(surface.Find("LBLROW", 1), &surface.lblRow(1));
  EXPECT_TRUE(surface.IsArrayName("lblRow"));
  EXPECT_EQ(surface.Find("lblRow"), nullptr);
}

}  // namespace
}  // namespace screentest
