// ShowFormLoadError: the report of a form whose set-up failed. It shows the
// report box and leaves only the given button (and any timers) on the form, so
// the user can only close it. Relies on the toolkit's Form, controls and
// Desktop.
#include <string>

#include "services/screen/screen.h"
#include "services/ztMSAccess.h"

namespace ztMSAccess {

void ShowFormLoadError(screen::Form& frm, screen::CommandButton& keepButton,
                       const std::string& formName, const std::string& errorNumberText,
                       const std::string& errorDescription) {
  const std::string text = "Error Loading Form: " + formName +
                           "\r\n\r\nError Number: " + errorNumberText +
                           "\r\n\r\nError Description: " + errorDescription;
  screen::GetDesktop().MsgBox(text, 16, "Error Displaying Form");
  // Timers (names starting with "tmr") keep their state; everything else goes.
  for (screen::Control* control : frm.Controls()) {
    if (control->Name().compare(0, 3, "tmr") != 0) control->SetVisible(false);
  }
  keepButton.SetVisible(true);
}

}  // namespace ztMSAccess
