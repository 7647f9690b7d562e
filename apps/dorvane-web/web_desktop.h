// WebDesktop: the desktop of a dorvane-web session's thread. A message box is
// drawn by the browser and blocks the code that showed it until the browser
// answers; a modal form runs the session's input loop until it unloads; a
// run-time error that reaches the host shows as a message box, as on the
// desktop; today is the server's date unless the session fixed it. A replay
// program may subclass it (to print what a script host prints, say) and call
// the base for the waiting. Relies on the Session.
#pragma once

#include "services/screen/desktop.h"

namespace dorvaneweb {

class Session;

class WebDesktop : public screen::Desktop {
 public:
  explicit WebDesktop(Session& session) : session_(session) {}

  int MsgBox(const std::string& prompt, int style, const std::string& title) override;
  void RunModal(screen::Form& form) override;
  double Today() override;
  void ReportError(const base::RuntimeError& error) override;
  std::vector<screen::WaitingBox> WaitingBoxes() const override;

 protected:
  Session& session_;
};

}  // namespace dorvaneweb
