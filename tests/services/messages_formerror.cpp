// Tests of ShowFormLoadError on a form with timers: the search dialog's
// scenario scripts check the report box and that only its Cancel button is
// left; controls named as timers ("tmr", in that case) keep their state, and
// a hidden button to keep is shown.
#include <gtest/gtest.h>

#include "services/screen/screen.h"
#include "services/ztMSAccess.h"
#include "support/headless_screen.h"

namespace {

TEST(ShowFormLoadError, TimersKeepTheirStateAndTheKeptButtonShows) {
  testsupport::BoxRecorder boxes;
  screen::Form frm("frmTest");
  screen::CommandButton cmdClose("cmdClose");
  screen::Label tmrShown("tmrShown");
  screen::Label tmrHidden("tmrHidden");
  screen::Label TMRUpper("TMRUpper");
  tmrHidden.SetVisible(false);
  cmdClose.SetVisible(false);
  frm.Add(cmdClose);
  frm.Add(tmrShown);
  frm.Add(tmrHidden);
  frm.Add(TMRUpper);
  ztMSAccess::ShowFormLoadError(frm, cmdClose, "frmTest", "3265", "Field XYZ not found");
  EXPECT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_TRUE(tmrShown.Visible());
  EXPECT_FALSE(tmrHidden.Visible());
  EXPECT_FALSE(TMRUpper.Visible());
  EXPECT_TRUE(cmdClose.Visible());
}

}  // namespace
