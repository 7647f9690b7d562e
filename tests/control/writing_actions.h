// The control's actions that write, as a user makes them, for the fault
// sweeps of the disk and of the server link: add, edit, delete, save, new
// list, retrieve, and a save that issues a tag (on data whose working list
// was never saved). Company 12 and job EJ916 exist in the data the data tool
// makes with its default seed.
#pragma once

#include <functional>
#include <string>

#include "control/ztDorvane.h"
#include "services/screen/screen.h"
#include "support/headless_screen.h"

namespace writingactions {

struct Action {
  const char* name;
  std::function<void(ztDorvane&)> run;
  bool issuesATag = false;  // needs a working list never saved
};

inline void Click(ztDorvane& control, const char* button) {
  screen::ClickControl(*static_cast<screen::CommandButton*>(control.Find(button, -1)));
}

inline void SaveAs(ztDorvane& control, const char* name) {
  Click(control, "cmdSaveList");
  static_cast<screen::TextBox*>(control.Find("txtTJLNAME", -1))->SetText(name);
  Click(control, "cmdUpdate");
}

inline const Action kActions[] = {
    {"add", [](ztDorvane&) { screen::PressKey('A', 0), testsupport::TypeText("12\rej916\r\r"); }},
    {"edit", [](ztDorvane&) { screen::PressKey('E', 0), testsupport::TypeText("12\rej916\r\r"); }},
    {"delete", [](ztDorvane&) { screen::PressKey(screen::kKeyDelete, 0); }},
    {"save", [](ztDorvane& c) { SaveAs(c, "Spring, revised"); }},
    {"new list", [](ztDorvane& c) { Click(c, "cmdNewList"); }},
    {"retrieve",
     [](ztDorvane& c) {
       static_cast<screen::HeadlessDesktop&>(screen::GetDesktop()).QueueModalAction([] {
         screen::PressKey(screen::kKeyReturn, 0);  // the first saved list
       });
       Click(c, "cmdRetreiveList");
     }},
    {"save issuing a tag", [](ztDorvane& c) { SaveAs(c, "Night shift"); }, true},
};

}  // namespace writingactions
