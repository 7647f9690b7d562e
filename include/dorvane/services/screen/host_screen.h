// Screen: one host window of the toolkit. It holds the user controls placed on
// the window (any number, each with its own data), which of them (or the host)
// has the focus, the stack of modal forms shown from them, the Tabs waiting
// for the end of the event being handled, the repaint hook and, optionally,
// a Desktop of its own. A form shown while one of its controls handles an
// event is modal for the whole window; when it unloads the focus returns to
// the control, and the child, that had it.
// The free functions of dispatcher.h act on the current screen: the one whose
// event is being handled, else the default screen that single-control hosts
// use without naming it.
// Threads: the current screen is per thread, so several threads may each run
// screens of their own (a server's sessions) and make them current with Use;
// the default screen is the one of a thread that made none current. A screen
// and everything placed or shown on it belong to one thread at a time; Of,
// All and the making and destroying of screens may come from any thread.
// Relies on the containers and controls, and on the Desktop.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace screen {

class Container;
class Control;
class Desktop;
class Dispatcher;
class Form;
class UserControl;

// Where the focus lands in a user control that takes it from the host: on the
// child that had it last (a click, the host's own move), or on its first or
// last tab stop (Tab or Shift+Tab from the host's neighbouring control).
enum class FocusEntry { Remembered, FirstTabStop, LastTabStop };

class Screen {
 public:
  Screen();
  ~Screen();
  Screen(const Screen&) = delete;
  Screen& operator=(const Screen&) = delete;

  // The screen of hosts that never make one; never destroyed.
  static Screen& Default();
  // The screen whose event is being handled on this thread (or that a Use
  // made current), else the default one.
  static Screen& Current();
  // The screen on which container is placed or shown, or nullptr.
  static Screen* Of(const Container& container);
  // Every screen alive, the default one among them, oldest first.
  static std::vector<Screen*> All();

  // Makes a screen current for a call from the host that is no event (a
  // property Let, a refresh): boxes and forms of that call belong to it.
  class Use {
   public:
    explicit Use(Screen& screen);
    ~Use();
    Use(const Use&) = delete;
    Use& operator=(const Use&) = delete;

   private:
    Screen* previous_;
  };

  // --- The user controls on the window ---

  // Places a control (no event; the host keeps the focus). A control placed
  // on another screen leaves that one first.
  void Place(UserControl& control);
  // Takes a control off the window (no event); nothing when it is not there.
  void Remove(UserControl& control);
  const std::vector<UserControl*>& Placed() const;
  bool IsPlaced(const Container& container) const;
  // The host gives control the focus: the control that had it loses it first
  // (its child's LostFocus, its own LostFocus), then the control's GotFocus
  // and the GotFocus of the child `entry` names. Nothing while a modal form is
  // open.
  void Focus(UserControl& control, FocusEntry entry = FocusEntry::Remembered);
  // The focus goes back to the host.
  void FocusHost();
  // The user control holding the focus (none while the host or a dialog has it).
  UserControl* FocusedUserControl() const;

  // --- What the user sees ---

  // The modal form on top, else the user control with the focus, else the
  // first placed one (or nullptr).
  Container* ActiveContainer() const;
  Form* ActiveModalForm() const;
  // The modal forms open on this window, bottom first.
  std::vector<Form*> ModalForms() const;
  Control* FocusedControl() const;
  // True when Tab (Shift+Tab when backwards) on the user control with the
  // focus would wrap round past its last (first) tab stop or finds none: the
  // key a host window gives to its next (previous) control instead. False
  // while a modal form or the host has the keys.
  bool TabLeavesUserControl(bool backwards) const;
  // The user control whose event is being handled: the one a modal form was
  // shown from, else the one with the focus (nullptr for none).
  UserControl* EventOwner() const;

  // --- Input ---

  // A key on the active container, with the character given (0 for none).
  void PressKey(int16_t keyCode, int16_t shift, int16_t keyAscii);
  // A click (and a double click) on a control of this window; a click on a
  // user control without the focus moves the focus there first. False, with
  // nothing done, for a hidden or disabled control or one a dialog covers.
  bool Click(Control& control);
  bool DoubleClick(Control& control);
  // The DblClick of a double click whose first click went through Click, as
  // a front end receives the pair: the same rules, no focus move, no Click.
  bool SecondClick(Control& control);
  void CloseForm(Form& form);
  void SynthesizeTab();

  // --- For front ends ---

  void SetRepaintHook(std::function<void()> hook);
  void Repaint();
  // A Desktop for this window only (nullptr: the process-wide one).
  void SetDesktop(Desktop* desktop);
  Desktop* OwnDesktop() const;
  // Forgets the placed controls and the open forms (left unloaded, no events).
  void Reset();

  // The implementation, for the toolkit's own files.
  Dispatcher& Impl() const { return *d_; }

 private:
  std::unique_ptr<Dispatcher> d_;
};

}  // namespace screen
