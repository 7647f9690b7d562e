// The lexical side of the script language: a script error (reported as
// "ERROR line N: ..." with exit status 2), the words of a command line with
// their quotes and escapes, and the key names of `press` with their modifiers.
// Relies on the toolkit's key codes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace scripthost {

// An error in the script itself. Deliberately not a std::exception: it must
// pass through the toolkit's handler traps and the hosted code unchanged.
struct ScriptError {
  std::string message;
};

// One word of a command line; quoted tells a "quoted" word from a bare one.
struct Word {
  std::string text;
  bool quoted = false;
};

// Splits a line into words separated by blanks; a word in double quotes may
// hold blanks and the escapes \" \\ \r \n \t. Raises ScriptError for an
// unterminated quote or an unknown escape.
std::vector<Word> SplitWords(std::string_view line);

// A key as `press` names it: its virtual-key code, shift state and the
// character it gives (0 for none).
struct ScriptKey {
  int16_t keyCode = 0;
  int16_t shift = 0;
  int16_t keyAscii = 0;
};

// Parses a key word: a printable character ("a", "A", "?", with the Shift a US
// keyboard needs) or a key name (Enter, F5, Num3, ...), each optionally behind
// Shift+, Ctrl+, Alt+ (combinable). Behind a modifier a letter names its key
// only ("Alt+a" is Alt and the A key). Raises ScriptError for an unknown key.
ScriptKey ParseKey(std::string_view word);

// Splits "NAME(I)" into name and index (-1 without one); raises ScriptError
// for a malformed index.
void ParseControlName(const std::string& word, std::string& name, int& index);

// Reads a whole number (an optional "-" and digits) that fits in
// [minimum, maximum]; raises ScriptError naming what when it does not.
int64_t ParseWholeNumber(const std::string& text, int64_t minimum, int64_t maximum,
                         const std::string& what);

}  // namespace scripthost
