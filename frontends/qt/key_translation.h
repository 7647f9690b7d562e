// Turns a Qt key event (key, modifiers, text) into the toolkit's key: the
// virtual-key code of a US keyboard, the Shift/Ctrl/Alt state (1, 2, 4) and the
// character code that KeyPress receives. Relies on QtCore and the toolkit's
// keyboard vocabulary (services/screen/keys.h).
#pragma once

#include <QString>
#include <Qt>
#include <cstdint>
#include <optional>

namespace qtfront {

struct ToolkitKey {
  int16_t keyCode = 0;
  int16_t shift = 0;
  int16_t keyAscii = 0;
};

// The toolkit key for a Qt key press; nothing for keys the toolkit does not
// know (a modifier pressed alone, media keys, ...).
std::optional<ToolkitKey> TranslateKey(int qtKey, Qt::KeyboardModifiers modifiers,
                                       const QString& text);

}  // namespace qtfront
