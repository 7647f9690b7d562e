// Form and UserControl: loading, modal showing and unloading of a dialog, and
// the user control's removal from the host window when it is destroyed.
// Relies on the dispatcher (modal stack, focus) and the Desktop (modal run).
#include "services/screen/form.h"

#include "services/base/error_numbers.h"
#include "services/base/runtime_error.h"
#include "services/base/user_action.h"
#include "services/screen/desktop.h"
#include "services/screen/dispatcher.h"

namespace screen {

Form::Form(std::string name) : Container(std::move(name)) {}

// A form destroyed while shown leaves the screen without events.
Form::~Form() {
  if (loaded_) CloseModal(*this);
}

// Loads from the design values; an error in OnLoad leaves the form unloaded
// and reaches the caller.
void Form::Load() {
  if (loaded_) return;
  ResetToDesign();
  loaded_ = true;
  ++loadSerial_;
  try {
    if (OnLoad) OnLoad();
  } catch (...) {
    loaded_ = false;
    throw;
  }
}

// Load, take the focus, run until unloaded. Showing a form that is shown
// already is run-time error 400. The action that showed it pauses while the
// form waits for its user, holding no server session.
void Form::ShowModal() {
  if (loaded_ && ActiveModalForm() == this) {
    throw base::RuntimeError(base::error::kFormAlreadyShown,
                             "The form " + Name() + " is shown already");
  }
  Load();
  if (!loaded_) return;  // OnLoad unloaded it
  OpenModal(*this);
  if (loaded_) {
    base::ActionPause pause;
    GetDesktop().RunModal(*this);
  }
  if (loaded_) Unload();  // a desktop that gave up early
}

// OnUnload runs first; the form leaves the screen even when it raises an error.
void Form::Unload() {
  if (!loaded_ || unloading_) return;
  unloading_ = true;
  struct Finish {
    Form& form;
    ~Finish() {
      form.loaded_ = false;
      form.unloading_ = false;
      CloseModal(form);
    }
  } finish{*this};
  if (OnUnload) OnUnload();
}

UserControl::UserControl(std::string name) : Container(std::move(name)) {}

// A destroyed control leaves the host's window.
UserControl::~UserControl() { ForgetUserControl(*this); }

}  // namespace screen
