// Container: the controls of a form or user control in design order, lookup by
// name and index, tab stops, default and cancel buttons, design snapshots.
// Relies on the controls and the dispatcher (repaint requests).
#include "services/screen/container.h"

#include <algorithm>
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

// Tab stops ordered by TabIndex, then by design order; the nearest one beyond
// `from` in the direction of travel, else the first in that direction.
Control* Container::NextTabStop(const Control* from, bool backwards, bool* wrapped) const {
  auto position = [&](const Control* x) {
    return std::make_pair(x->TabIndex(),
                          std::find(controls_.begin(), controls_.end(), x) - controls_.begin());
  };
  auto before = [backwards](const auto& a, const auto& b) { return backwards ? a > b : a < b; };
  Control* first = nullptr;
  Control* best = nullptr;
  for (Control* x : controls_) {
    if (!x->CanHoldFocus() || !x->Visible() || !x->Enabled() || !x->TabStop()) continue;
    if (first == nullptr || before(position(x), position(first))) first = x;
    if (from == nullptr || x == from) continue;
    const bool beyond = before(position(from), position(x));
    if (beyond && (best == nullptr || before(position(x), position(best)))) best = x;
  }
  if (wrapped != nullptr) *wrapped = from != nullptr && best == nullptr;
  return best != nullptr ? best : first;
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
