// ztBasicSet text-entry routines: blank tests, the search-request test, right
// alignment of numbers, repetition of text and the split at "|". Pure
// functions over std::string.
#include <string>
#include <string_view>
#include <vector>

#include "services/ztBasicSet.h"

namespace ztBasicSet {

// Removes leading and trailing blanks, as the classic Trim does.
std::string TrimSpaces(std::string_view text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return "";
  const size_t last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

// True when nothing but spaces is left after trimming.
bool IsBlank(const std::string& text) { return text.find_first_not_of(' ') == std::string::npos; }

std::string FileInFolder(const std::string& folder, const std::string& file) {
  return IsBlank(folder) ? file : TrimSpaces(folder) + "\\" + file;
}

// The opposite of IsBlank.
bool IsNotBlank(const std::string& text) { return !IsBlank(text); }

// A search request is a non-blank text whose very first character is "/" or "?".
bool IsSearchRequest(const std::string& text, bool searchAllowed) {
  if (!searchAllowed || IsBlank(text)) return false;
  return text[0] == '/' || text[0] == '?';
}

namespace {

// Pads digits on the left with spaces up to width; a longer text is kept whole.
std::string PadLeft(std::string digits, int width) {
  if (static_cast<int>(digits.size()) >= width) return digits;
  return std::string(width - digits.size(), ' ') + digits;
}

}  // namespace

// Decimal text of a 16-bit value, right-aligned in width.
std::string RightAlignInteger(int16_t value, int16_t width) {
  return PadLeft(std::to_string(value), width);
}

// Decimal text of a 32-bit value, right-aligned in width.
std::string RightAlignLong(int32_t value, int16_t width) {
  return PadLeft(std::to_string(value), width);
}

// text repeated count times.
std::string RepeatText(const std::string& text, int16_t count) {
  std::string result;
  if (count < 1) return result;
  result.reserve(text.size() * count);
  for (int i = 0; i < count; ++i) result += text;
  return result;
}

std::vector<std::string> SplitAtBars(std::string_view text) {
  std::vector<std::string> items;
  size_t start = 0;
  for (size_t bar = text.find('|'); bar != std::string_view::npos; bar = text.find('|', start)) {
    items.emplace_back(text.substr(start, bar - start));
    start = bar + 1;
  }
  items.emplace_back(text.substr(start));
  return items;
}

}  // namespace ztBasicSet
