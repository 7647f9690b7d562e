// The two kinds of container: Form, a dialog that loads, shows modally and
// unloads (the search dialog), and UserControl, the surface of a control that
// a host places on its own window (the control itself). Relies on Container,
// the dispatcher (focus and the stack of modal forms) and the Desktop.
// Threads: the thread that runs its screen only.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "services/screen/container.h"

namespace screen {

class Form : public Container {
 public:
  explicit Form(std::string name);
  ~Form() override;

  bool IsForm() const override { return true; }

  // Loads the form when it is not loaded: the controls return to their design
  // values, the focus memory is cleared, then OnLoad runs. An error raised by
  // OnLoad reaches the caller.
  void Load();
  bool IsLoaded() const { return loaded_; }
  // Counts the loads, so that a key can tell the form it started on from a
  // later load of the same form.
  uint64_t LoadSerial() const { return loadSerial_; }
  // Shows the form modally: loads it if needed, gives it the focus (its first
  // tab stop gets GotFocus), lets the Desktop run it, and returns only when it
  // has unloaded.
  void ShowModal();
  // Unloads the form: OnUnload runs, the form leaves the screen and the focus
  // returns, with no event, to where it was when the form was shown.
  void Unload();

  std::function<void()> OnLoad;
  std::function<void()> OnUnload;

 private:
  friend class Dispatcher;

  bool loaded_ = false;
  bool unloading_ = false;
  uint64_t loadSerial_ = 0;
};

class UserControl : public Container {
 public:
  explicit UserControl(std::string name);
  ~UserControl() override;

  bool IsForm() const override { return false; }

  // The control as a whole gains or loses the keyboard focus (the host's focus
  // moves, or a modal dialog opens over it).
  std::function<void()> GotFocus;
  std::function<void()> LostFocus;
};

}  // namespace screen
