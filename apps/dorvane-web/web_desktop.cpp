// The desktop of a session's thread (see the header).
#include "apps/dorvane-web/web_desktop.h"

#include "apps/dorvane-web/session.h"
#include "services/base/user_action.h"

namespace dorvaneweb {

// The box blocks its code until the browser answers; the action that showed
// it holds no server session meanwhile.
int WebDesktop::MsgBox(const std::string& prompt, int style, const std::string& title) {
  base::ActionPause pause;
  return session_.WaitForAnswer(prompt, style, title);
}

void WebDesktop::RunModal(screen::Form& form) { session_.RunModalLoop(form); }

double WebDesktop::Today() {
  const auto fixed = session_.Today();
  return fixed ? *fixed : Desktop::Today();
}

// As the desktop front end shows it: a stop box with the number and the text.
void WebDesktop::ReportError(const base::RuntimeError& error) {
  MsgBox(std::to_string(error.Number()) + " " + error.Description(), 16, "Run-time error");
}

std::vector<screen::WaitingBox> WebDesktop::WaitingBoxes() const { return session_.Boxes(); }

}  // namespace dorvaneweb
