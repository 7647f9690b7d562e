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
    screen::Control* const tabOrder[] = {&txtA, &txtB, &cmdAdd, &cmdOK, &btnFind};
    int tab = 1;
    for (screen::Control* c : tabOrder) {
      Add(*c);
      c->SetTabIndex(tab++);
    }
    Add(hsbMAIN);
    hsbMAIN.SetTabIndex(0);
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
    int tab = 1;
    for (screen::CommandButton* button : {&CmdSelect, &CmdCancel}) {
      Add(*button);
      button->SetTabIndex(tab++);
      button->SetCaption("&" + button->Name().substr(3));
    }
    Add(hsbMAIN);
    hsbMAIN.SetTabIndex(0);
    CmdSelect.SetDefault(true);
    for (screen::Control* c : Controls()) Record(*c, log);
    for (screen::CommandButton* button : {&CmdSelect, &CmdCancel}) {
      button->Click = [this, button] {
        log.push_back(button->Name() + ".Click");
        Unload();
      };
    }
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
