// Tests of the ztBasicSet text-entry routines: blank tests, search requests,
// right alignment, repetition and the split at "|".
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "services/ztBasicSet.h"

namespace {

using namespace ztBasicSet;

TEST(BlankText, SpacesOnlyAreBlank) {
  EXPECT_TRUE(IsBlank("   "));
  EXPECT_TRUE(IsBlank(""));
  EXPECT_FALSE(IsBlank(" a "));
  EXPECT_FALSE(IsBlank("\t"));  // only blanks count as blank
  EXPECT_FALSE(IsNotBlank("   "));
  EXPECT_TRUE(IsNotBlank(" a "));
}

TEST(BlankText, TrimSpacesKeepsInnerBlanks) {
  EXPECT_EQ(TrimSpaces("  a b  "), "a b");
  EXPECT_EQ(TrimSpaces("   "), "");
  EXPECT_EQ(TrimSpaces("\ta "), "\ta");
}

// A blank folder leaves the file as it is; a folder is trimmed of its blanks
// but keeps inner ones and a relative or odd file name as given.
TEST(BlankText, FileInFolderJoinsTrimmedFolder) {
  EXPECT_EQ(FileInFolder("", "MAIN"), "MAIN");
  EXPECT_EQ(FileInFolder("   ", "MAIN.MDB"), "MAIN.MDB");
  EXPECT_EQ(FileInFolder("  /data/My Co  ", "MAIN"), "/data/My Co\\MAIN");
  EXPECT_EQ(FileInFolder("C:\\qrl", "QRLSYS.mdb"), "C:\\qrl\\QRLSYS.mdb");
}

TEST(SearchRequest, FirstCharacterDecides) {
  EXPECT_TRUE(IsSearchRequest("?", true));
  EXPECT_TRUE(IsSearchRequest("/abc", true));
  EXPECT_FALSE(IsSearchRequest(" ?", true));
  EXPECT_FALSE(IsSearchRequest("?", false));
  EXPECT_FALSE(IsSearchRequest("1/", true));
  EXPECT_FALSE(IsSearchRequest("", true));
  EXPECT_FALSE(IsSearchRequest("   ", true));
}

TEST(RightAlign, PadsButNeverCuts) {
  EXPECT_EQ(RightAlignInteger(5, 2), " 5");
  EXPECT_EQ(RightAlignInteger(123, 2), "123");
  EXPECT_EQ(RightAlignInteger(-5, 3), " -5");
  EXPECT_EQ(RightAlignInteger(-32768, 2), "-32768");
  EXPECT_EQ(RightAlignInteger(7, 0), "7");
  EXPECT_EQ(RightAlignInteger(7, -4), "7");
  EXPECT_EQ(RightAlignLong(42, 15), std::string(13, ' ') + "42");
  EXPECT_EQ(RightAlignLong(-2147483647 - 1, 4), "-2147483648");
  EXPECT_EQ(RightAlignLong(123456789, 9), "123456789");
}

TEST(RepeatText, CountsBelowOneGiveEmptyText) {
  EXPECT_EQ(RepeatText("?", 15), std::string(15, '?'));
  EXPECT_EQ(RepeatText("?", 0), "");
  EXPECT_EQ(RepeatText("ab", -3), "");
  EXPECT_EQ(RepeatText("ab", 3), "ababab");
  EXPECT_EQ(RepeatText("", 5), "");
}

TEST(SplitAtBars, EveryBarEndsAnItemAndTheLastIsAlwaysKept) {
  using Items = std::vector<std::string>;
  EXPECT_EQ(SplitAtBars(""), Items{""});
  EXPECT_EQ(SplitAtBars("a"), Items{"a"});
  EXPECT_EQ(SplitAtBars("a|"), (Items{"a", ""}));
  EXPECT_EQ(SplitAtBars("|| b |c"), (Items{"", "", " b ", "c"}));
}

}  // namespace
