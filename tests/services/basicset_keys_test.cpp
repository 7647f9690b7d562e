// ztBasicSet's TranslateKeyPress: the codes it gives back. The move to the
// next box on Enter, the capitals typed into the entry boxes and the whole
// text selected when a box gets the focus are pinned by the scenario scripts.
#include <gtest/gtest.h>

#include "services/ztBasicSet.h"

namespace {

TEST(TranslateKeyPress, EnterGivesZeroWhateverUpperCaseIs) {
  for (bool upper : {true, false}) {
    int16_t key = 13;
    EXPECT_EQ(ztBasicSet::TranslateKeyPress(key, upper), 0);
  }
}

TEST(TranslateKeyPress, SmallLettersBecomeCapitalsOnlyWhenAsked) {
  int16_t q = 'q';
  EXPECT_EQ(ztBasicSet::TranslateKeyPress(q, true), 81);
  EXPECT_EQ(q, 81);
  q = 'q';
  EXPECT_EQ(ztBasicSet::TranslateKeyPress(q, false), 113);
  EXPECT_EQ(q, 113);
  for (int16_t edge : {int16_t{'a'}, int16_t{'z'}}) {
    int16_t key = edge;
    EXPECT_EQ(ztBasicSet::TranslateKeyPress(key, true), edge - 32);
  }
}

TEST(TranslateKeyPress, CodesBesideTheSmallLettersComeBackUnchanged) {
  for (int16_t code : {int16_t{123}, int16_t{96}, int16_t{'Q'}, int16_t{'5'}, int16_t{8}}) {
    int16_t key = code;
    EXPECT_EQ(ztBasicSet::TranslateKeyPress(key, true), code);
    EXPECT_EQ(key, code);
  }
}

}  // namespace
