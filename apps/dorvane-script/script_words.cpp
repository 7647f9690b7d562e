// Word splitting, key names and small number parsers of the script language.
// Relies on the toolkit's US-keyboard mapping.
#include "apps/dorvane-script/script_words.h"

#include <cctype>

#include "services/base/text_case.h"
#include "services/screen/keys.h"

namespace scripthost {
namespace {

// Key names and their virtual-key codes.
struct NamedKey {
  const char* name;
  int16_t code;
};

constexpr NamedKey kNamedKeys[] = {
    {"Enter", 13},   {"Tab", 9},      {"Esc", 27},     {"Backspace", 8}, {"Space", 32},
    {"Delete", 46},  {"Insert", 45},  {"Up", 38},      {"Down", 40},     {"Left", 37},
    {"Right", 39},   {"Home", 36},    {"End", 35},     {"PageUp", 33},   {"PageDown", 34},
    {"NumAdd", 107}, {"NumSub", 109}, {"NumMul", 106}, {"NumDiv", 111},  {"NumDot", 110},
};

// The code of a key name ("F1".."F12", "Num0".."Num9" and the table), or 0.
int16_t NamedKeyCode(std::string_view name) {
  for (const auto& key : kNamedKeys) {
    if (base::SameName(name, key.name)) return key.code;
  }
  auto numbered = [&](std::string_view prefix, int first, int last, int16_t base) -> int16_t {
    if (name.size() <= prefix.size() || !base::SameName(name.substr(0, prefix.size()), prefix))
      return 0;
    int n = 0;
    for (char ch : name.substr(prefix.size())) {
      if (!std::isdigit(static_cast<unsigned char>(ch)) || n > 100) return 0;
      n = n * 10 + (ch - '0');
    }
    return n >= first && n <= last ? static_cast<int16_t>(base + n - first) : 0;
  };
  if (int16_t code = numbered("F", 1, 12, screen::kKeyF1)) return code;
  return numbered("Num", 0, 9, screen::kKeyNumpad0);
}

}  // namespace

std::vector<Word> SplitWords(std::string_view line) {
  std::vector<Word> words;
  size_t i = 0;
  while (i < line.size()) {
    if (line[i] == ' ' || line[i] == '\t') {
      ++i;
      continue;
    }
    Word word;
    if (line[i] != '"') {
      while (i < line.size() && line[i] != ' ' && line[i] != '\t') word.text += line[i++];
      words.push_back(std::move(word));
      continue;
    }
    word.quoted = true;
    ++i;
    bool closed = false;
    while (i < line.size()) {
      char ch = line[i++];
      if (ch == '"') {
        closed = true;
        break;
      }
      if (ch != '\\') {
        word.text += ch;
        continue;
      }
      if (i >= line.size()) break;
      switch (char e = line[i++]) {
        case '"':
        case '\\':
          word.text += e;
          break;
        case 'r':
          word.text += '\r';
          break;
        case 'n':
          word.text += '\n';
          break;
        case 't':
          word.text += '\t';
          break;
        default:
          throw ScriptError{std::string("unknown escape \\") + e + " in a quoted word"};
      }
    }
    if (!closed) throw ScriptError{"a quoted word has no closing quote"};
    if (i < line.size() && line[i] != ' ' && line[i] != '\t') {
      throw ScriptError{"a quoted word must be followed by a blank"};
    }
    words.push_back(std::move(word));
  }
  return words;
}

ScriptKey ParseKey(std::string_view word) {
  const std::string original(word);
  int16_t modifiers = 0;
  for (bool found = true; found;) {
    found = false;
    for (auto [prefix, bit] : {std::pair<std::string_view, int16_t>{"Shift+", screen::kShiftMask},
                               {"Ctrl+", screen::kCtrlMask},
                               {"Alt+", screen::kAltMask}}) {
      if (word.size() > prefix.size() && base::SameName(word.substr(0, prefix.size()), prefix)) {
        modifiers |= bit;
        word.remove_prefix(prefix.size());
        found = true;
      }
    }
  }
  ScriptKey key;
  if (word.size() == 1 && std::isprint(static_cast<unsigned char>(word[0]))) {
    const char ch = word[0];
    if (std::isalpha(static_cast<unsigned char>(ch)) && modifiers != 0) {
      key.keyCode = static_cast<int16_t>(base::UpperAscii(ch));
      key.shift = modifiers;
    } else {
      auto stroke = screen::KeyOfCharacter(ch);
      if (!stroke) throw ScriptError{"unknown key " + original};
      key.keyCode = stroke->keyCode;
      key.shift = static_cast<int16_t>(stroke->shift | modifiers);
    }
  } else {
    key.keyCode = NamedKeyCode(word);
    if (key.keyCode == 0) throw ScriptError{"unknown key " + original};
    key.shift = modifiers;
  }
  key.keyAscii = screen::CharacterOfKey(key.keyCode, key.shift);
  return key;
}

void ParseControlName(const std::string& word, std::string& name, int& index) {
  const size_t open = word.find('(');
  if (open == std::string::npos) {
    name = word;
    index = -1;
    return;
  }
  if (open == 0 || word.back() != ')') throw ScriptError{"malformed control name " + word};
  name = word.substr(0, open);
  index = static_cast<int>(ParseWholeNumber(word.substr(open + 1, word.size() - open - 2), 0, 32767,
                                            "index of " + name));
}

int64_t ParseWholeNumber(const std::string& text, int64_t minimum, int64_t maximum,
                         const std::string& what) {
  size_t i = text.size() > 1 && text[0] == '-' ? 1 : 0;
  if (i == text.size()) throw ScriptError{what + " must be a whole number, not \"" + text + "\""};
  int64_t value = 0;
  for (size_t j = i; j < text.size(); ++j) {
    if (!std::isdigit(static_cast<unsigned char>(text[j])) || value > 1'000'000'000'000) {
      throw ScriptError{what + " must be a whole number, not \"" + text + "\""};
    }
    value = value * 10 + (text[j] - '0');
  }
  if (i == 1) value = -value;
  if (value < minimum || value > maximum) {
    throw ScriptError{what + " must be between " + std::to_string(minimum) + " and " +
                      std::to_string(maximum) + ", not " + text};
  }
  return value;
}

}  // namespace scripthost
