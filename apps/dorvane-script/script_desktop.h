// ScriptDesktop: the Desktop of the scripted host. Message boxes and errors
// that reach the host become output lines (the driver answers OK at once), a
// modal form is announced and run by reading further script commands until it
// unloads, and "today" can be fixed by the script. Relies on the toolkit.
#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <string>

#include "services/screen/desktop.h"

namespace scripthost {

class ScriptDesktop : public screen::Desktop {
 public:
  // runModal reads and executes commands until the form unloads.
  ScriptDesktop(std::ostream& out, std::function<void(screen::Form&)> runModal);

  int MsgBox(const std::string& prompt, int style, const std::string& title) override;
  void RunModal(screen::Form& form) override;
  double Today() override;
  void ReportError(const base::RuntimeError& error) override;

  void SetToday(double dateSerial) { today_ = dateSerial; }

 private:
  std::ostream& out_;
  std::function<void(screen::Form&)> runModal_;
  std::optional<double> today_;
};

}  // namespace scripthost
