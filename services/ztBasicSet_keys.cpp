// ztBasicSet keystroke routines: selecting a text box's whole text when it
// gets the focus, and the KeyPress translation that turns Enter into a move to
// the next tab stop and small letters into capitals. Relies on the toolkit
// (text boxes and the synthesised Tab of the dispatcher).
#include "services/screen/screen.h"
#include "services/ztBasicSet.h"

namespace ztBasicSet {

// A text box gets its whole text selected, so the next keystroke replaces it;
// any other kind of control is left alone.
void SelectAllText(screen::Control& ctl) {
  if (ctl.Kind() != screen::ControlKind::TextBox) return;
  auto& box = static_cast<screen::TextBox&>(ctl);
  box.SetSelStart(0);
  box.SetSelLength(box.TextLength());
}

// Enter asks the toolkit for a Tab keystroke after the current key and gives
// 0, so the Enter is dropped; with upperCase a small letter becomes its
// capital, written back into keyAscii. Any other code comes back unchanged.
int16_t TranslateKeyPress(int16_t& keyAscii, bool upperCase) {
  if (keyAscii == screen::kKeyReturn) {
    screen::SynthesizeTab();
    return 0;
  }
  if (upperCase && keyAscii >= 'a' && keyAscii <= 'z')
    keyAscii = static_cast<int16_t>(keyAscii - 32);
  return keyAscii;
}

}  // namespace ztBasicSet
