// The control kinds: the text box's caret, selection and editing rules, the
// default and cancel flags of command buttons, and design snapshots.
// Relies on Control, Container and base::RuntimeError.
#include "services/screen/controls.h"

#include <algorithm>
#include <cassert>

#include "services/base/error_numbers.h"
#include "services/base/runtime_error.h"
#include "services/screen/container.h"
#include "services/screen/keys.h"

namespace screen {
namespace {

// Number of characters of a UTF-8 text (continuation bytes do not count).
int CharacterCount(const std::string& text) {
  int count = 0;
  for (unsigned char byte : text) {
    if ((byte & 0xC0) != 0x80) ++count;
  }
  return count;
}

// Byte offset of the character at charIndex (the text's size past the end).
size_t ByteOffset(const std::string& text, int charIndex) {
  int seen = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
    if (seen == charIndex) return i;
    ++seen;
  }
  return text.size();
}

// The UTF-8 form of one character code.
std::string EncodeCharacter(int code) {
  std::string out;
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
  return out;
}

// Clears a flag (through its setter) on every other command button of the
// same container.
void ClearOthers(const Control& self, void (CommandButton::*setter)(bool)) {
  if (self.Owner() == nullptr) return;
  for (Control* c : self.Owner()->Controls()) {
    if (c != &self && c->Kind() == ControlKind::CommandButton)
      (static_cast<CommandButton*>(c)->*setter)(false);
  }
}

}  // namespace

// Raises the classic "control array element doesn't exist" error.
void CheckIndex(const std::string& arrayName, int index, int count) {
  if (index < 0 || index >= count) {
    throw base::RuntimeError(base::error::kNoSuchArrayElement,
                             "Control array element " + std::to_string(index) + " of " + arrayName +
                                 " does not exist (members 0 to " + std::to_string(count - 1) +
                                 ")");
  }
}

// --- TextBox ---

TextBox::TextBox(std::string name, int index)
    : Control(ControlKind::TextBox, std::move(name), index) {
  SetBackColor(0x00FFFFFF);
  design_ = state_;
}

int TextBox::TextLength() const { return CharacterCount(state_.text); }

// Code sets the text: Change only when it differs; caret at the start.
void TextBox::SetText(const std::string& text) {
  const bool changed = text != state_.text;
  state_.text = text;
  state_.selStart = 0;
  state_.selLength = 0;
  if (changed && Change) Change();
}

// The caret moves within the text; the selection empties.
void TextBox::SetSelStart(int start) {
  state_.selStart = std::clamp(start, 0, TextLength());
  state_.selLength = 0;
}

// The selection runs from the caret and stops at the end of the text.
void TextBox::SetSelLength(int length) {
  state_.selLength = std::clamp(length, 0, TextLength() - state_.selStart);
}

// Replaces the selected characters by text; the caret follows the insert.
void TextBox::ReplaceSelection(const std::string& text) {
  const size_t from = ByteOffset(state_.text, state_.selStart);
  const size_t to = ByteOffset(state_.text, state_.selStart + state_.selLength);
  state_.text.replace(from, to - from, text);
  state_.selStart += CharacterCount(text);
  state_.selLength = 0;
  assert(state_.selStart <= TextLength());
  if (Change) Change();
}

// Characters that are left after KeyPress: Backspace removes the selection or
// the character before the caret; a printable character replaces the
// selection or goes in at the caret unless the box is full. Other control
// characters (Enter, Esc) do nothing in a one-line box.
void TextBox::ApplyCharacter(int16_t keyAscii) {
  if (keyAscii == kKeyBack) {
    if (state_.selLength == 0) {
      if (state_.selStart == 0) return;
      --state_.selStart;
      state_.selLength = 1;
    }
    ReplaceSelection("");
    return;
  }
  if (keyAscii < 32 || keyAscii == 127) return;
  if (state_.maxLength > 0 && TextLength() - state_.selLength + 1 > state_.maxLength) return;
  ReplaceSelection(EncodeCharacter(keyAscii));
}

// Keys that act on KeyDown: Delete removes the selection or the character
// after the caret; the arrows, Home and End move the caret and drop the selection.
void TextBox::ApplyKey(int16_t keyCode, int16_t shift) {
  (void)shift;
  const int length = TextLength();
  switch (keyCode) {
    case kKeyDelete:
      if (state_.selLength == 0) {
        if (state_.selStart >= length) return;
        state_.selLength = 1;
      }
      ReplaceSelection("");
      return;
    case kKeyLeft:
      if (state_.selLength == 0 && state_.selStart > 0) --state_.selStart;
      state_.selLength = 0;
      return;
    case kKeyRight:
      state_.selStart = std::min(length, state_.selStart + std::max(state_.selLength, 1));
      state_.selLength = 0;
      return;
    case kKeyHome:
      state_.selStart = 0;
      state_.selLength = 0;
      return;
    case kKeyEnd:
      state_.selStart = length;
      state_.selLength = 0;
      return;
    default:
      return;
  }
}

void TextBox::SaveDesign() {
  Control::SaveDesign();
  design_ = state_;
}

void TextBox::RestoreDesign() {
  Control::RestoreDesign();
  state_ = design_;
}

// --- Label ---

Label::Label(std::string name, int index) : Control(ControlKind::Label, std::move(name), index) {}

void Label::SaveDesign() {
  Control::SaveDesign();
  design_ = state_;
}

void Label::RestoreDesign() {
  Control::RestoreDesign();
  state_ = design_;
}

// --- CommandButton ---

CommandButton::CommandButton(std::string name, int index)
    : Control(ControlKind::CommandButton, std::move(name), index) {
  SetBackColor(0x00C0C0C0);
}

// One default button per container.
void CommandButton::SetDefault(bool isDefault) {
  if (isDefault) ClearOthers(*this, &CommandButton::SetDefault);
  state_.isDefault = isDefault;
}

// One cancel button per container.
void CommandButton::SetCancel(bool isCancel) {
  if (isCancel) ClearOthers(*this, &CommandButton::SetCancel);
  state_.isCancel = isCancel;
}

void CommandButton::SaveDesign() {
  Control::SaveDesign();
  design_ = state_;
}

void CommandButton::RestoreDesign() {
  Control::RestoreDesign();
  state_ = design_;
}

// --- HScrollBar ---

HScrollBar::HScrollBar(std::string name, int index)
    : Control(ControlKind::HScrollBar, std::move(name), index) {}

}  // namespace screen
