// Reading and writing numbers as text the classic way: the strict reading used
// when a text value is converted to a number (CInt, CDbl), and the formatting of
// Single, Double and Currency values as the classic CStr writes them. Val, the
// lenient reading, is declared in variant.h and defined beside these.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace recordstore {

// The numeric value of a text that is one number and nothing else (blanks
// around it allowed; sign, digits, decimal point, exponent, &H/&O forms).
// std::nullopt when the text is not a number.
std::optional<double> ParseNumberText(std::string_view text);

// A number written with at most `digits` significant digits, without trailing
// zeros, "E+XX" for large and small magnitudes (15 for Double, 7 for Single).
std::string FormatNumber(double value, int digits);

}  // namespace recordstore
