// Container: the controls of a form or user control in design order, lookup by
// name and index, tab stops, default and cancel buttons, design snapshots.
// Relies on the controls and the dispatcher (repaint requests).
#include "services/screen/container.h"

#include <cassert>
#include <cctype>

#include "services/base/text_case.h"
#include "services/screen/dispatcher.h"

namespace screen {
namespace {

// The first button of the container for which flag holds, if it is one.
CommandButton* FindButton(const std::vector<Control*>& controls,
                          bool (CommandButton::*flag)() const) {
  for (Control* c : controls) {
    if (c->Kind() != ControlKind::CommandButton) continue;
    auto* button = static_cast<CommandButton*>(c);
    if ((button->*flag)()) return button;
  }
  return nullptr;
}

}  // namespace

Container::Container(std::string name) : name_(std::move(name)) {}

Container::~Container() = default;

// A control belongs to one container, once.
void Container::Add(Control& control) {
  assert(control.owner_ == nullptr);
  control.owner_ = this;
  controls_.push_back(&control);
}

// Lookup by name without regard to case and by exact index.
Control* Container::Find(std::string_view name, int index) const {
  for (Control* c : controls_) {
    if (c->Index() == index && base::SameName(c->Name(), name)) return c;
  }
  return nullptr;
}

// An array name is one whose members carry an index.
bool Container::IsArrayName(std::string_view name) const {
  for (Control* c : controls_) {
    if (c->Index() >= 0 && base::SameName(c->Name(), name)) return true;
  }
  return false;
}

// Lowest TabIndex among the visible, enabled tab stops; ties in design order.
Control* Container::FirstTabStop() const {
  Control* best = nullptr;
  for (Control* c : controls_) {
    if (!c->CanHoldFocus() || !c->Visible() || !c->Enabled() || !c->TabStop()) continue;
    if (best == nullptr || c->TabIndex() < best->TabIndex()) best = c;
  }
  return best;
}

CommandButton* Container::DefaultButton() const {
  return FindButton(controls_, &CommandButton::Default);
}

CommandButton* Container::CancelButton() const {
  return FindButton(controls_, &CommandButton::Cancel);
}

void Container::Refresh() { RequestRepaint(); }

// The first load records the design; every load starts from it.
void Container::ResetToDesign() {
  for (Control* c : controls_) {
    if (designSaved_) {
      c->RestoreDesign();
    } else {
      c->SaveDesign();
    }
  }
  designSaved_ = true;
  focused_ = nullptr;
}

}  // namespace screen
