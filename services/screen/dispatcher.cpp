// The free functions of the dispatcher, acting on the current screen, and the
// Screen objects (host windows) themselves: the registry of live screens, the
// current one, and their public face over the Dispatcher.
// Relies on the Dispatcher (dispatcher_impl.h) and the Desktop.
#include "services/screen/dispatcher.h"

#include <mutex>

#include "services/base/error_numbers.h"
#include "services/screen/dispatcher_impl.h"

namespace screen {
namespace {

// Each thread runs its own screens: the current one is the thread's.
thread_local Screen* current = nullptr;

// The live screens of every thread, in the order they were made (guarded by
// ScreensMutex).
std::vector<Screen*>& Registry() {
  static std::vector<Screen*> screens;
  return screens;
}

Dispatcher& The() { return Screen::Current().Impl(); }

// The screen whose modal stack holds form, or nullptr.
Screen* ShowingForm(const Form& form) {
  std::lock_guard<std::mutex> lock(ScreensMutex());
  for (Screen* s : Registry()) {
    for (const Form* f : s->ModalForms()) {
      if (f == &form) return s;
    }
  }
  return nullptr;
}

}  // namespace

std::mutex& ScreensMutex() {
  static std::mutex mutex;
  return mutex;
}

Screen* CurrentScreenOrNull() { return current; }
void SetCurrentScreen(Screen* screen) { current = screen; }

Desktop* CurrentScreenDesktop() { return Screen::Current().OwnDesktop(); }

// --- Screen ---

Screen::Screen() : d_(std::make_unique<Dispatcher>(*this)) {
  std::lock_guard<std::mutex> lock(ScreensMutex());
  Registry().push_back(this);
}

Screen::~Screen() {
  {
    std::lock_guard<std::mutex> lock(ScreensMutex());
    auto& r = Registry();
    r.erase(std::remove(r.begin(), r.end(), this), r.end());
  }
  if (current == this) current = nullptr;
  Reset();
}

// Never destroyed, so that forms held in static storage can still leave the
// screen while the program ends.
Screen& Screen::Default() {
  static Screen* screen = new Screen;
  return *screen;
}

Screen& Screen::Current() { return current != nullptr ? *current : Default(); }

Screen* Screen::Of(const Container& container) {
  {
    std::lock_guard<std::mutex> lock(ScreensMutex());
    for (Screen* s : Registry()) {
      if (s->IsPlaced(container)) return s;
    }
  }
  return container.IsForm() ? ShowingForm(static_cast<const Form&>(container)) : nullptr;
}

std::vector<Screen*> Screen::All() {
  Default();
  std::lock_guard<std::mutex> lock(ScreensMutex());
  return Registry();
}

Screen::Use::Use(Screen& screen) : previous_(current) { current = &screen; }
Screen::Use::~Use() { current = previous_; }

void Screen::Place(UserControl& control) {
  if (IsPlaced(control)) return;
  if (Screen* other = Of(control)) other->Remove(control);
  std::lock_guard<std::mutex> lock(ScreensMutex());
  d_->placed_.push_back(&control);
}

void Screen::Remove(UserControl& control) { d_->Remove(control); }
const std::vector<UserControl*>& Screen::Placed() const { return d_->placed_; }
bool Screen::IsPlaced(const Container& container) const { return d_->IsPlaced(&container); }
void Screen::Focus(UserControl& control, FocusEntry entry) { d_->FocusUserControl(control, entry); }
void Screen::FocusHost() { d_->FocusHost(); }
UserControl* Screen::FocusedUserControl() const { return d_->focusedUc_; }
Container* Screen::ActiveContainer() const { return d_->Active(); }

Form* Screen::ActiveModalForm() const {
  return d_->modal_.empty() ? nullptr : d_->modal_.back().form;
}

std::vector<Form*> Screen::ModalForms() const {
  std::vector<Form*> forms;
  for (const auto& entry : d_->modal_) forms.push_back(entry.form);
  return forms;
}

Control* Screen::FocusedControl() const { return d_->Focused(); }

// Only the user control with the focus, no dialog over it, hands Tab on.
bool Screen::TabLeavesUserControl(bool backwards) const {
  UserControl* uc = d_->focusedUc_;
  if (uc == nullptr || !d_->modal_.empty()) return false;
  bool wrapped = false;
  const Control* next = uc->NextTabStop(uc->ActiveControl(), backwards, &wrapped);
  return next == nullptr || wrapped;
}

UserControl* Screen::EventOwner() const { return d_->EventOwner(); }

void Screen::PressKey(int16_t keyCode, int16_t shift, int16_t keyAscii) {
  d_->PressKey(keyCode, shift, keyAscii);
}

bool Screen::Click(Control& control) { return d_->Click(control, false); }
bool Screen::DoubleClick(Control& control) { return d_->Click(control, true); }
bool Screen::SecondClick(Control& control) { return d_->SecondClick(control); }

// The close box: the form's unload, with its errors reported like a handler's.
void Screen::CloseForm(Form& form) {
  if (!form.IsLoaded()) return;
  Dispatcher::Handling handling(*d_);
  Dispatcher::Trap([&] { form.Unload(); });
}

// While an event is being handled the Tab waits for its end.
void Screen::SynthesizeTab() {
  if (d_->depth_ > 0) {
    ++d_->pendingTabs_;
  } else {
    d_->PressKey(kKeyTab, 0, 0);
  }
}

void Screen::SetRepaintHook(std::function<void()> hook) { d_->repaintHook_ = std::move(hook); }
void Screen::Repaint() { d_->Repaint(); }
void Screen::SetDesktop(Desktop* desktop) { d_->desktop_ = desktop; }
Desktop* Screen::OwnDesktop() const { return d_->desktop_; }
void Screen::Reset() { d_->Reset(); }

// --- The free functions: the current screen ---

// The default screen holds one control at a time, as before screens existed.
void PlaceUserControl(UserControl* control) {
  Screen& s = Screen::Current();
  if (control != nullptr && s.Placed().size() == 1 && s.Placed().front() == control) return;
  while (!s.Placed().empty()) s.Remove(*s.Placed().front());
  if (control != nullptr) s.Place(*control);
}

UserControl* PlacedUserControl() {
  const auto& placed = Screen::Current().Placed();
  return placed.empty() ? nullptr : placed.front();
}

void FocusUserControl() {
  if (UserControl* uc = PlacedUserControl()) Screen::Current().Focus(*uc);
}

void FocusHost() { Screen::Current().FocusHost(); }
bool UserControlHasFocus() { return Screen::Current().FocusedUserControl() != nullptr; }
Container* ActiveContainer() { return Screen::Current().ActiveContainer(); }
Form* ActiveModalForm() { return Screen::Current().ActiveModalForm(); }
Control* FocusedControl() { return Screen::Current().FocusedControl(); }

void PressKey(int16_t keyCode, int16_t shift) {
  The().PressKey(keyCode, shift, CharacterOfKey(keyCode, shift));
}

void PressKey(int16_t keyCode, int16_t shift, int16_t keyAscii) {
  The().PressKey(keyCode, shift, keyAscii);
}

// A click goes to the screen the control's container is on.
bool ClickControl(Control& control) {
  Screen* s = control.Owner() != nullptr ? Screen::Of(*control.Owner()) : nullptr;
  return (s != nullptr ? *s : Screen::Current()).Click(control);
}

bool DoubleClickControl(Control& control) {
  Screen* s = control.Owner() != nullptr ? Screen::Of(*control.Owner()) : nullptr;
  return (s != nullptr ? *s : Screen::Current()).DoubleClick(control);
}

void CloseForm(Form& form) {
  Screen* s = ShowingForm(form);
  (s != nullptr ? *s : Screen::Current()).CloseForm(form);
}

void SynthesizeTab() { Screen::Current().SynthesizeTab(); }
void SetRepaintHook(std::function<void()> hook) {
  Screen::Current().SetRepaintHook(std::move(hook));
}
void ResetScreen() { Screen::Current().Reset(); }

// SetFocus by code: a hidden or disabled control, or a label, is error 5.
void MoveFocusByCode(Control& control) {
  const char* reason = !control.CanHoldFocus() ? "a label cannot take the focus"
                       : !control.Visible()    ? "the control is hidden"
                       : !control.Enabled()    ? "the control is disabled"
                                               : nullptr;
  if (reason != nullptr) {
    throw base::RuntimeError(base::error::kInvalidProcedureCall,
                             "Cannot give the focus to " + control.QualifiedName() + ": " + reason);
  }
  if (control.Owner() == nullptr) return;
  Screen* s = Screen::Of(*control.Owner());
  (s != nullptr ? *s : Screen::Current()).Impl().MoveFocus(control);
}

// A form shown while a screen handles an event is modal on that screen.
void OpenModal(Form& form) { The().OpenModal(form); }

void CloseModal(Form& form) {
  if (Screen* s = ShowingForm(form)) s->Impl().CloseModal(form);
}

void RequestRepaint() { The().Repaint(); }

// A user control that goes leaves whichever screen holds it.
void ForgetUserControl(UserControl& control) {
  if (Screen* s = Screen::Of(control)) s->Remove(control);
}

}  // namespace screen
