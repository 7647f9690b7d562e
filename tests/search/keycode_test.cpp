// KeyCodeToText, the text a key adds to the search: each rule at its edges
// (keypad, plain codes 32..111, the US keyboard's digit and punctuation keys
// with Shift 0 or 1 only, nothing for other codes) and the case rule.
#include <gtest/gtest.h>

#include "search/ztSearchMod.h"
#include "support/foreign_locale.h"

namespace {

constexpr int16_t kShift = 1;
constexpr int16_t kCtrl = 2;
constexpr int16_t kAlt = 4;

// In order: keypad digits ignore every modifier and the separator types
// nothing; letters follow the shift state alone (Ctrl or Alt count as "not
// 0"); Delete, Insert and the arrows type their own code's character; outside
// 32..111 only the digit and punctuation keys type, never back-quote; with
// Ctrl or Alt a digit key keeps its digit and a punctuation key types nothing.
// The case rule is ASCII's whatever the host's locale: under a Turkish one
// the C library would keep "I" as it is when lowering and "i" when raising.
TEST(KeyCodeToText, EachRuleAtItsEdges) {
  testsupport::ForeignLocale turkish("tr_TR");
  const struct {
    int16_t code, shift;
    const char* text;
  } cases[] = {{96, kAlt, "0"},  {105, 3, "9"},  {106, 0, "*"},      {108, 0, ""},
               {111, 0, "/"},    {65, 0, "a"},   {90, 0, "z"},       {65, kShift, "A"},
               {77, kCtrl, "M"}, {73, 0, "i"},   {73, kShift, "I"},  {32, 0, " "},
               {46, 0, "."},     {31, 0, ""},    {112, kShift, ""},  {192, kShift, ""},
               {255, 0, ""},     {48, 0, "0"},   {48, kShift, ")"},  {50, kCtrl, "2"},
               {50, 5, "2"},     {188, 0, ","},  {188, kShift, "<"}, {222, kShift, "\""},
               {188, kCtrl, ""}, {191, kAlt, ""}};
  for (const auto& c : cases) {
    EXPECT_EQ(ztSearchMod::KeyCodeToText(c.code, c.shift), c.text)
        << c.code << " shift " << c.shift;
  }
}

}  // namespace
