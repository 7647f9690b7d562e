// ztBasicSet's TranslateKeyPress: the codes it gives back. The move to the
// next box on Enter, the capitals typed into the entry boxes and the whole
// text selected when a box gets the focus are pinned by the scenario scripts.
#include <gtest/gtest.h>

#include "services/ztBasicSet.h"

namespace {

// Enter gives 0 whatever upper is and leaves the key; small letters become
// capitals, in the key too, only when asked; codes beside the small letters
// come back unchanged.
TEST(TranslateKeyPress, GivesAndLeavesTheCode) {
  const struct {
    int16_t code;
    bool upper;
    int16_t given, left;
  } cases[] = {{13, true, 0, 13},      {13, false, 0, 13},    {'q', true, 'Q', 'Q'},
               {'q', false, 'q', 'q'}, {'a', true, 'A', 'A'}, {'z', true, 'Z', 'Z'},
               {123, true, 123, 123},  {96, true, 96, 96},    {'Q', true, 'Q', 'Q'},
               {'5', true, '5', '5'},  {8, true, 8, 8}};
  for (const auto& c : cases) {
    int16_t key = c.code;
    EXPECT_EQ(ztBasicSet::TranslateKeyPress(key, c.upper), c.given) << c.code << c.upper;
    EXPECT_EQ(key, c.left) << c.code << c.upper;
  }
}

}  // namespace
