// The script language's parser and printer: words with quotes and escapes,
// characters, key names and modifiers as US-keyboard codes, control names,
// and the output escapes and values (colours are on every control line of
// the scenario scripts).
#include "apps/dorvane-script/script_words.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "apps/dorvane-script/script_output.h"

namespace {

using scripthost::ParseKey;
using scripthost::ScriptError;
using scripthost::SplitWords;

TEST(ScriptWords, BlanksSeparateWordsAndQuotesHoldBlanksAndEscapes) {
  auto words = SplitWords("  let   PathText \"C:\\\\data dir\\\"x\\\"\"  ");
  ASSERT_EQ(words.size(), 3u);
  EXPECT_EQ(words[0].text, "let");
  EXPECT_FALSE(words[0].quoted);
  EXPECT_EQ(words[2].text, "C:\\data dir\"x\"");
  EXPECT_TRUE(words[2].quoted);
  words = SplitWords("echo \"a\\r\\n\\tb\" \"\"");
  ASSERT_EQ(words.size(), 3u);
  EXPECT_EQ(words[1].text, "a\r\n\tb");
  EXPECT_EQ(words[2].text, "");
  EXPECT_TRUE(words[2].quoted);
}

// Characters are the US-keyboard key that types them, with Shift where that
// takes it (the key map's own tests check every character); numbered keys run in order, key pad
// digits give their digit, names are case-insensitive and a modifier adds its bit to whatever the
// key had.
TEST(ScriptKeys, CharactersNamesAndModifiersCombine) {
  struct Case {
    const char* word;
    int code, shift, ascii;
  } cases[] = {{"z", 90, 0, 'z'},        {"@", 50, 1, '@'},    {" ", 32, 0, ' '},
               {"Esc", 27, 0, 27},       {"Delete", 46, 0, 0}, {"Ctrl+Shift+2", 50, 3, 0},
               {"Shift+2", 50, 1, '@'},  {"Alt+A", 65, 4, 0},  {"Shift+a", 65, 1, 'A'},
               {"Ctrl+Num5", 101, 2, 0}, {"Ctrl++", 187, 3, 0}};
  for (const auto& c : cases) {
    auto key = ParseKey(c.word);
    EXPECT_EQ(key.keyCode, c.code) << c.word;
    EXPECT_EQ(key.shift, c.shift) << c.word;
    EXPECT_EQ(key.keyAscii, c.ascii) << c.word;
  }
  for (int n = 1; n <= 12; ++n) {
    EXPECT_EQ(ParseKey("F" + std::to_string(n)).keyCode, 111 + n) << n;
  }
  for (int n = 0; n <= 9; ++n) {
    const auto key = ParseKey("Num" + std::to_string(n));
    EXPECT_EQ(key.keyCode, 96 + n) << n;
    EXPECT_EQ(key.keyAscii, '0' + n) << n;
  }
  for (const char* name : {"Enter", "Tab", "PageUp", "NumDot", "F7", "Backspace", "Right"}) {
    std::string lower = name;
    for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    const auto key = ParseKey(name);
    EXPECT_EQ(ParseKey(lower).keyCode, key.keyCode) << name;
    EXPECT_EQ(ParseKey(std::string("Shift+") + name).shift, key.shift | 1) << name;
    EXPECT_EQ(ParseKey(std::string("Alt+Ctrl+") + name).shift, key.shift | 6) << name;
  }
}

// Bad quoting, unknown keys, a malformed control index (lblCONO(2) is on many
// lines of the scenarios) and a whole number out of its range are script errors.
TEST(ScriptErrors, MalformedWordsKeysNamesAndNumbers) {
  for (const char* bad : {"echo \"open", "echo \"bad \\q escape\"", "echo \"x\"y", "echo \"x\\"}) {
    EXPECT_THROW(SplitWords(bad), ScriptError) << bad;
  }
  for (const char* bad : {"Bogus", "F13", "F0", "Num10", "Shift+", "Ctrl+Bogus", "ab", ""}) {
    EXPECT_THROW(ParseKey(bad), ScriptError) << bad;
  }
  std::string name;
  int index = 0;
  for (const char* bad : {"lbl(", "lbl(x)", "(1)", "lbl(-1)", "lbl()"}) {
    EXPECT_THROW(scripthost::ParseControlName(bad, name, index), ScriptError) << bad;
  }
  EXPECT_EQ(scripthost::ParseWholeNumber("-32768", -32768, 32767, "x"), -32768);
  for (const char* bad : {"32768", "1.5", "-"}) {
    EXPECT_THROW(scripthost::ParseWholeNumber(bad, -32768, 32767, "x"), ScriptError) << bad;
  }
}

TEST(ScriptOutput, TextsAreQuotedWithEscapes) {
  EXPECT_EQ(scripthost::Quote("a\"b\\c\r\n\td\x01\x7f"), "\"a\\\"b\\\\c\\r\\n\\td\\x01\\x7F\"");
  EXPECT_EQ(scripthost::Quote(""), "\"\"");
  EXPECT_EQ(scripthost::Quote("Zoë"), "\"Zoë\"");
}

// The types no scenario shows (True, numbers and texts are on many lines).
TEST(ScriptOutput, ValuesPrintByTheirType) {
  using recordstore::Variant;
  EXPECT_EQ(scripthost::FormatValue(Variant::Long(100000)), "100000");
  EXPECT_EQ(scripthost::FormatValue(Variant::Null()), "Null");
  EXPECT_EQ(scripthost::FormatValue(Variant()), "Empty");
  EXPECT_EQ(scripthost::FormatValue(Variant::Double(1.5)), "1.5");
  EXPECT_EQ(scripthost::FormatValue(Variant::Date(base::DateSerialFromYMD(2001, 1, 5))),
            "#1/5/2001#");
}

}  // namespace
