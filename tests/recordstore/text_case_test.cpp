// Case-insensitive name comparison: ASCII letters fold, and nothing else does
// (punctuation a bit apart from its neighbour, non-ASCII bytes).
#include "services/recordstore/text_case.h"

#include <gtest/gtest.h>

namespace recordstore {
namespace {

TEST(SameName, FoldsAsciiLettersOnly) {
  EXPECT_TRUE(SameName("MAIN.MDB", "main.mdb"));
  EXPECT_TRUE(SameName("TjList", "TJLIST"));
  EXPECT_TRUE(SameName("", ""));
  EXPECT_FALSE(SameName("COLIST", "COLISTS"));
  EXPECT_FALSE(SameName("COLIST", "JOLIST"));
  EXPECT_FALSE(SameName("[", "{"));
  EXPECT_FALSE(SameName("@", "`"));
  EXPECT_FALSE(SameName("\xc3\x89", "\xc3\xa9"));
  EXPECT_TRUE(SameName(std::string_view("AB\0c", 4), std::string_view("ab\0C", 4)));
  EXPECT_FALSE(SameName(std::string_view("AB\0c", 4), std::string_view("ab\0D", 4)));
}

}  // namespace
}  // namespace recordstore
