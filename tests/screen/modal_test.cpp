// Modal dialogs: the focus moves when a dialog shows and unloads, keys of an
// unloaded form are dropped, loads start from the design values and the
// headless desktop's modal run.
#include "tests/screen/test_forms.h"

namespace screentest {
namespace {

using ::testing::ElementsAre;

class ModalTest : public ScreenTest {
 protected:
  ModalTest() : dialog(log) {}
  // Shows the dialog from a click on cmdAdd, as the control's handlers do.
  void OpenFromAdd() {
    surface.cmdAdd.Click = [this] {
      log.push_back("cmdAdd.Click");
      dialog.ShowModal();
      log.push_back("ShowModal returned");
    };
  }
  Dialog dialog;
};

TEST_F(ModalTest, ShowingADialogTakesTheControlsFocusAndGivesItBackSilently) {
  surface.txtA.SetFocus();
  log.clear();
  OpenFromAdd();
  desktop.QueueModalAction([this] {
    EXPECT_EQ(FocusName(), "hsbMAIN");
    EXPECT_EQ(screen::ActiveContainer(), &dialog);
    screen::PressKey(screen::kKeyReturn, 0);  // the default button, CmdSelect
  });
  screen::PressKey('A', screen::kAltMask);
  EXPECT_THAT(log, ElementsAre("txtA.LostFocus", "cmdAdd.GotFocus", "cmdAdd.Click", "frmTest.Load",
                               "ztTest.LostFocus", "hsbMAIN.GotFocus", "CmdSelect.Click",
                               "frmTest.Unload", "ShowModal returned"));
  EXPECT_EQ(FocusName(), "cmdAdd");
  EXPECT_TRUE(screen::UserControlHasFocus());
  EXPECT_THAT(desktop.modalForms, ElementsAre("frmTest"));
}

TEST_F(ModalTest, TheRestOfAKeyWhoseFormUnloadedIsDropped) {
  dialog.SetKeyPreview(true);
  dialog.KeyDown = [this](int16_t& k, int16_t) {
    log.push_back("frmTest.KeyDown " + std::to_string(k));
    if (k == screen::kKeyEscape) dialog.Unload();
  };
  desktop.QueueModalAction([] { screen::PressKey(screen::kKeyEscape, 0); });
  OpenFromAdd();
  screen::ClickControl(surface.cmdAdd);
  const std::vector<std::string> tail(log.end() - 3, log.end());
  EXPECT_THAT(tail, ElementsAre("frmTest.KeyDown 27", "frmTest.Unload", "ShowModal returned"));
}

TEST_F(ModalTest, OnlyTheDialogTakesInputWhileItIsOpen) {
  desktop.QueueModalAction([this] {
    EXPECT_FALSE(screen::ClickControl(surface.cmdOK));
    EXPECT_TRUE(screen::ClickControl(dialog.CmdCancel));
  });
  OpenFromAdd();
  screen::ClickControl(surface.cmdAdd);
  EXPECT_EQ(std::count(log.begin(), log.end(), "cmdOK.Click"), 0);
  EXPECT_EQ(std::count(log.begin(), log.end(), "CmdCancel.Click"), 1);
}

TEST_F(ModalTest, ShowModalReturnsOnlyAfterTheFormUnloaded) {
  dialog.ShowModal();  // no queued action: the headless desktop uses the close box
  EXPECT_FALSE(dialog.IsLoaded());
  EXPECT_EQ(screen::ActiveModalForm(), nullptr);
  EXPECT_EQ(log.back(), "frmTest.Unload");
}

TEST_F(ModalTest, EveryLoadStartsFromTheDesignValues) {
  dialog.OnLoad = [this] {
    EXPECT_TRUE(dialog.CmdSelect.Visible());
    EXPECT_EQ(dialog.CmdSelect.Caption(), "&Select");
    dialog.CmdSelect.SetVisible(false);
    dialog.CmdSelect.SetCaption("changed");
  };
  dialog.ShowModal();
  dialog.ShowModal();
  EXPECT_FALSE(dialog.CmdSelect.Visible());
}

TEST_F(ModalTest, TheFirstTabStopGetsTheFocusWhenTheFormShows) {
  dialog.OnLoad = [this] { dialog.hsbMAIN.SetVisible(false); };
  desktop.QueueModalAction([this] { EXPECT_EQ(FocusName(), "CmdSelect"); });
  dialog.ShowModal();
  EXPECT_EQ(desktop.modalForms.size(), 1u);
}

TEST_F(ModalTest, AnErrorInLoadReachesTheCallerAndLeavesTheFormUnloaded) {
  dialog.OnLoad = [] { throw base::RuntimeError(3024, "file missing"); };
  EXPECT_THROW(dialog.ShowModal(), base::RuntimeError);
  EXPECT_FALSE(dialog.IsLoaded());
  EXPECT_TRUE(desktop.modalForms.empty());
}

TEST_F(ModalTest, TheCloseBoxUnloadsAndReportsAnErrorOfUnload) {
  dialog.OnUnload = [] { throw base::RuntimeError(91, "object not set"); };
  desktop.QueueModalAction([this] { screen::CloseForm(dialog); });
  dialog.ShowModal();
  EXPECT_FALSE(dialog.IsLoaded());
  ASSERT_EQ(desktop.errors.size(), 1u);
  EXPECT_EQ(desktop.errors[0].Number(), 91);
  EXPECT_EQ(FocusName(), "hsbMAIN");
}

TEST_F(ModalTest, AResetAfterAnAbandonedModalRunLeavesTheFormReadyToLoadAgain) {
  desktop.QueueModalAction([] { throw 42; });  // not a run-time error: nothing traps it
  EXPECT_THROW(dialog.ShowModal(), int);
  EXPECT_TRUE(dialog.IsLoaded());
  screen::ResetScreen();
  EXPECT_FALSE(dialog.IsLoaded());
  EXPECT_EQ(screen::ActiveModalForm(), nullptr);
  log.clear();
  dialog.ShowModal();
  EXPECT_EQ(log.front(), "frmTest.Load");
}

}  // namespace
}  // namespace screentest
