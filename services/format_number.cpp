// Number sections of format texts: digit placeholders "0" and "#", the decimal
// point, thousands separators and scaling commas, "%", and exponents E+ E- e+ e-.
// Digits come from the 15-digit decimal form of the value, rounded half away
// from zero. Relies only on format_section.h and the standard library.
#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "services/base/c_numbers.h"
#include "services/format_section.h"

namespace ztBasicSet {

namespace {

// True when units[i] is an unquoted digit placeholder ("0" or "#").
bool IsPlaceholder(const std::vector<FormatUnit>& units, size_t i) {
  return IsFormatChar(units, i, '0') || IsFormatChar(units, i, '#');
}

// A number section read into its parts.
enum class NumberKind { Digit, Point, Exponent, Text };
struct NumberItem {
  NumberKind kind;
  char c;            // Digit: '0' or '#'; Exponent: 'E' or 'e'
  std::string text;  // Text: the characters; Exponent: "+" or "-"
};
struct NumberLayout {
  std::vector<NumberItem> items;
  int percent = 0;  // each "%" multiplies by 100
  int scale = 0;    // each trailing "," divides by 1000
  bool thousands = false;
};

// Reads the placeholders, point, exponent, scaling and literal text of a section.
NumberLayout ReadNumberLayout(const std::vector<FormatUnit>& units) {
  NumberLayout layout;
  bool seenPoint = false, seenExponent = false, seenDigit = false;
  auto addText = [&layout](char c) {
    if (layout.items.empty() || layout.items.back().kind != NumberKind::Text) {
      layout.items.push_back({NumberKind::Text, 0, ""});
    }
    layout.items.back().text += c;
  };
  for (size_t i = 0; i < units.size(); ++i) {
    const char c = units[i].c;
    if (units[i].literal) {
      addText(c);
    } else if (c == '0' || c == '#') {
      layout.items.push_back({NumberKind::Digit, c, ""});
      seenDigit = true;
    } else if (c == '.' && !seenPoint && !seenExponent) {
      layout.items.push_back({NumberKind::Point, c, ""});
      seenPoint = true;
    } else if (c == '%') {
      ++layout.percent;
      addText(c);
    } else if (c == ',' && !seenPoint && !seenExponent) {
      size_t end = i;
      while (IsFormatChar(units, end, ',')) ++end;
      if (!seenDigit) {
        for (; i < end; ++i) addText(',');
      } else if (IsPlaceholder(units, end)) {
        layout.thousands = true;
      } else {
        layout.scale += static_cast<int>(end - i);
      }
      i = end - 1;
    } else if ((c == 'E' || c == 'e') && !seenExponent &&
               (IsFormatChar(units, i + 1, '+') || IsFormatChar(units, i + 1, '-')) &&
               IsPlaceholder(units, i + 2)) {
      layout.items.push_back({NumberKind::Exponent, c, std::string(1, units[i + 1].c)});
      seenExponent = true;
      ++i;
    } else if (c != ',') {
      addText(c);
    }
  }
  return layout;
}

// The significant digits of x (x > 0) with 15 digits at most; the decimal point
// lies pointPos digits from their start.
void DecimalDigits(double x, std::string& digits, int& pointPos) {
  assert(x > 0);
  char buffer[40];
  base::NumbersInC c;
  std::snprintf(buffer, sizeof buffer, "%.14e", x);
  const std::string text = buffer;
  const size_t e = text.find('e');
  digits = text.substr(0, 1) + text.substr(2, e - 2);
  pointPos = std::atoi(text.c_str() + e + 1) + 1;
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
}

// Keeps the first keep digits, rounding half away from zero; a carry out of the
// first digit moves the point one place.
void RoundDigits(std::string& digits, int& pointPos, int keep) {
  if (keep < 0) {
    digits.clear();
    return;
  }
  if (keep >= static_cast<int>(digits.size())) return;
  const bool up = digits[keep] >= '5';
  digits.resize(keep);
  if (!up) return;
  int i = keep - 1;
  while (i >= 0 && digits[i] == '9') digits[i--] = '0';
  if (i < 0) {
    digits.insert(digits.begin(), '1');
    ++pointPos;
  } else {
    ++digits[i];
  }
}

// The digit at index i of digits, "0" beyond either end.
char DigitAt(const std::string& digits, int i) {
  return i >= 0 && i < static_cast<int>(digits.size()) ? digits[i] : '0';
}

// Number of placeholders from the first "0" to the last of a placeholder list.
int MinimumDigits(const std::string& placeholders) {
  const size_t first = placeholders.find('0');
  return first == std::string::npos ? 0 : static_cast<int>(placeholders.size() - first);
}

// The placeholders of each part of a number section.
struct Slots {
  std::string integer, fraction, exponent;
};

// Collects the "0" and "#" placeholders of the integer, fraction and exponent parts.
Slots ReadSlots(const NumberLayout& layout) {
  Slots slots;
  std::string* part = &slots.integer;
  for (const NumberItem& item : layout.items) {
    if (item.kind == NumberKind::Point) part = &slots.fraction;
    if (item.kind == NumberKind::Exponent) part = &slots.exponent;
    if (item.kind == NumberKind::Digit) *part += item.c;
  }
  return slots;
}

// The digits a number section shows: integer digits without surplus leading
// zeros (but padded to the "0" placeholders), one digit per fraction
// placeholder, and the exponent when the section has one.
struct ShownDigits {
  std::string integer, fraction;
  int exponent = 0;
  int fractionShown = 0;  // fraction digits left after dropping trailing "#" zeros
};

// Rounds x (>= 0) to the section's placeholders.
ShownDigits RoundToSlots(double x, const Slots& slots, bool scientific) {
  const int intCount = static_cast<int>(slots.integer.size());
  const int fracCount = static_cast<int>(slots.fraction.size());
  ShownDigits shown;
  std::string digits;
  int pointPos = 0;
  if (x > 0 && std::isfinite(x)) {
    DecimalDigits(x, digits, pointPos);
    if (scientific) {
      RoundDigits(digits, pointPos, std::max(intCount + fracCount, 1));
      shown.exponent = pointPos - intCount;
      pointPos = intCount;
    } else {
      RoundDigits(digits, pointPos, pointPos + fracCount);
    }
  }
  for (int i = 0; i < pointPos; ++i) shown.integer += DigitAt(digits, i);
  for (int i = 0; i < fracCount; ++i) shown.fraction += DigitAt(digits, pointPos + i);
  const size_t firstSignificant = shown.integer.find_first_not_of('0');
  shown.integer.erase(0, std::min(firstSignificant, shown.integer.size()));
  const int minInt = MinimumDigits(slots.integer);
  if (static_cast<int>(shown.integer.size()) < minInt) {
    shown.integer.insert(0, minInt - shown.integer.size(), '0');
  }
  shown.fractionShown = fracCount;
  while (shown.fractionShown > 0 && slots.fraction[shown.fractionShown - 1] == '#' &&
         shown.fraction[shown.fractionShown - 1] == '0') {
    --shown.fractionShown;
  }
  return shown;
}

}  // namespace

// Rounds |value| to the section's placeholders, then walks the section: integer
// digits fill their placeholders right-aligned with any surplus in the first,
// fraction digits fill theirs left to right, literal text stays in place.
std::string RenderNumberSection(const std::vector<FormatUnit>& units, double value, bool showSign) {
  const NumberLayout layout = ReadNumberLayout(units);
  const Slots slots = ReadSlots(layout);
  const bool scientific = !slots.exponent.empty();
  const double x =
      std::fabs(value) * std::pow(100.0, layout.percent) / std::pow(1000.0, layout.scale);
  const ShownDigits shown = RoundToSlots(x, slots, scientific);
  const bool nonZero = (shown.integer + shown.fraction).find_first_not_of('0') != std::string::npos;

  std::string out = showSign && value < 0 && nonZero ? "-" : "";
  const std::string& intDigits = shown.integer;
  const int length = static_cast<int>(intDigits.size());
  const int intCount = static_cast<int>(slots.integer.size());
  auto emitInteger = [&](int from, int to) {  // digits [from, to) of intDigits
    for (int j = from; j < to; ++j) {
      if (layout.thousands && j > 0 && (length - j) % 3 == 0) out += ',';
      out += intDigits[j];
    }
  };
  bool integerDone = intCount > 0;
  int slot = 0, fracIndex = 0;
  bool exponentDone = false;
  int part = 0;  // 0 integer, 1 fraction, 2 exponent
  for (const NumberItem& item : layout.items) {
    // Without integer placeholders the integer digits go before the point.
    if (!integerDone && item.kind != NumberKind::Text) {
      emitInteger(0, length);
      integerDone = true;
    }
    switch (item.kind) {
      case NumberKind::Text:
        out += item.text;
        break;
      case NumberKind::Point:
        part = 1;
        out += '.';
        break;
      case NumberKind::Exponent:
        part = 2;
        out += item.c;
        if (shown.exponent < 0) {
          out += '-';
        } else if (item.text == "+") {
          out += '+';
        }
        break;
      case NumberKind::Digit:
        if (part == 0) {
          const int index = length - (intCount - slot);  // this slot's digit in intDigits
          emitInteger(slot == 0 ? 0 : std::max(index, 0), std::max(index + 1, 0));
          ++slot;
        } else if (part == 1) {
          if (fracIndex < shown.fractionShown) out += shown.fraction[fracIndex];
          ++fracIndex;
        } else if (!exponentDone) {
          std::string text = std::to_string(std::abs(shown.exponent));
          const int minExp = MinimumDigits(slots.exponent);
          if (static_cast<int>(text.size()) < minExp) text.insert(0, minExp - text.size(), '0');
          out += text;
          exponentDone = true;
        }
        break;
    }
  }
  if (!integerDone) emitInteger(0, length);
  return out;
}

}  // namespace ztBasicSet
