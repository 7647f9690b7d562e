// Control: common properties, focus requests and design snapshots.
// Relies on the dispatcher for focus and repaint.
#include "services/screen/control.h"

#include "services/screen/container.h"
#include "services/screen/dispatcher.h"

namespace screen {

// Names of the kinds as the scripted host prints them.
const char* KindName(ControlKind kind) {
  switch (kind) {
    case ControlKind::TextBox:
      return "TextBox";
    case ControlKind::Label:
      return "Label";
    case ControlKind::CommandButton:
      return "CommandButton";
    case ControlKind::HScrollBar:
      return "HScrollBar";
  }
  return "?";
}

// Creates a control with the toolkit's default properties.
Control::Control(ControlKind kind, std::string name, int index)
    : kind_(kind), name_(std::move(name)), index_(index) {
  if (kind == ControlKind::Label) props_.tabStop = false;
  design_ = props_;
}

Control::~Control() = default;

// "name" or "name(index)".
std::string Control::QualifiedName() const {
  if (index_ < 0) return name_;
  return name_ + "(" + std::to_string(index_) + ")";
}

// Sets the four design values of the position at once.
void Control::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
  props_.left = left;
  props_.top = top;
  props_.width = width;
  props_.height = height;
}

// Sets the font as plain values.
void Control::SetFont(std::string name, double size) {
  props_.fontName = std::move(name);
  props_.fontSize = size;
}

// Focus requests go through the dispatcher, which knows the active container.
void Control::SetFocus() { MoveFocusByCode(*this); }

// The control holds the focus when it is the dispatcher's focused control.
bool Control::HasFocus() const { return FocusedControl() == this; }

// Repaint requests go to the front end's hook.
void Control::Refresh() { RequestRepaint(); }

// Design snapshots of the common properties.
void Control::SaveDesign() { design_ = props_; }
void Control::RestoreDesign() { props_ = design_; }

}  // namespace screen
