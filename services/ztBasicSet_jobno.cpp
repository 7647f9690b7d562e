// ztBasicSet FormatJobNumber: brings a job number into the stored form used for
// every JOBNO comparison and write. Relies on the record store's Val for the
// numeric value of a numerical job number.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "services/recordstore/variant.h"
#include "services/ztBasicSet.h"

namespace ztBasicSet {

namespace {

// Width of the padding and of the "too large" marker.
constexpr int16_t kPad = 15;

// The 32-bit whole number nearest to v, a half going to the even neighbour;
// values beyond the 32-bit range take the nearest end of it.
int32_t NearestLong(double v) {
  const double rounded = std::nearbyint(v);  // default rounding mode: half to even
  if (rounded <= static_cast<double>(std::numeric_limits<int32_t>::min())) {
    return std::numeric_limits<int32_t>::min();
  }
  return static_cast<int32_t>(rounded);
}

// The first count characters of text (all of it when shorter).
std::string Left(const std::string& text, int count) { return text.substr(0, count); }

// Upper-cases the ASCII letters of text.
std::string ToCapitals(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

}  // namespace

// Follows the stored-form steps: trim, numeric conversion for type "N", right
// alignment in jobNoSize, capitals for type "C", optional left alignment.
std::string FormatJobNumber(const std::string& jobNo, const std::string& jobNoType,
                            int16_t jobNoSize, bool leftAlign) {
  // Step 2 (a width below 1 cannot hold a job number either).
  if (jobNoSize < 1) return "";

  // Step 1.
  std::string text = jobNo;
  int length = std::min<int>(TrimSpaces(text).size(), jobNoSize);

  // Step 3: a numerical job number is its whole-number value.
  if (jobNoType == "N") {
    const double value = recordstore::Val(text);
    if (value == 0) {
      text = RepeatText(" ", kPad);
    } else if (value < 99999999) {
      text = std::to_string(NearestLong(value));
    } else {
      text = RepeatText("?", kPad);
    }
    length = std::min<int>(TrimSpaces(text).size(), jobNoSize);
  }

  // Step 4: right-align; a longer job number keeps its first jobNoSize characters.
  std::string result = Left(RepeatText(" ", static_cast<int16_t>(jobNoSize - length)) +
                                TrimSpaces(text) + RepeatText(" ", kPad),
                            jobNoSize);

  // Step 5.
  if (jobNoType == "C") result = ToCapitals(result);

  // Step 6.
  if (leftAlign) result = Left(TrimSpaces(result) + RepeatText(" ", kPad), jobNoSize);
  return result;
}

}  // namespace ztBasicSet
