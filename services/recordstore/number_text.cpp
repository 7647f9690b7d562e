// Number text: the strict reading of numeric text, the lenient classic Val, and
// the classic formatting of floating values. Relies only on the C++ library.
#include "services/recordstore/number_text.h"

#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "services/base/c_numbers.h"
#include "services/base/text_case.h"
#include "services/recordstore/variant.h"

namespace recordstore {
namespace {

// Blanks that Val skips and that may surround a number.
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Reads an &H or &O number from `text` at `pos` (just after the '&'). Four hex
// (six octal) digits or fewer give a 16-bit value, more a 32-bit value, each
// read as signed, as the classic forms do. Returns false when no digit follows.
bool ReadRadixNumber(std::string_view text, size_t& pos, bool skipBlanks, double& out) {
  if (pos >= text.size()) return false;
  char kind = base::UpperAscii(text[pos]);
  int radix = kind == 'H' ? 16 : kind == 'O' ? 8 : 0;
  if (radix == 0) return false;
  ++pos;
  uint64_t value = 0;
  int digits = 0;
  while (pos < text.size()) {
    char c = text[pos];
    if (skipBlanks && IsBlank(c)) {
      ++pos;
      continue;
    }
    int d = std::isdigit(static_cast<unsigned char>(c))    ? c - '0'
            : std::isxdigit(static_cast<unsigned char>(c)) ? base::UpperAscii(c) - 'A' + 10
                                                           : 99;
    if (d >= radix) break;
    value = value * radix + d;
    ++digits;
    ++pos;
    if (value > 0xFFFFFFFFull) return false;
  }
  if (digits == 0) return false;
  if (value <= 0xFFFF && digits <= (radix == 16 ? 4 : 6)) {
    out = static_cast<int16_t>(static_cast<uint16_t>(value));
  } else {
    out = static_cast<int32_t>(static_cast<uint32_t>(value));
  }
  return true;
}

// Scans a decimal number (sign, digits, one point, exponent E or D) from `pos`.
// With skipBlanks, blanks inside the number are ignored (the Val rule). Returns
// the number of mantissa digits read; `out` holds the value.
int ReadDecimal(std::string_view text, size_t& pos, bool skipBlanks, double& out) {
  std::string clean;
  auto skip = [&] {
    while (skipBlanks && pos < text.size() && IsBlank(text[pos])) ++pos;
  };
  skip();
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) clean += text[pos++];
  int digits = 0;
  bool point = false;
  for (skip(); pos < text.size(); skip()) {
    char c = text[pos];
    if (std::isdigit(static_cast<unsigned char>(c))) {
      clean += c;
      ++digits;
    } else if (c == '.' && !point) {
      clean += c;
      point = true;
    } else {
      break;
    }
    ++pos;
  }
  if (digits > 0 && pos < text.size() && std::strchr("EeDd", text[pos]) != nullptr) {
    size_t save = pos;
    std::string exponent = "e";
    ++pos;
    skip();
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) exponent += text[pos++];
    int expDigits = 0;
    for (skip(); pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos])); skip()) {
      exponent += text[pos++];
      ++expDigits;
    }
    if (expDigits > 0) {
      clean += exponent;
    } else {
      pos = save;  // "1E" alone: the exponent is not part of the number
    }
  }
  base::NumbersInC c;
  out = digits > 0 ? std::strtod(clean.c_str(), nullptr) : 0;
  return digits;
}

}  // namespace

std::optional<double> ParseNumberText(std::string_view text) {
  size_t pos = 0;
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  double value = 0;
  bool ok = false;
  if (pos < text.size() && text[pos] == '&') {
    ++pos;
    ok = ReadRadixNumber(text, pos, false, value);
  } else {
    ok = ReadDecimal(text, pos, false, value) > 0;
  }
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  if (!ok || pos != text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

double Val(std::string_view text) {
  size_t pos = 0;
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  double value = 0;
  if (pos < text.size() && text[pos] == '&') {
    ++pos;
    return ReadRadixNumber(text, pos, true, value) ? value : 0;
  }
  ReadDecimal(text, pos, true, value);
  return value;
}

std::string FormatNumber(double value, int digits) {
  if (value == 0) return "0";
  char buffer[64];
  base::NumbersInC c;
  std::snprintf(buffer, sizeof buffer, "%.*G", digits, value);
  std::string text = buffer;
  size_t e = text.find('E');
  std::string mantissa = text.substr(0, e);
  if (mantissa.find('.') != std::string::npos) {
    while (mantissa.back() == '0') mantissa.pop_back();
    if (mantissa.back() == '.') mantissa.pop_back();
  }
  if (e == std::string::npos) return mantissa;
  int exponent = std::atoi(text.c_str() + e + 1);
  std::snprintf(buffer, sizeof buffer, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
  return mantissa + buffer;
}

}  // namespace recordstore
