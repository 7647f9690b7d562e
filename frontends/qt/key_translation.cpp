// Qt key events to toolkit keys. A printable character is taken from the
// event's text and turned into the US-keyboard key that gives it (so "?" is
// code 191 with Shift, whatever the layout); keypad keys keep their own codes;
// named keys map to their virtual-key codes. Relies on the toolkit's keys.h.
#include "frontends/qt/key_translation.h"

#include "services/screen/keys.h"

namespace qtfront {
namespace {

// The Shift/Ctrl/Alt bits of Qt modifiers.
int16_t ShiftOf(Qt::KeyboardModifiers modifiers) {
  int16_t shift = 0;
  if (modifiers & Qt::ShiftModifier) shift |= screen::kShiftMask;
  if (modifiers & Qt::ControlModifier) shift |= screen::kCtrlMask;
  if (modifiers & Qt::AltModifier) shift |= screen::kAltMask;
  return shift;
}

// Keypad keys keep their codes 96-111 whatever the modifiers; 0 for others.
int16_t KeypadCode(int qtKey) {
  if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) {
    return static_cast<int16_t>(screen::kKeyNumpad0 + (qtKey - Qt::Key_0));
  }
  switch (qtKey) {
    case Qt::Key_Asterisk:
      return screen::kKeyMultiply;
    case Qt::Key_Plus:
      return screen::kKeyAdd;
    case Qt::Key_Minus:
      return screen::kKeySubtract;
    case Qt::Key_Period:
    case Qt::Key_Comma:
      return screen::kKeyDecimal;
    case Qt::Key_Slash:
      return screen::kKeyDivide;
    default:
      return 0;
  }
}

// Keys that give no character of their own (or a control character).
int16_t NamedCode(int qtKey) {
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12) {
    return static_cast<int16_t>(screen::kKeyF1 + (qtKey - Qt::Key_F1));
  }
  switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return screen::kKeyReturn;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return screen::kKeyTab;
    case Qt::Key_Escape:
      return screen::kKeyEscape;
    case Qt::Key_Backspace:
      return screen::kKeyBack;
    case Qt::Key_Space:
      return screen::kKeySpace;
    case Qt::Key_Delete:
      return screen::kKeyDelete;
    case Qt::Key_Insert:
      return screen::kKeyInsert;
    case Qt::Key_PageUp:
      return screen::kKeyPageUp;
    case Qt::Key_PageDown:
      return screen::kKeyPageDown;
    case Qt::Key_End:
      return screen::kKeyEnd;
    case Qt::Key_Home:
      return screen::kKeyHome;
    case Qt::Key_Left:
      return screen::kKeyLeft;
    case Qt::Key_Up:
      return screen::kKeyUp;
    case Qt::Key_Right:
      return screen::kKeyRight;
    case Qt::Key_Down:
      return screen::kKeyDown;
    default:
      return 0;
  }
}

// The code of the US-keyboard key whose unshifted or shifted character is the
// Qt key's own (Qt reports "?" as Key_Question); 0 when none gives it.
int16_t CharacterKeyCode(int qtKey) {
  if (qtKey < 0x21 || qtKey > 0x7E) return 0;
  if (auto stroke = screen::KeyOfCharacter(static_cast<char>(qtKey))) return stroke->keyCode;
  return 0;
}

}  // namespace

// Order: keypad, named keys, the typed character, then the bare Qt key (Ctrl
// and Alt combinations carry no usable text).
std::optional<ToolkitKey> TranslateKey(int qtKey, Qt::KeyboardModifiers modifiers,
                                       const QString& text) {
  ToolkitKey key;
  key.shift = ShiftOf(modifiers);
  const bool withCtrlOrAlt = (key.shift & (screen::kCtrlMask | screen::kAltMask)) != 0;

  if (modifiers & Qt::KeypadModifier) {
    if (int16_t code = KeypadCode(qtKey)) {
      key.keyCode = code;
      key.keyAscii = screen::CharacterOfKey(code, key.shift);
      return key;
    }
  }
  if (int16_t code = NamedCode(qtKey)) {
    key.keyCode = code;
    if (qtKey == Qt::Key_Backtab) key.shift |= screen::kShiftMask;
    key.keyAscii = screen::CharacterOfKey(code, key.shift);
    return key;
  }
  if (!withCtrlOrAlt && text.size() == 1 && text[0].unicode() >= 0x20 &&
      text[0].unicode() != 0x7F) {
    const char16_t ch = text[0].unicode();
    key.keyAscii = static_cast<int16_t>(ch <= 0x7FFF ? ch : 0);
    if (key.keyAscii == 0) return std::nullopt;
    if (ch < 0x80) {
      if (auto stroke = screen::KeyOfCharacter(static_cast<char>(ch))) {
        key.keyCode = stroke->keyCode;
        key.shift |= stroke->shift;
        return key;
      }
    }
    key.keyCode = 0;  // a character no US key gives: KeyPress only
    return key;
  }
  const int16_t code = CharacterKeyCode(qtKey);
  if (code == 0) return std::nullopt;
  key.keyCode = code;
  key.keyAscii = screen::CharacterOfKey(code, key.shift);
  return key;
}

}  // namespace qtfront
