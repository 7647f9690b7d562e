// Fuzzes key-code-to-text of the search dialog's type-ahead over every key
// code and shift state: the answer is "" or one character, and a shifted
// letter is a capital.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "search/ztSearchMod.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  int16_t keyCode = 0, shift = 0;
  std::memcpy(&keyCode, data, 2);
  std::memcpy(&shift, data + 2, 2);
  const std::string text = ztSearchMod::KeyCodeToText(keyCode, shift);
  if (text.size() > 1) __builtin_trap();
  if (keyCode >= 'A' && keyCode <= 'Z' && shift == 1 && text != std::string(1, char(keyCode))) {
    __builtin_trap();
  }
  return 0;
}
