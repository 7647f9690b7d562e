// Small forms for the toolkit's tests: a user control and a dialog whose
// controls write every event they receive into one shared log, and a fixture
// that places the user control on a fresh headless screen for each test.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "services/screen/screen.h"
#include "support/event_log.h"
#include "support/headless_screen.h"

namespace screentest {

using testsupport::Log;
using testsupport::Record;

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

// A fresh screen with a headless desktop, a Surface placed with the focus on
// hsbMAIN and the log cleared.
class ScreenTest : public testsupport::ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    Place(surface);
    surface.log.clear();
  }

  Surface surface;
  Log& log = surface.log;
};

}  // namespace screentest
