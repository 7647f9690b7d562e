// ztBasicSet's keystroke routines: TranslateKeyPress's codes and its Enter-to-
// Tab move through the toolkit, and SelectAllText on text boxes and others.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "services/screen/screen.h"
#include "services/ztBasicSet.h"
#include "support/headless_screen.h"

namespace {

using ::testing::ElementsAre;

TEST(TranslateKeyPress, EnterGivesZeroWhateverUpperCaseIs) {
  for (bool upper : {true, false}) {
    int16_t key = 13;
    EXPECT_EQ(ztBasicSet::TranslateKeyPress(key, upper), 0);
  }
}

TEST(TranslateKeyPress, SmallLettersBecomeCapitalsOnlyWhenAsked) {
  int16_t q = 'q';
  EXPECT_EQ(ztBasicSet::TranslateKeyPress(q, true), 81);
  EXPECT_EQ(q, 81);
  q = 'q';
  EXPECT_EQ(ztBasicSet::TranslateKeyPress(q, false), 113);
  EXPECT_EQ(q, 113);
  for (int16_t edge : {int16_t{'a'}, int16_t{'z'}}) {
    int16_t key = edge;
    EXPECT_EQ(ztBasicSet::TranslateKeyPress(key, true), edge - 32);
  }
}

TEST(TranslateKeyPress, CodesBesideTheSmallLettersComeBackUnchanged) {
  for (int16_t code : {int16_t{123}, int16_t{96}, int16_t{'Q'}, int16_t{'5'}, int16_t{8}}) {
    int16_t key = code;
    EXPECT_EQ(ztBasicSet::TranslateKeyPress(key, true), code);
    EXPECT_EQ(key, code);
  }
}

// A user control with two entry boxes whose KeyPress handlers use
// TranslateKeyPress as the control's boxes do, and a button after them.
class EntrySurface : public screen::UserControl {
 public:
  screen::TextBox txtCONO{"txtCONO"};
  screen::TextBox txtJOBNO{"txtJOBNO"};
  screen::CommandButton cmdUpdate{"cmdUpdate"};
  std::vector<std::string> log;

  EntrySurface() : UserControl("ztTest") {
    Add(txtCONO);
    Add(txtJOBNO);
    Add(cmdUpdate);
    txtCONO.SetTabIndex(0);
    txtJOBNO.SetTabIndex(1);
    cmdUpdate.SetTabIndex(2);
    for (screen::TextBox* box : {&txtCONO, &txtJOBNO}) {
      box->KeyPress = [box](int16_t& a) { a = ztBasicSet::TranslateKeyPress(a, true); };
      box->Change = [this, box] { log.push_back(box->Name() + ".Change"); };
      box->KeyUp = [this, box](int16_t&, int16_t) { log.push_back(box->Name() + ".KeyUp"); };
      box->LostFocus = [this, box] { log.push_back(box->Name() + ".LostFocus"); };
      box->GotFocus = [this, box] {
        log.push_back(box->Name() + ".GotFocus");
        ztBasicSet::SelectAllText(*box);
      };
    }
  }
};

class EnterToTab : public testsupport::ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    Place(surface);
    surface.log.clear();
  }
  EntrySurface surface;
};

TEST_F(EnterToTab, EnterMovesTheFocusAfterTheKeyAndNeverReachesTheBox) {
  screen::PressKey('1', 0);
  surface.log.clear();
  screen::PressKey(screen::kKeyReturn, 0);
  EXPECT_THAT(surface.log, ElementsAre("txtCONO.KeyUp", "txtCONO.LostFocus", "txtJOBNO.GotFocus"));
  EXPECT_EQ(surface.txtCONO.Text(), "1");
  EXPECT_EQ(screen::FocusedControl(), &surface.txtJOBNO);
  screen::PressKey(screen::kKeyReturn, 0);
  EXPECT_EQ(screen::FocusedControl(), &surface.cmdUpdate);
}

TEST_F(EnterToTab, TypedSmallLettersArriveAsCapitals) {
  screen::PressKey('Q', 0);
  EXPECT_EQ(surface.txtCONO.Text(), "Q");
}

TEST_F(EnterToTab, OutsideAnyEventTheMoveHappensAtOnce) {
  int16_t key = 13;
  ztBasicSet::TranslateKeyPress(key, false);
  EXPECT_EQ(screen::FocusedControl(), &surface.txtJOBNO);
}

TEST(SelectAllText, SelectsTheWholeTextOfATextBox) {
  screen::TextBox box("txtNAME");
  box.SetText("Zoë Ltd");
  box.SetSelStart(3);
  ztBasicSet::SelectAllText(box);
  EXPECT_EQ(box.SelStart(), 0);
  EXPECT_EQ(box.SelLength(), 7);
}

TEST(SelectAllText, LeavesOtherKindsOfControlAlone) {
  screen::Label label("lblNAME");
  label.SetCaption("Name");
  screen::CommandButton button("cmdOK");
  ztBasicSet::SelectAllText(label);
  ztBasicSet::SelectAllText(button);
  EXPECT_EQ(label.Caption(), "Name");
  EXPECT_TRUE(button.Visible());
}

TEST_F(EnterToTab, FocusOnABoxSelectsItsTextSoTheNextKeyReplacesIt) {
  surface.txtJOBNO.SetText("OLD");
  screen::ClickControl(surface.txtJOBNO);
  screen::PressKey('N', 0);
  EXPECT_EQ(surface.txtJOBNO.Text(), "N");
}

}  // namespace
