// The date-edit mode and the host's side of the period-ending range: what a
// date box hides and shows, the verdict while it is on, cmdUpdate and
// CmdCancel, the tag presets (including one made before PathText), "<=<"
// and the search opened by "?". Relies on the range fixture.
#include "perange_fixture.h"

namespace {

using PEModeTest = PERangeTest;

// Presets of two found tags, as a host would make them.
void Preset(ztDorvane& control, int16_t beginning, int16_t ending) {
  control.SetSelectedBPETAG(beginning);
  control.SetSelectedEPETAG(ending);
}

TEST_F(PEModeTest, ABoxWithTheFocusHoldsTheVerdictUntilUpdate) {
  Preset(*control, 2, 3);
  EXPECT_EQ(control->ArePEDatesOK(), -1);
  Click("txtBPEDATE");
  EXPECT_EQ(State("IsPEEditing"), "True");
  EXPECT_EQ(control->ArePEDatesOK(), 0);
  EXPECT_EQ(State("KeyPreview"), "False");
  for (const char* name : {"hsbMAIN", "CmdAdd", "cmdSaveList", "cmdHKBACTION"}) {
    EXPECT_FALSE(Child(name).Visible()) << name;
  }
  for (const char* name : {"cmdUpdate", "CmdCancel", "txtEPEDATE", "btnMakeLastFirst"}) {
    EXPECT_TRUE(Child(name).Visible()) << name;
  }
  EXPECT_EQ(control->IsListOK(), -1);
  Click("txtEPEDATE");  // moving between the boxes keeps the mode
  EXPECT_EQ(control->ArePEDatesOK(), 0);
  Click("cmdUpdate");
  EXPECT_EQ(State("IsPEEditing"), "False");
  EXPECT_EQ(control->ArePEDatesOK(), -1);
  EXPECT_FALSE(Child("cmdUpdate").Visible());
  EXPECT_TRUE(Child("CmdAdd").Visible());
  EXPECT_EQ(FocusName(), "hsbMAIN");
}

TEST_F(PEModeTest, CancelAcceptsBothEndsAndRestoresNothing) {
  Click("txtBPEDATE");
  Type("1/6/01");
  Click("CmdCancel");
  EXPECT_EQ(control->ArePEDatesOK(), -1);
  EXPECT_EQ(Text("txtBPEDATE"), "1/6/01");
  EXPECT_EQ(Caption("lblBPETEXTDATE"), "Cannot Find Date in Period Ending List.");
  EXPECT_EQ(control->SelectedBPETAG(), 0);
  EXPECT_EQ(FocusName(), "hsbMAIN");
}

// The beginning check never looks at the ending: the verdict stays True until
// the ending box is checked again.
TEST_F(PEModeTest, ABeginningMovedPastTheEndingIsNotCaught) {
  Preset(*control, 2, 3);
  Click("txtBPEDATE");
  Type("2/9/01");
  Click("cmdUpdate");
  EXPECT_EQ(control->SelectedBPETAG(), 7);
  EXPECT_EQ(control->ArePEDatesOK(), -1);
}

// Tag 0 clears an end and counts as valid; an absent tag blanks the box on
// light red and reads back as given; a found tag afterwards leaves the colours.
TEST_F(PEModeTest, PresetsByTag) {
  int16_t tag = 0;
  control->SetSelectedBPETAG(tag);
  EXPECT_EQ(Text("txtBPEDATE"), std::string(10, ' '));
  EXPECT_EQ(Caption("lblBPETEXTDATE"), " ");
  EXPECT_EQ(State("IsBPEOK"), "True");
  tag = 99;
  control->SetSelectedEPETAG(tag);
  EXPECT_EQ(control->SelectedEPETAG(), 99);
  EXPECT_EQ(Text("txtEPEDATE"), std::string(10, ' '));
  EXPECT_EQ(Caption("lblEPETEXTDATE"), "Cannot Find Period Ending Tag in PE List.");
  EXPECT_EQ(Back("txtEPEDATE"), kLightRed);
  EXPECT_EQ(control->ArePEDatesOK(), 0);
  tag = 4;
  control->SetSelectedEPETAG(tag);
  EXPECT_EQ(control->SelectedEPEDATE(), "01/19/2001");
  EXPECT_EQ(Caption("lblEPETEXTDATE"), "Friday, January 19, 2001");
  EXPECT_EQ(Back("txtEPEDATE"), kLightRed);
  EXPECT_EQ(control->ArePEDatesOK(), -1);
}

TEST_F(PEModeTest, APresetBeforePathTextFindsNoRowAndRaisesNothing) {
  NewControl();
  int16_t tag = 3;
  control->SetSelectedEPETAG(tag);
  EXPECT_EQ(control->SelectedEPETAG(), 3);
  EXPECT_EQ(Caption("lblEPETEXTDATE"), "Cannot Find Period Ending Tag in PE List.");
  EXPECT_TRUE(desktop.messageBoxes.empty());
  EXPECT_TRUE(desktop.errors.empty());
}

// "<=<" copies what the user sees; the ending's tag follows only when its box
// is checked, and the equal tag passes.
TEST_F(PEModeTest, MakeEndingEqualBeginning) {
  Preset(*control, 5, 7);
  Click("btnMakeLastFirst");
  EXPECT_EQ(Text("txtEPEDATE"), "01/26/2001");
  EXPECT_EQ(Caption("lblEPETEXTDATE"), "Friday, January 26, 2001");
  EXPECT_EQ(control->SelectedEPETAG(), 7);
  EXPECT_EQ(FocusName(), "txtEPEDATE");
  EXPECT_EQ(State("IsPEEditing"), "True");
  Click("cmdUpdate");
  EXPECT_EQ(control->SelectedEPETAG(), 5);
  EXPECT_EQ(control->ArePEDatesOK(), -1);
}

// "?" typed into an emptied box opens the PELIST search; closing it without a
// choice puts the last date text back, not the "?".
TEST_F(PEModeTest, ACancelledSearchPutsTheLastDateBack) {
  Preset(*control, 2, 3);
  Click("txtBPEDATE");
  Type("?");
  ASSERT_EQ(desktop.modalForms.size(), 1u);
  EXPECT_EQ(Text("txtBPEDATE"), "01/05/2001");
  EXPECT_EQ(FocusName(), "txtBPEDATE");
  EXPECT_EQ(State("ReopenNeeded"), "False");  // reopened after the dialog
  EXPECT_EQ(control->SelectedBPETAG(), 2);
}

}  // namespace
