// Desktop: what the platform supplies to the toolkit and to the system's
// routines: message boxes, running a modal form until it unloads, processing
// pending events, today's date, the short date text (M/D/YYYY) and reading it
// back, the file-existence test, and the report of a run-time error that
// reached the host. The scripted host, the Qt front end and the tests each
// implement it; one is set for the process, a thread may set one for itself
// (a server runs each session on a thread of its own) and a host window
// (screen::Screen) may have one of its own. HeadlessDesktop is the stand-in
// answered when none is set (DesktopInstalled tells) and the one tests use.
// Threads: a desktop is called only from the thread whose screen uses it.
// Relies on the base library's RuntimeError.
#pragma once

#include <deque>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "services/base/runtime_error.h"

namespace screen {

class Container;
class Form;

// A message box shown and not yet answered.
struct WaitingBox {
  std::string prompt;
  int style = 0;
  std::string title;
  bool operator==(const WaitingBox&) const = default;
};

class Desktop {
 public:
  virtual ~Desktop();

  // Shows a modal message box with an OK button; returns the button pressed
  // (1 for OK). style: 0 plain, 16 stop icon, 64 information icon.
  virtual int MsgBox(const std::string& prompt, int style, const std::string& title) = 0;
  // Runs a form that the toolkit has just shown modally; returns only when the
  // form has unloaded.
  virtual void RunModal(Form& form) = 0;
  // Handles pending input and paint messages (long scans call it).
  virtual void DoEvents();
  // Today's date as a date serial (days since 1899-12-30); the machine's date.
  virtual double Today();
  // The short date text of a date: month/day/four-digit year, M/D/YYYY.
  virtual std::string ShortDateText(double dateSerial);
  // Reads a short date text (M/D/YYYY, or a two-digit year: 00-29 in the 2000s,
  // 30-99 in the 1900s) back to a date serial; nothing when it is not a date.
  virtual std::optional<double> ReadShortDate(const std::string& text);
  // True when the file exists; backslashes separate folders and every folder
  // and the file name are matched without regard to case (the base library's
  // path rule, by which the record store opens files too).
  virtual bool FileExists(const std::string& path);
  // A run-time error that no handler trapped reached the host.
  virtual void ReportError(const base::RuntimeError& error) = 0;
  // The message boxes shown and not yet answered, oldest first: none for a
  // desktop that answers at once or draws its boxes itself.
  virtual std::vector<WaitingBox> WaitingBoxes() const;
};

// The desktop of the current screen when it has one, else this thread's, else
// the process-wide desktop (a built-in HeadlessDesktop, one per thread, until
// one is set).
Desktop& GetDesktop();
// Makes desktop the process's; nullptr returns to the built-in headless one.
void SetDesktop(Desktop* desktop);
// Makes desktop this thread's, ahead of the process's; nullptr drops it.
void SetThreadDesktop(Desktop* desktop);
// False when GetDesktop would answer with the built-in stand-in, which shows
// nothing: no desktop set for the process, the thread nor the current screen.
bool DesktopInstalled();
// Reports an exception that escaped a handler or a host call to the current
// desktop: a run-time error as it is, any other as error 51 with its text.
// The container it belongs to (`owner`, else the current screen's event
// owner) is told through its ErrorReported hook.
void ReportEscapedError(const std::exception& error, const Container* owner = nullptr);

// A desktop without a window: records message boxes (answering OK), reported
// errors and modal forms; runs a modal form by executing queued actions, and
// closes it with its close box when they run out, so a test never hangs.
class HeadlessDesktop : public Desktop {
 public:
  struct MessageBox {
    std::string prompt;
    int style = 0;
    std::string title;
  };

  int MsgBox(const std::string& prompt, int style, const std::string& title) override;
  void RunModal(Form& form) override;
  void DoEvents() override { ++doEventsCalls; }
  double Today() override;
  void ReportError(const base::RuntimeError& error) override;

  // Fixes today's date (a date serial); without it, the machine's date.
  void SetToday(double dateSerial) { today_ = dateSerial; }
  // An action run while the next modal form is open (a key, a click, ...).
  void QueueModalAction(std::function<void()> action);

  std::vector<MessageBox> messageBoxes;
  std::vector<base::RuntimeError> errors;
  std::vector<std::string> modalForms;  // names of the forms run, in order
  int doEventsCalls = 0;

 private:
  std::optional<double> today_;
  std::deque<std::function<void()>> modalActions_;
};

}  // namespace screen
