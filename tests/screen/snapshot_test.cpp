// The picture of a screen and the diff between two: a diff holds only what
// changed, and applied to the old picture it gives the new one, through
// typing, a modal dialog coming and going and a control hidden.
#include "services/screen/snapshot.h"

#include "tests/screen/test_forms.h"

namespace screentest {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class SnapshotTest : public ScreenTest {
 protected:
  screen::Snapshot Take() const { return screen::TakeSnapshot(screen::Screen::Current()); }

  // Checks that Diff(from, to) turns from into to, and returns it.
  static screen::SnapshotDiff Between(const screen::Snapshot& from, const screen::Snapshot& to) {
    screen::SnapshotDiff diff = screen::Diff(from, to);
    EXPECT_TRUE(screen::Apply(from, diff) == to);
    return diff;
  }

  static std::vector<std::string> Names(const std::vector<screen::ControlPicture>& controls) {
    std::vector<std::string> names;
    for (const auto& c : controls) names.push_back(c.container + "." + c.name);
    return names;
  }
};

TEST_F(SnapshotTest, TypingAndADialogChangeOnlyWhatTheyTouch) {
  surface.txtA.SetFocus();
  const screen::Snapshot before = Take();
  EXPECT_EQ(before.containers.size(), 1u);
  EXPECT_EQ(before.controls.size(), surface.Controls().size());
  EXPECT_TRUE(screen::Diff(before, Take()).Empty());
  // Typing changes the box and the caret only.
  Type("ab");
  const screen::Snapshot typed = Take();
  const screen::SnapshotDiff diff = Between(before, typed);
  EXPECT_THAT(Names(diff.controls), ElementsAre("ztTest.txtA"));
  EXPECT_EQ(diff.controls[0].text, "ab");
  ASSERT_TRUE(diff.focus.has_value());
  EXPECT_EQ(diff.focus->selStart, 2);
  EXPECT_THAT(diff.controlsGone, IsEmpty());
  EXPECT_FALSE(diff.controlOrder || diff.containerOrder || diff.modalForms || diff.boxes);
  // A dialog comes with its shown controls (a hidden one leaves) and goes.
  Dialog dialog(log);
  dialog.SetCaption("Pick");
  screen::Snapshot during;
  surface.cmdAdd.Click = [&] { dialog.ShowModal(); };
  desktop.QueueModalAction([&] {
    dialog.lblTitle.SetVisible(false);
    during = Take();
  });
  const screen::Snapshot shut = Take();
  screen::ClickControl(surface.cmdAdd);
  const screen::SnapshotDiff opened = Between(shut, during);
  ASSERT_EQ(opened.containers.size(), 1u);
  EXPECT_EQ(opened.containers[0].caption, "Pick");
  EXPECT_THAT(Names(opened.controls),
              ElementsAre("frmTest.CmdSelect", "frmTest.CmdCancel", "frmTest.hsbMAIN"));
  EXPECT_TRUE(opened.controls[0].isDefault);
  EXPECT_THAT(*opened.modalForms, ElementsAre("frmTest"));
  EXPECT_EQ(opened.focus->container, "frmTest");
  const screen::SnapshotDiff closed = Between(during, Take());
  EXPECT_THAT(closed.containersGone, ElementsAre("frmTest"));
  EXPECT_EQ(closed.controlsGone.size(), 3u);
  EXPECT_THAT(*closed.modalForms, IsEmpty());
  EXPECT_EQ(closed.focus->container, "ztTest");
}

}  // namespace
}  // namespace screentest
