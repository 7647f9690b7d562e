// Set-up shared by the period-ending range tests: a control on a data folder
// whose PELIST holds ten Fridays, 12/29/2000 (tag 1) to 03/02/2001 (tag 10),
// and the user's typing and clicking. Relies on the control fixture.
#pragma once

#include <string>

#include "control_fixture.h"

class PERangeTest : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    data = MakeFolder("data", "--today 2001-01-01 --weeks 10");
    control->SetPathText(data);
  }

  // Types each character as the key that gives it.
  void Type(const std::string& text) {
    for (char ch : text) {
      auto stroke = screen::KeyOfCharacter(ch);
      ASSERT_TRUE(stroke.has_value()) << ch;
      screen::PressKey(stroke->keyCode, stroke->shift);
    }
  }

  // A mouse click on a visible, enabled child.
  void Click(const std::string& name) { ASSERT_TRUE(screen::ClickControl(Child(name))) << name; }

  std::string Text(const std::string& name) { return Child<screen::TextBox>(name).Text(); }
  uint32_t Back(const std::string& name) { return Child(name).BackColor(); }

  static constexpr uint32_t kWhite = 0x00FFFFFF;
  static constexpr uint32_t kLightRed = 0x008080FF;
  std::string data;
};
