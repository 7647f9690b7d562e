// Tests of the ztBasicSet text-entry routines: blank tests, search requests,
// right alignment, repetition, the split at "|" and the codes TranslateKeyPress
// gives back. The move to the next box on Enter, the capitals typed into the
// entry boxes and the whole text selected when a box gets the focus are pinned
// by the scenario scripts.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "services/ztBasicSet.h"

namespace {

using namespace ztBasicSet;

// Only blanks count as blank; trimming keeps inner blanks and other spaces.
TEST(BlankText, SpacesOnlyAreBlank) {
  for (const char* text : {"   ", ""}) EXPECT_TRUE(IsBlank(text) && !IsNotBlank(text)) << text;
  for (const char* text : {" a ", "\t"}) EXPECT_TRUE(!IsBlank(text) && IsNotBlank(text)) << text;
  EXPECT_EQ(TrimSpaces("  a b  "), "a b");
  EXPECT_EQ(TrimSpaces("\ta "), "\ta");
  // A blank folder leaves the file as it is; a folder is trimmed of its
  // blanks but keeps inner ones.
  EXPECT_EQ(FileInFolder("   ", "MAIN.MDB"), "MAIN.MDB");
  EXPECT_EQ(FileInFolder("  /data/My Co  ", "MAIN"), "/data/My Co\\MAIN");
}

// Only a first "?" or "/" asks for a search, and only when searching is on.
TEST(SearchRequest, FirstCharacterDecides) {
  EXPECT_TRUE(IsSearchRequest("?", true) && IsSearchRequest("/abc", true));
  for (const char* text : {" ?", "1/", "", "   "})
    EXPECT_FALSE(IsSearchRequest(text, true)) << text;
  EXPECT_FALSE(IsSearchRequest("?", false));
}

TEST(RightAlignAndRepeat, PadButNeverCut) {
  const struct {
    int16_t value, width;
    const char* text;
  } cases[] = {{5, 2, " 5"}, {123, 2, "123"}, {-5, 3, " -5"}, {-32768, 2, "-32768"}, {7, -4, "7"}};
  for (const auto& c : cases) {
    EXPECT_EQ(RightAlignInteger(c.value, c.width), c.text) << c.value;
  }
  EXPECT_EQ(RightAlignLong(42, 15), std::string(13, ' ') + "42");
  EXPECT_EQ(RightAlignLong(-2147483647 - 1, 4), "-2147483648");
  EXPECT_EQ(RepeatText("ab", 3), "ababab");
  EXPECT_EQ(RepeatText("ab", -3), "");
}

TEST(SplitAtBars, EveryBarEndsAnItemAndTheLastIsAlwaysKept) {
  using Items = std::vector<std::string>;
  EXPECT_EQ(SplitAtBars(""), Items{""});
  EXPECT_EQ(SplitAtBars("a"), Items{"a"});
  EXPECT_EQ(SplitAtBars("a|"), (Items{"a", ""}));
  EXPECT_EQ(SplitAtBars("|| b |c"), (Items{"", "", " b ", "c"}));
}

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
