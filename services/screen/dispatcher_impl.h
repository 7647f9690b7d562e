// The dispatcher behind one Screen: focus, Tab order, key routing, clicks,
// access keys, default and cancel buttons, modal forms and the synthesised
// Tab. Every event handler it calls runs under a trap: a run-time error that
// escapes a handler ends that event only and goes to the Desktop's report.
// Private to the toolkit (not installed). Relies on the containers, controls,
// keys and the Desktop.
#pragma once

#include <algorithm>
#include <cassert>
#include <exception>
#include <mutex>
#include <type_traits>
#include <vector>

#include "services/base/error_numbers.h"
#include "services/base/runtime_error.h"
#include "services/base/user_action.h"
#include "services/screen/desktop.h"
#include "services/screen/form.h"
#include "services/screen/host_screen.h"
#include "services/screen/keys.h"

namespace screen {

// The screen whose event is being handled on this thread, or nullptr
// (dispatcher.cpp).
Screen* CurrentScreenOrNull();
void SetCurrentScreen(Screen* screen);
// Guards the list of live screens and every screen's placed controls and
// modal stack: a screen's own thread changes them under it, and a lookup from
// any thread (Screen::Of) reads them under it.
std::mutex& ScreensMutex();

class Dispatcher {
 public:
  explicit Dispatcher(Screen& owner) : owner_(owner) {}

  // One modal form on the stack, and the user control that had the focus
  // when it was shown (the focus goes back there when it unloads).
  struct ModalEntry {
    Form* form;
    UserControl* hadFocus;
  };

  // Marks the handling of one input event: the screen is current meanwhile,
  // Tabs synthesised meanwhile run at its end, then the front end repaints.
  // Nothing runs while an exception that is not a run-time error (a script's
  // own error) unwinds through it.
  class Handling {
   public:
    explicit Handling(Dispatcher& d)
        : d_(d),
          mark_(d.pendingTabs_),
          exceptions_(std::uncaught_exceptions()),
          previous_(CurrentScreenOrNull()) {
      ++d_.depth_;
      SetCurrentScreen(&d_.owner_);
    }
    ~Handling() {
      if (std::uncaught_exceptions() == exceptions_) {
        while (d_.pendingTabs_ > mark_) {
          --d_.pendingTabs_;
          d_.PressKey(kKeyTab, 0, 0);
        }
        d_.Repaint();
      }
      --d_.depth_;
      SetCurrentScreen(previous_);
    }
    Handling(const Handling&) = delete;
    Handling& operator=(const Handling&) = delete;

   private:
    // The event is one user action for the record store.
    base::UserAction action_;
    Dispatcher& d_;
    int mark_;
    int exceptions_;
    Screen* previous_;
  };

  // Tells whether the container a key started on is still there (a form that
  // unloaded, or was loaded again, drops the rest of the key).
  class Liveness {
   public:
    Liveness(Dispatcher& d, Container& c) : d_(d), c_(c) {
      if (c.IsForm()) serial_ = static_cast<Form&>(c).LoadSerial();
    }
    bool Alive() const {
      if (!c_.IsForm()) return d_.IsPlaced(&c_);
      const auto& form = static_cast<const Form&>(c_);
      return form.IsLoaded() && form.LoadSerial() == serial_;
    }

   private:
    Dispatcher& d_;
    Container& c_;
    uint64_t serial_ = 0;
  };

  // Runs a handler; a run-time error (or any other standard exception) that
  // escapes it is reported to the host and goes no further.
  template <class Handler, class... Args>
  static void Trap(const Handler& handler, Args&... args) {
    if constexpr (std::is_constructible_v<bool, const Handler&>) {
      if (!handler) return;
    }
    try {
      handler(args...);
    } catch (const base::RuntimeError& error) {
      ReportEscapedError(error);
    } catch (const std::exception& error) {
      ReportEscapedError(error);
    }
  }

  static bool CanTakeFocus(const Control& c) {
    return c.CanHoldFocus() && c.Visible() && c.Enabled();
  }

  Container* Active() const {
    if (!modal_.empty()) return modal_.back().form;
    if (focusedUc_ != nullptr) return focusedUc_;
    return placed_.empty() ? nullptr : placed_.front();
  }

  bool IsPlaced(const Container* c) const {
    return std::find(placed_.begin(), placed_.end(), c) != placed_.end();
  }

  // True when the container holds the keyboard focus.
  bool HasFocus(const Container& c) const {
    if (!modal_.empty()) return &c == modal_.back().form;
    return &c == focusedUc_;
  }

  Control* Focused() const {
    Container* c = Active();
    if (c == nullptr || !HasFocus(*c)) return nullptr;
    return c->focused_;
  }

  // Moves the focus within target's container: LostFocus of the control that
  // had it, then GotFocus of target. A LostFocus handler that moves the focus
  // itself wins. In a container without the focus the move is only remembered.
  void MoveFocus(Control& target) {
    Container* owner = target.Owner();
    assert(owner != nullptr);
    if (!HasFocus(*owner)) {
      owner->focused_ = &target;
      return;
    }
    Control* old = owner->focused_;
    if (old == &target) return;
    owner->focused_ = nullptr;
    if (old != nullptr) Trap(old->LostFocus);
    if (owner->focused_ != nullptr) return;
    owner->focused_ = &target;
    if (HasFocus(*owner)) Trap(target.GotFocus);
  }

  // Gives the container's focus to remembered when it can take it, else to
  // the first tab stop, raising GotFocus.
  void EnterContainer(Container& c, Control* remembered) {
    Control* next =
        remembered != nullptr && CanTakeFocus(*remembered) ? remembered : c.FirstTabStop();
    c.focused_ = nullptr;
    if (next != nullptr) MoveFocus(*next);
  }

  // The focus comes into uc from the host or from another user control,
  // which loses it first; it lands on the child `entry` names.
  void FocusUserControl(UserControl& uc, FocusEntry entry = FocusEntry::Remembered) {
    if (!IsPlaced(&uc) || focusedUc_ == &uc || !modal_.empty()) return;
    Handling handling(*this);
    if (focusedUc_ != nullptr) FocusHost();
    if (focusedUc_ != nullptr || !IsPlaced(&uc)) return;  // a LostFocus took it elsewhere
    Control* remembered = uc.focused_;
    if (entry != FocusEntry::Remembered) {
      remembered = uc.NextTabStop(nullptr, entry == FocusEntry::LastTabStop);
    }
    uc.focused_ = nullptr;
    focusedUc_ = &uc;
    Trap(uc.GotFocus);
    if (IsPlaced(&uc) && HasFocus(uc) && uc.focused_ == nullptr) EnterContainer(uc, remembered);
  }

  void FocusHost() {
    if (focusedUc_ == nullptr) return;
    Handling handling(*this);
    UserControl& uc = *focusedUc_;
    Control* old = uc.focused_;
    uc.focused_ = nullptr;
    if (old != nullptr) Trap(old->LostFocus);
    if (uc.focused_ == nullptr) uc.focused_ = old;
    focusedUc_ = nullptr;
    Trap(uc.LostFocus);
  }

  // Tab and Shift+Tab: the next (previous) visible, enabled tab stop in
  // TabIndex order after the focused control, wrapping round.
  void TabMove(Container& c, bool backwards) {
    if (Control* next = c.NextTabStop(c.focused_, backwards)) MoveFocus(*next);
  }

  // The visible, enabled button whose caption marks letter, or nullptr.
  static CommandButton* AccessButton(const Container& c, int16_t keyCode) {
    const bool letterOrDigit =
        (keyCode >= 'A' && keyCode <= 'Z') || (keyCode >= '0' && keyCode <= '9');
    if (!letterOrDigit) return nullptr;
    for (Control* x : c.Controls()) {
      if (x->Kind() != ControlKind::CommandButton || !x->Visible() || !x->Enabled()) continue;
      auto* button = static_cast<CommandButton*>(x);
      if (AccessKeyOf(button->Caption()) == static_cast<char>(keyCode)) return button;
    }
    return nullptr;
  }

  static bool Clickable(const CommandButton* b) {
    return b != nullptr && b->Visible() && b->Enabled();
  }

  // One key on the active container: the Tab move, the button keys, access
  // keys, else KeyDown (preview first), KeyPress and the text box's editing,
  // all to the control that had the focus when the key went down.
  void PressKey(int16_t keyCode, int16_t shift, int16_t keyAscii) {
    Container* c = Active();
    if (c == nullptr || !HasFocus(*c)) return;  // the host has the keyboard
    Handling handling(*this);
    Control* target = c->focused_;
    const bool plain = (shift & (kCtrlMask | kAltMask)) == 0;
    if (keyCode == kKeyTab && plain) {
      TabMove(*c, (shift & kShiftMask) != 0);
      return;
    }
    const bool onButton = target != nullptr && target->Kind() == ControlKind::CommandButton;
    if (plain && onButton && (keyCode == kKeyReturn || keyCode == kKeySpace) && target->Visible() &&
        target->Enabled()) {
      Trap(target->Click);
      return;
    }
    if (plain && keyCode == kKeyReturn && !onButton && Clickable(c->DefaultButton())) {
      Trap(c->DefaultButton()->Click);
      return;
    }
    if (plain && keyCode == kKeyEscape && Clickable(c->CancelButton())) {
      Trap(c->CancelButton()->Click);
      return;
    }
    Liveness live(*this, *c);
    if ((shift & kAltMask) != 0 && (shift & kCtrlMask) == 0) {
      if (CommandButton* button = AccessButton(*c, keyCode)) {
        MoveFocus(*button);
        if (live.Alive()) Trap(button->Click);
        return;
      }
    }
    DeliverKey(*c, live, target, keyCode, shift, keyAscii);
  }

  // The ordinary key events, each only while the container is still there.
  void DeliverKey(Container& c, const Liveness& live, Control* target, int16_t keyCode,
                  int16_t shift, int16_t keyAscii) {
    int16_t code = keyCode;
    if (c.KeyPreview()) Trap(c.KeyDown, code, shift);
    if (target == nullptr || !live.Alive()) return;
    if (code != 0) Trap(target->KeyDown, code, shift);
    if (!live.Alive()) return;
    auto* box = target->Kind() == ControlKind::TextBox ? static_cast<TextBox*>(target) : nullptr;
    if (box != nullptr && code != 0) Trap([&] { box->ApplyKey(code, shift); });
    if (!live.Alive()) return;
    if (keyAscii != 0) {
      int16_t ascii = keyAscii;
      Trap(target->KeyPress, ascii);
      if (!live.Alive()) return;
      if (box != nullptr && ascii != 0) Trap([&] { box->ApplyCharacter(ascii); });
      if (!live.Alive()) return;
    }
    int16_t upCode = keyCode;
    Trap(target->KeyUp, upCode, shift);
  }

  // True when a click reaches the control: it is visible and enabled, on the
  // active container or on a user control of a window no dialog covers.
  bool TakesClick(const Control& control) const {
    const Container* owner = control.Owner();
    const bool onWindow =
        owner != nullptr && (owner == Active() || (modal_.empty() && IsPlaced(owner)));
    return onWindow && control.Visible() && control.Enabled();
  }

  // A click: the user control takes the focus from the host first; a control
  // that can hold the focus takes it; then Click.
  bool Click(Control& control, bool twice) {
    if (!TakesClick(control)) return false;
    Container* owner = control.Owner();
    Handling handling(*this);
    if (!owner->IsForm() && focusedUc_ != owner) {
      FocusUserControl(static_cast<UserControl&>(*owner));
    }
    Liveness live(*this, *owner);
    if (!live.Alive()) return true;
    if (CanTakeFocus(control) && HasFocus(*owner)) MoveFocus(control);
    if (!live.Alive()) return true;
    Trap(control.Click);
    if (twice && live.Alive()) Trap(control.DblClick);
    return true;
  }

  // The second click of a pair whose first went through Click: DblClick only,
  // with no focus move.
  bool SecondClick(Control& control) {
    if (!TakesClick(control)) return false;
    Handling handling(*this);
    Trap(control.DblClick);
    return true;
  }

  void OpenModal(Form& form) {
    for (const auto& entry : modal_) {
      if (entry.form == &form) {
        throw base::RuntimeError(base::error::kFormAlreadyShown,
                                 "The form " + form.Name() + " is shown already");
      }
    }
    Handling handling(*this);
    UserControl* hadFocus = focusedUc_;
    Control* remembered = form.focused_;
    {
      std::lock_guard<std::mutex> lock(ScreensMutex());
      modal_.push_back({&form, hadFocus});
    }
    if (hadFocus != nullptr) {
      focusedUc_ = nullptr;
      Trap(hadFocus->LostFocus);
    }
    if (HasFocus(form)) EnterContainer(form, remembered);
  }

  // The form leaves the stack; the focus returns, with no event, to where it
  // was when the form was shown.
  void CloseModal(Form& form) {
    std::unique_lock<std::mutex> lock(ScreensMutex());
    auto it = std::find_if(modal_.begin(), modal_.end(),
                           [&](const ModalEntry& e) { return e.form == &form; });
    if (it == modal_.end()) return;
    UserControl* hadFocus = it->hadFocus;
    it = modal_.erase(it);
    lock.unlock();
    if (it != modal_.end()) {
      if (it->hadFocus == nullptr) it->hadFocus = hadFocus;
    } else if (modal_.empty() && hadFocus != nullptr && IsPlaced(hadFocus)) {
      focusedUc_ = hadFocus;
    }
    Repaint();
  }

  void Repaint() {
    if (repaintHook_) repaintHook_();
  }

  // The user control whose event is being handled: the one a modal form was
  // shown from, else the one with the focus (nullptr for none).
  UserControl* EventOwner() const {
    if (!modal_.empty()) return modal_.front().hadFocus;
    return focusedUc_;
  }

  // Forgets the placed control and the open forms (the repaint hook stays);
  // forms still open are dropped unloaded, without events, so that a later
  // show loads them afresh.
  void Reset() {
    std::lock_guard<std::mutex> lock(ScreensMutex());
    placed_.clear();
    focusedUc_ = nullptr;
    for (const auto& entry : modal_) {
      entry.form->loaded_ = false;
      entry.form->unloading_ = false;
    }
    modal_.clear();
    pendingTabs_ = 0;
  }

  // Takes uc off the window: it has the focus no more, and no form gives it
  // back.
  void Remove(UserControl& uc) {
    std::lock_guard<std::mutex> lock(ScreensMutex());
    placed_.erase(std::remove(placed_.begin(), placed_.end(), &uc), placed_.end());
    if (focusedUc_ == &uc) focusedUc_ = nullptr;
    for (auto& entry : modal_) {
      if (entry.hadFocus == &uc) entry.hadFocus = nullptr;
    }
  }

  Screen& owner_;
  std::vector<UserControl*> placed_;
  UserControl* focusedUc_ = nullptr;
  Desktop* desktop_ = nullptr;
  std::vector<ModalEntry> modal_;
  std::function<void()> repaintHook_;
  int depth_ = 0;
  int pendingTabs_ = 0;
};

}  // namespace screen
