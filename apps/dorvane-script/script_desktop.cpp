// The scripted host's Desktop: output lines for message boxes, dialogs and
// errors; nested command reading for modal forms. Relies on the toolkit and
// the output formatting.
#include "apps/dorvane-script/script_desktop.h"

#include "apps/dorvane-script/script_output.h"
#include "services/screen/form.h"

namespace scripthost {

ScriptDesktop::ScriptDesktop(std::ostream& out, std::function<void(screen::Form&)> runModal)
    : out_(out), runModal_(std::move(runModal)) {}

// The box is printed and answered with OK.
int ScriptDesktop::MsgBox(const std::string& prompt, int style, const std::string& title) {
  out_ << "MSGBOX style=" << style << " title=" << Quote(title) << " text=" << Quote(prompt)
       << "\n";
  return 1;
}

// DIALOG OPEN, the nested commands, DIALOG CLOSE once the form has unloaded.
void ScriptDesktop::RunModal(screen::Form& form) {
  out_ << "DIALOG OPEN caption=" << Quote(form.Caption()) << "\n";
  runModal_(form);
  out_ << "DIALOG CLOSE\n";
}

double ScriptDesktop::Today() { return today_ ? *today_ : Desktop::Today(); }

void ScriptDesktop::ReportError(const base::RuntimeError& error) {
  out_ << "HOST ERROR number=" << error.Number() << " text=" << Quote(error.Description()) << "\n";
}

}  // namespace scripthost
