// The picture of a screen and the diff between two: a diff holds only what
// changed, and applied to the old picture it gives the new one, through
// typing, a modal dialog coming and going, a control hidden, and a message
// box waiting for its answer.
#include "services/screen/snapshot.h"

#include "tests/screen/test_forms.h"

namespace screentest {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// A desktop whose message box waits: while it is shown, the box is listed and
// the test's probe runs (a front end drawing the screen meanwhile).
class WaitingDesktop : public screen::HeadlessDesktop {
 public:
  int MsgBox(const std::string& prompt, int style, const std::string& title) override {
    waiting_.push_back({prompt, style, title});
    if (whileShown) whileShown();
    waiting_.pop_back();
    return 1;
  }
  std::vector<screen::WaitingBox> WaitingBoxes() const override { return waiting_; }
  std::function<void()> whileShown;

 private:
  std::vector<screen::WaitingBox> waiting_;
};

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

TEST_F(SnapshotTest, TypingADialogAndAWaitingBoxChangeOnlyWhatTheyTouch) {
  WaitingDesktop boxes;
  screen::Screen::Current().SetDesktop(&boxes);
  surface.txtA.SetFocus();
  const screen::Snapshot before = Take();
  EXPECT_EQ(before.focusControl, "txtA");
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
  boxes.QueueModalAction([&] {
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
  // A message box waiting for its answer is in the picture while it waits.
  screen::Snapshot shown;
  boxes.whileShown = [&] { shown = Take(); };
  const screen::Snapshot quiet = Take();
  screen::GetDesktop().MsgBox("Saved", 64, "Update Notice");
  ASSERT_TRUE(Between(quiet, shown).boxes.has_value());
  EXPECT_THAT(*Between(quiet, shown).boxes,
              ElementsAre(screen::WaitingBox{"Saved", 64, "Update Notice"}));
  EXPECT_THAT(*Between(shown, Take()).boxes, IsEmpty());
  screen::Screen::Current().SetDesktop(nullptr);
}

}  // namespace
}  // namespace screentest
