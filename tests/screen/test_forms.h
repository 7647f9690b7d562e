// Small forms for the toolkit's tests: a user control and a dialog whose
// controls write every event they receive into one shared log, and a fixture
// that installs a headless desktop and clears the screen around each test.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "services/screen/screen.h"

namespace screentest {

using Log = std::vector<std::string>;

// Makes every event of c append "name.Event args" to log.
inline void Record(screen::Control& c, Log& log) {
  const std::string n = c.QualifiedName();
  c.GotFocus = [&log, n] { log.push_back(n + ".GotFocus"); };
  c.LostFocus = [&log, n] { log.push_back(n + ".LostFocus"); };
  c.Click = [&log, n] { log.push_back(n + ".Click"); };
  c.DblClick = [&log, n] { log.push_back(n + ".DblClick"); };
  c.KeyDown = [&log, n](int16_t& k, int16_t s) {
    log.push_back(n + ".KeyDown " + std::to_string(k) + "/" + std::to_string(s));
  };
  c.KeyPress = [&log, n](int16_t& a) { log.push_back(n + ".KeyPress " + std::to_string(a)); };
  c.KeyUp = [&log, n](int16_t& k, int16_t) { log.push_back(n + ".KeyUp " + std::to_string(k)); };
  if (c.Kind() == screen::ControlKind::TextBox) {
    static_cast<screen::TextBox&>(c).Change = [&log, n] { log.push_back(n + ".Change"); };
  }
}

// A user control: scroll bar first in the tab order, two boxes, three
// buttons (btnFind is not a tab stop) and a label array.
class Surface : public screen::UserControl {
 public:
  screen::HScrollBar hsbMAIN{"hsbMAIN"};
  screen::TextBox txtA{"txtA"};
  screen::TextBox txtB{"txtB"};
  screen::CommandButton cmdAdd{"cmdAdd"};
  screen::CommandButton cmdOK{"cmdOK"};
  screen::CommandButton btnFind{"btnFind"};
  screen::ControlArray<screen::Label> lblRow{"lblRow", 3};
  Log log;

  Surface() : UserControl("ztTest") {
    SetWidth(8535);
    Add(lblRow);
    Add(txtA);
    Add(txtB);
    Add(cmdAdd);
    Add(cmdOK);
    Add(btnFind);
    Add(hsbMAIN);
    hsbMAIN.SetTabIndex(0);
    txtA.SetTabIndex(1);
    txtB.SetTabIndex(2);
    cmdAdd.SetTabIndex(3);
    cmdOK.SetTabIndex(4);
    btnFind.SetTabIndex(5);
    btnFind.SetTabStop(false);
    cmdAdd.SetCaption("&Add");
    cmdOK.SetCaption("&OK");
    txtA.SetMaxLength(4);
    for (screen::Control* c : Controls()) Record(*c, log);
    GotFocus = [this] { log.push_back("ztTest.GotFocus"); };
    LostFocus = [this] { log.push_back("ztTest.LostFocus"); };
    KeyDown = [this](int16_t& k, int16_t s) {
      log.push_back("ztTest.KeyDown " + std::to_string(k) + "/" + std::to_string(s));
    };
  }
};

// A dialog: a scroll bar that holds the focus, Select (the default button)
// and Cancel.
class Dialog : public screen::Form {
 public:
  screen::HScrollBar hsbMAIN{"hsbMAIN"};
  screen::CommandButton CmdSelect{"CmdSelect"};
  screen::CommandButton CmdCancel{"CmdCancel"};
  screen::Label lblTitle{"lblTitle"};
  Log& log;

  explicit Dialog(Log& sharedLog) : Form("frmTest"), log(sharedLog) {
    Add(lblTitle);
    Add(CmdSelect);
    Add(CmdCancel);
    Add(hsbMAIN);
    hsbMAIN.SetTabIndex(0);
    CmdSelect.SetTabIndex(1);
    CmdCancel.SetTabIndex(2);
    CmdSelect.SetCaption("&Select");
    CmdCancel.SetCaption("&Cancel");
    CmdSelect.SetDefault(true);
    for (screen::Control* c : Controls()) Record(*c, log);
    CmdSelect.Click = [this] {
      log.push_back("CmdSelect.Click");
      Unload();
    };
    CmdCancel.Click = [this] {
      log.push_back("CmdCancel.Click");
      Unload();
    };
    OnLoad = [this] { log.push_back("frmTest.Load"); };
    OnUnload = [this] { log.push_back("frmTest.Unload"); };
  }
};

// Installs a headless desktop, places a Surface with the focus on hsbMAIN and
// clears the log; removes everything afterwards.
class ScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    screen::ResetScreen();
    screen::SetDesktop(&desktop);
    screen::PlaceUserControl(&surface);
    screen::FocusUserControl();
    surface.log.clear();
  }
  void TearDown() override {
    screen::ResetScreen();
    screen::SetDesktop(nullptr);
  }
  // The name of the focused control, "(none)" when nothing has the focus.
  static std::string Focus() {
    screen::Control* c = screen::FocusedControl();
    return c == nullptr ? "(none)" : c->QualifiedName();
  }

  screen::HeadlessDesktop desktop;
  Surface surface;
  Log& log = surface.log;
};

}  // namespace screentest
