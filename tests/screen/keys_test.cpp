// Key rules of the toolkit: routing through key preview, KeyDown and KeyPress,
// the text box's own editing and its Change rules, the key's target, the
// synthesised Tab, button keys, access keys and trapped run-time errors.
#include "tests/screen/test_forms.h"

namespace screentest {
namespace {

using ::testing::ElementsAre;

class KeyTest : public ScreenTest {
 protected:
  // Focus on txtA with its text set and the caret placed, log cleared.
  void EditA(const std::string& text, int selStart, int selLength) {
    surface.txtA.SetFocus();
    surface.txtA.SetText(text);
    surface.txtA.SetSelStart(selStart);
    surface.txtA.SetSelLength(selLength);
    log.clear();
  }
};

TEST_F(KeyTest, KeyGoesToPreviewThenKeyDownThenKeyPressThenKeyUp) {
  surface.SetKeyPreview(true);
  screen::PressKey('A', screen::kShiftMask);
  EXPECT_THAT(log, ElementsAre("ztTest.KeyDown 65/1", "hsbMAIN.KeyDown 65/1", "hsbMAIN.KeyPress 65",
                               "hsbMAIN.KeyUp 65"));
  log.clear();
  surface.SetKeyPreview(false);
  screen::PressKey(screen::kKeyDown, 0);
  EXPECT_THAT(log, ElementsAre("hsbMAIN.KeyDown 40/0", "hsbMAIN.KeyUp 40"));
  // Only character keys reach KeyPress: Enter, Backspace and Esc do, Ctrl+C does not.
  for (int16_t code : {screen::kKeyReturn, screen::kKeyBack, screen::kKeyEscape}) {
    log.clear();
    screen::PressKey(code, 0);
    EXPECT_THAT(log, ElementsAre("hsbMAIN.KeyDown " + std::to_string(code) + "/0",
                                 "hsbMAIN.KeyPress " + std::to_string(code),
                                 "hsbMAIN.KeyUp " + std::to_string(code)));
  }
  log.clear();
  screen::PressKey('C', screen::kCtrlMask);
  EXPECT_THAT(log, ElementsAre("hsbMAIN.KeyDown 67/2", "hsbMAIN.KeyUp 67"));
}

TEST_F(KeyTest, ACharacterReplacesTheSelectionOrGoesInAtTheCaretWithinMaxLength) {
  EditA("12", 1, 0);
  Type("x");
  EXPECT_EQ(surface.txtA.Text(), "1x2");
  EXPECT_EQ(surface.txtA.SelStart(), 2);
  Type("y");
  EXPECT_EQ(surface.txtA.Text(), "1xy2");
  log.clear();
  Type("z");  // MaxLength 4: the box is full
  EXPECT_EQ(surface.txtA.Text(), "1xy2");
  EXPECT_EQ(std::count(log.begin(), log.end(), "txtA.Change"), 0);
  surface.txtA.SetSelStart(0);
  surface.txtA.SetSelLength(4);
  Type("Q");
  EXPECT_EQ(surface.txtA.Text(), "Q");
}

TEST_F(KeyTest, BackspaceDeleteAndTheCaretKeysEditTheBox) {
  EditA("abcd", 2, 0);
  screen::PressKey(screen::kKeyBack, 0);
  EXPECT_EQ(surface.txtA.Text(), "acd");
  screen::PressKey(screen::kKeyDelete, 0);
  EXPECT_EQ(surface.txtA.Text(), "ad");
  screen::PressKey(screen::kKeyHome, 0);
  screen::PressKey(screen::kKeyBack, 0);  // nothing before the caret
  EXPECT_EQ(surface.txtA.Text(), "ad");
  screen::PressKey(screen::kKeyRight, 0);
  EXPECT_EQ(surface.txtA.SelStart(), 1);
  screen::PressKey(screen::kKeyEnd, 0);
  screen::PressKey(screen::kKeyDelete, 0);  // nothing after the caret
  screen::PressKey(screen::kKeyLeft, 0);
  EXPECT_EQ(surface.txtA.SelStart(), 1);
  EXPECT_EQ(std::count(log.begin(), log.end(), "txtA.Change"), 2);
}

TEST_F(KeyTest, ChangeFollowsTypedEditsAndTextSetOnlyWhenItDiffers) {
  EditA("abc", 1, 2);
  surface.txtA.SetText("abc");
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(surface.txtA.SelStart(), 0);
  EXPECT_EQ(surface.txtA.SelLength(), 0);
  surface.txtA.SetText("abcdefg");  // code is not held to MaxLength
  EXPECT_THAT(log, ElementsAre("txtA.Change"));
  EXPECT_EQ(surface.txtA.Text(), "abcdefg");
  // A typed edit raises Change even when the text comes out the same.
  EditA("5", 0, 1);
  Type("5");
  EXPECT_THAT(log,
              ElementsAre("txtA.KeyDown 53/0", "txtA.KeyPress 53", "txtA.Change", "txtA.KeyUp 53"));
}

TEST_F(KeyTest, KeyPressCanDropOrChangeTheCharacter) {
  EditA("", 0, 0);
  surface.txtA.KeyPress = [](int16_t& a) { a = a == 'b' ? 0 : a - 32; };
  Type("abc");
  EXPECT_EQ(surface.txtA.Text(), "AC");
}

TEST_F(KeyTest, AllEventsOfAKeyGoToTheControlThatHadTheFocusWhenItWentDown) {
  surface.SetKeyPreview(true);
  surface.KeyDown = [this](int16_t& k, int16_t) {
    if (k == 'A') surface.txtA.SetFocus();
  };
  screen::PressKey('A', 0);
  EXPECT_THAT(log, ElementsAre("hsbMAIN.LostFocus", "txtA.GotFocus", "hsbMAIN.KeyDown 65/0",
                               "hsbMAIN.KeyPress 97", "hsbMAIN.KeyUp 65"));
  EXPECT_EQ(surface.txtA.Text(), "");
}

TEST_F(KeyTest, ClearingKeyCodeInThePreviewKeepsItFromTheFocusedControlsKeyDown) {
  surface.SetKeyPreview(true);
  surface.KeyDown = [](int16_t& k, int16_t) { k = 0; };
  screen::PressKey(screen::kKeyDown, 0);
  EXPECT_THAT(log, ElementsAre("hsbMAIN.KeyUp 40"));
}

TEST_F(KeyTest, TheSynthesisedTabRunsAfterTheKeyIsFullyHandled) {
  EditA("", 0, 0);
  surface.txtA.KeyPress = [this](int16_t& a) {
    log.push_back("txtA.KeyPress " + std::to_string(a));
    if (a == screen::kKeyReturn) {
      screen::SynthesizeTab();
      a = 0;
      // A double click handled meanwhile (a dialog's loop) leaves the Tab waiting.
      screen::Screen::Current().SecondClick(surface.lblRow(0));
    }
  };
  screen::PressKey(screen::kKeyReturn, 0);
  EXPECT_THAT(log, ElementsAre("txtA.KeyDown 13/0", "txtA.KeyPress 13", "lblRow(0).DblClick",
                               "txtA.KeyUp 13", "txtA.LostFocus", "txtB.GotFocus"));
  EXPECT_EQ(surface.txtA.Text(), "");
  screen::SynthesizeTab();  // outside any event the move happens at once
  EXPECT_EQ(FocusName(), "cmdAdd");
}

TEST_F(KeyTest, EnterOrSpaceClickAFocusedButtonAndEscTheCancelButton) {
  surface.SetKeyPreview(true);
  surface.cmdAdd.SetFocus();
  surface.cmdOK.SetDefault(true);
  log.clear();
  screen::PressKey(screen::kKeyReturn, 0);
  screen::PressKey(screen::kKeySpace, 0);
  EXPECT_THAT(log, ElementsAre("cmdAdd.Click", "cmdAdd.Click"));
  log.clear();
  surface.cmdOK.SetCancel(true);  // Esc clicks the cancel button
  screen::PressKey(screen::kKeyEscape, 0);
  EXPECT_THAT(log, ElementsAre("cmdOK.Click"));
}

TEST_F(KeyTest, EnterClicksTheDefaultButtonWithoutMovingTheFocus) {
  surface.SetKeyPreview(true);
  surface.cmdOK.SetDefault(true);
  EditA("1", 1, 0);
  screen::PressKey(screen::kKeyReturn, 0);
  EXPECT_THAT(log, ElementsAre("cmdOK.Click"));
  EXPECT_EQ(FocusName(), "txtA");
  log.clear();
  surface.cmdOK.SetEnabled(false);  // a disabled default leaves Enter an ordinary key
  screen::PressKey(screen::kKeyReturn, 0);
  EXPECT_THAT(log, ElementsAre("ztTest.KeyDown 13/0", "txtA.KeyDown 13/0", "txtA.KeyPress 13",
                               "txtA.KeyUp 13"));
}

TEST_F(KeyTest, AltLetterClicksTheMarkedButtonAfterMovingTheFocusToIt) {
  surface.SetKeyPreview(true);
  screen::PressKey('O', screen::kAltMask);
  EXPECT_THAT(log, ElementsAre("hsbMAIN.LostFocus", "cmdOK.GotFocus", "cmdOK.Click"));
  log.clear();
  screen::PressKey('Z', screen::kAltMask);
  EXPECT_THAT(log, ElementsAre("ztTest.KeyDown 90/4", "cmdOK.KeyDown 90/4", "cmdOK.KeyUp 90"));
  log.clear();
  surface.cmdAdd.SetVisible(false);  // a hidden button's letter is an ordinary key
  screen::PressKey('A', screen::kAltMask);
  EXPECT_EQ(log.front(), "ztTest.KeyDown 65/4");
}

TEST_F(KeyTest, ARunTimeErrorEndsItsEventOnlyAndIsReportedToTheHost) {
  surface.SetKeyPreview(true);
  surface.KeyDown = [](int16_t&, int16_t) { throw base::RuntimeError(3021, "no row"); };
  screen::PressKey('B', 0);
  ASSERT_EQ(desktop.errors.size(), 1u);
  EXPECT_EQ(desktop.errors[0].Number(), 3021);
  EXPECT_THAT(log, ElementsAre("hsbMAIN.KeyDown 66/0", "hsbMAIN.KeyPress 98", "hsbMAIN.KeyUp 66"));
  // The same for the DblClick of a double click's second click.
  surface.lblRow(1).DblClick = [] { throw base::RuntimeError(94, "Invalid use of Null"); };
  EXPECT_TRUE(screen::Screen::Current().SecondClick(surface.lblRow(1)));
  ASSERT_EQ(desktop.errors.size(), 2u);
  EXPECT_EQ(desktop.errors[1].Number(), 94);
}

TEST_F(KeyTest, TheRepaintHookRunsAfterEveryHandledEvent) {
  int repaints = 0;
  screen::SetRepaintHook([&] { ++repaints; });
  screen::PressKey('B', 0);
  screen::ClickControl(surface.lblRow(0));
  EXPECT_EQ(repaints, 2);
  screen::SetRepaintHook(nullptr);
}

}  // namespace
}  // namespace screentest
