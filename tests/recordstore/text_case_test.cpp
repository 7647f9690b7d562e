// Case-insensitive name comparison: ASCII letters fold, and nothing else does
// (punctuation a bit apart from its neighbour, non-ASCII bytes).
#include "services/base/text_case.h"

#include <gtest/gtest.h>

namespace recordstore {
namespace {

TEST(SameName, FoldsAsciiLettersOnly) {
  EXPECT_TRUE(base::SameName("MAIN.MDB", "main.mdb"));
  EXPECT_TRUE(base::SameName("TjList", "TJLIST"));
  EXPECT_TRUE(base::SameName("", ""));
  EXPECT_FALSE(base::SameName("COLIST", "COLISTS"));
  EXPECT_FALSE(base::SameName("COLIST", "JOLIST"));
  EXPECT_FALSE(base::SameName("[", "{"));
  EXPECT_FALSE(base::SameName("@", "`"));
  EXPECT_FALSE(base::SameName("\xc3\x89", "\xc3\xa9"));
  EXPECT_TRUE(base::SameName(std::string_view("AB\0c", 4), std::string_view("ab\0C", 4)));
  EXPECT_FALSE(base::SameName(std::string_view("AB\0c", 4), std::string_view("ab\0D", 4)));
}

}  // namespace
}  // namespace recordstore
