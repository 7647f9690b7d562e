// Typed period-ending dates: the check when a box loses the focus (refusals,
// the normalised date text, the ending's order check) and the "+"/"-" week
// steps with their ends of the list. Relies on the range fixture.
#include "perange_fixture.h"

namespace {

using PEEntryTest = PERangeTest;

TEST_F(PEEntryTest, ACompactEntryIsFoundAndKeptInItsNormalisedForm) {
  Click("txtBPEDATE");
  Type("010501\r");
  EXPECT_EQ(FocusName(), "txtEPEDATE");
  EXPECT_EQ(control->SelectedBPETAG(), 2);
  EXPECT_EQ(control->SelectedBPEDATE(), "01/05/2001");
  EXPECT_EQ(Text("txtBPEDATE"), "01/05/2001");
  EXPECT_EQ(Caption("lblBPETEXTDATE"), "Friday, January 5, 2001");
  EXPECT_EQ(Back("txtBPEDATE"), kWhite);
  EXPECT_EQ(State("IsBPEOK"), "True");
}

// Each refusal names its reason on light red, keeps the typed text and clears
// the tag; a good date afterwards paints both white again.
TEST_F(PEEntryTest, RefusalsKeepTheTypedTextAndClearTheTag) {
  Click("txtBPEDATE");
  Type("2/30/01\r");
  EXPECT_EQ(Caption("lblBPETEXTDATE"), "Invalid Date.");
  EXPECT_EQ(Text("txtBPEDATE"), "2/30/01");
  EXPECT_EQ(control->SelectedBPEDATE(), " ");
  Click("txtBPEDATE");
  Type("1/6/01\t");
  EXPECT_EQ(Caption("lblBPETEXTDATE"), "Cannot Find Date in Period Ending List.");
  EXPECT_EQ(Text("txtBPEDATE"), "1/6/01");
  EXPECT_EQ(control->SelectedBPETAG(), 0);
  EXPECT_EQ(Back("lblBPETEXTDATE"), kLightRed);
  EXPECT_EQ(Back("txtBPEDATE"), kLightRed);
  EXPECT_EQ(State("IsBPEOK"), "False");
  Click("txtBPEDATE");
  Type("1/12/01\r");
  EXPECT_EQ(control->SelectedBPETAG(), 3);
  EXPECT_EQ(Back("lblBPETEXTDATE"), kWhite);
  EXPECT_EQ(Back("txtBPEDATE"), kWhite);
}

// The ending is compared with the beginning by tag: equal passes, lower is
// refused with the found tag and FEDATE kept.
TEST_F(PEEntryTest, TheEndingMayEqualButNotPrecedeTheBeginning) {
  Click("txtBPEDATE");
  Type("1/12/01\r1/12/01\r");
  EXPECT_EQ(control->SelectedEPETAG(), 3);
  EXPECT_EQ(State("IsEPEOK"), "True");
  Click("txtEPEDATE");
  Type("1/5/2001\r");
  EXPECT_EQ(control->SelectedEPETAG(), 2);
  EXPECT_EQ(Text("txtEPEDATE"), "01/05/2001");
  EXPECT_EQ(Caption("lblEPETEXTDATE"), "Ending PE Date is Less Than Beginning PE Date.");
  EXPECT_EQ(Back("txtEPEDATE"), kLightRed);
  EXPECT_EQ(State("IsEPEOK"), "False");
}

// "+" and "-" step a week and look the date up; where no row lies the label
// says so and the box gets its text back, with colours and flag unchanged.
TEST_F(PEEntryTest, WeekStepsStopAtTheEndsOfTheList) {
  Click("txtBPEDATE");
  Type("022301\r");
  Click("txtBPEDATE");
  Type("+");
  EXPECT_EQ(Text("txtBPEDATE"), "03/02/2001");
  EXPECT_EQ(control->SelectedBPETAG(), 10);
  EXPECT_EQ(Caption("lblBPETEXTDATE"), "Friday, March 2, 2001");
  EXPECT_EQ(Child<screen::TextBox>("txtBPEDATE").SelLength(), 10);
  Type("+");
  EXPECT_EQ(Text("txtBPEDATE"), "03/02/2001");
  EXPECT_EQ(Caption("lblBPETEXTDATE"), "Cannot Find Beginning PE Date.");
  EXPECT_EQ(control->SelectedBPETAG(), 10);
  EXPECT_EQ(Back("txtBPEDATE"), kWhite);
  EXPECT_EQ(State("IsBPEOK"), "False");  // being edited
  Click("txtEPEDATE");
  Type("12/29/00-");
  EXPECT_EQ(Text("txtEPEDATE"), "12/29/00");
  EXPECT_EQ(Caption("lblEPETEXTDATE"), "Cannot Find Ending PE Date.");
}

// A box that holds no date: "+" finds no row and puts the text back; a box of
// exactly ten blanks does not change, so the "+" is passed on like any key
// (and the full box has no room for it).
TEST_F(PEEntryTest, StepsOnTextThatIsNoDate) {
  Click("txtBPEDATE");
  Type("abc+");
  EXPECT_EQ(Text("txtBPEDATE"), "abc");  // letters reach the box as typed
  EXPECT_EQ(Caption("lblBPETEXTDATE"), "Cannot Find Beginning PE Date.");
  EXPECT_EQ(control->SelectedBPEDATE(), " ");
  Click("txtEPEDATE");
  int16_t none = 0;
  control->SetSelectedBPETAG(none);
  Click("txtBPEDATE");
  Type("+");
  EXPECT_EQ(Text("txtBPEDATE"), std::string(10, ' '));  // full: the typed "+" does not fit
  EXPECT_EQ(Caption("lblBPETEXTDATE"), " ");
}

}  // namespace
