// The "+"/"-" week steps walked over a whole PELIST on the beginning box: every
// row reached in turn, across the turn of the year, from a compact entry, and
// stopped at the ends and at a row another program deleted. Single cases of
// the period-ending range are scenario scripts.
#include <cstdio>

#include "control_fixture.h"

namespace {

// PELIST holds ten Fridays, 12/29/2000 (tag 1) to 03/02/2001 (tag 10).
class PEWalkTest : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    data = MakeFolder("data", {"--today", "2001-01-01", "--weeks", "10"});
    control->SetPathText(data);
  }

  // FEDATE of a tag: MM/DD/YYYY of the Friday (tag - 1) weeks after 12/29/2000.
  static std::string FedateOf(int tag) {
    int year = 0, month = 0, day = 0;
    base::YMDFromDateSerial(base::DateSerialFromYMD(2000, 12, 29) + 7 * (tag - 1), year, month,
                            day);
    char text[11];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d", month, day, year);
    return text;
  }

  std::string data;
};

// The ending box's steps and its own not-found caption are a scenario's.
TEST_F(PEWalkTest, StepsReachEveryRowAndStopAtBothEnds) {
  ASSERT_TRUE(screen::ClickControl(Child("txtBPEDATE")));
  Type("122900+");  // a compact entry steps across the turn of the year
  for (int tag = 2; tag <= 10; ++tag) {
    EXPECT_EQ(control->SelectedBPETAG(), tag);
    EXPECT_EQ(Child<screen::TextBox>("txtBPEDATE").Text(), FedateOf(tag));
    Type("+");
  }
  EXPECT_EQ(Caption("lblBPETEXTDATE"), "Cannot Find Beginning PE Date.");
  EXPECT_EQ(Child<screen::TextBox>("txtBPEDATE").Text(), FedateOf(10));
  for (int tag = 9; tag >= 1; --tag) {
    Type("-");
    EXPECT_EQ(control->SelectedBPETAG(), tag);
    EXPECT_EQ(Child<screen::TextBox>("txtBPEDATE").Text(), FedateOf(tag));
  }
  Type("-");
  EXPECT_EQ(Caption("lblBPETEXTDATE"), "Cannot Find Beginning PE Date.");
  EXPECT_EQ(control->SelectedBPETAG(), 1);
}

// The step looks up the date a week away; it does not walk PELIST, so a
// missing week stops it in both directions.
TEST_F(PEWalkTest, ARowDeletedByAnotherProgramStopsTheStep) {
  Exec(data, "MAIN.MDB", "DELETE FROM PELIST WHERE PETAG = 5");
  ASSERT_TRUE(screen::ClickControl(Child("txtBPEDATE")));
  Type(FedateOf(4) + "+");
  EXPECT_EQ(Caption("lblBPETEXTDATE"), "Cannot Find Beginning PE Date.");
  EXPECT_EQ(Child<screen::TextBox>("txtBPEDATE").Text(), FedateOf(4));
  Type("\r");
  EXPECT_EQ(control->SelectedBPETAG(), 4);
  ASSERT_TRUE(screen::ClickControl(Child("txtBPEDATE")));
  Type(FedateOf(6) + "-");
  EXPECT_EQ(Child<screen::TextBox>("txtBPEDATE").Text(), FedateOf(6));
  EXPECT_EQ(control->SelectedBPETAG(), 4);  // the step found nothing to take
}

}  // namespace
