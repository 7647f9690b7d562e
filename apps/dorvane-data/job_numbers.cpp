// Job number generation. A company's numbers are an increasing run with small
// random gaps (as numbers are issued in practice), mapped to text so that the
// text order is the run's order: type C codes of one company all have the same
// length, and right-aligned decimal numbers sort as numbers.
#include "job_numbers.h"

#include <algorithm>
#include <array>
#include <cassert>

namespace dorvanedata {
namespace {

// Returns base raised to a small power.
uint64_t Power(uint64_t base, int exponent) {
  uint64_t result = 1;
  for (int i = 0; i < exponent; ++i) result *= base;
  return result;
}

// Returns the largest type N number of a width: the value must stay below
// 99999999, the first value that job-number formatting turns into "?" marks.
uint64_t NumericCapacity(int size) { return std::min<uint64_t>(Power(10, size) - 1, 99999998); }

// Writes run value k as a type C code: letters in base 26, then zero-padded digits.
std::string CharacterCode(const JobNumberScheme& scheme, uint64_t k) {
  const uint64_t digitSpace = Power(10, scheme.digits);
  std::string code(static_cast<size_t>(scheme.letters + scheme.digits), '0');
  uint64_t letterPart = k / digitSpace;
  uint64_t digitPart = k % digitSpace;
  for (int i = scheme.letters + scheme.digits - 1; i >= scheme.letters; --i) {
    code[static_cast<size_t>(i)] = static_cast<char>('0' + digitPart % 10);
    digitPart /= 10;
  }
  for (int i = scheme.letters - 1; i >= 0; --i) {
    code[static_cast<size_t>(i)] = static_cast<char>('A' + letterPart % 26);
    letterPart /= 26;
  }
  assert(letterPart == 0);
  return code;
}

}  // namespace

std::optional<JobNumberScheme> ChooseScheme(int size, char type, uint64_t count) {
  assert(size >= 1 && size <= 8 && (type == 'C' || type == 'N'));
  if (type == 'N') {
    const uint64_t capacity = NumericCapacity(size);
    if (count > capacity) return std::nullopt;
    return JobNumberScheme{size, type, 0, 0, capacity};
  }
  // Two letters and three digits look most like real codes; fall back to
  // other mixes, then to more digits, until the count fits.
  constexpr std::array<int, 8> kLetterChoices = {2, 1, 3, 4, 5, 6, 7, 8};
  for (int letters : kLetterChoices) {
    if (letters > size) continue;
    for (int digits = std::min(3, size - letters); digits <= size - letters; ++digits) {
      const uint64_t capacity = Power(26, letters) * Power(10, digits);
      if (capacity >= count) return JobNumberScheme{size, type, letters, digits, capacity};
    }
  }
  return std::nullopt;
}

uint64_t LargestCount(int size, char type) {
  if (type == 'N') return NumericCapacity(size);
  uint64_t largest = 0;
  for (int letters = 1; letters <= size; ++letters) {
    largest = std::max(largest, Power(26, letters) * Power(10, size - letters));
  }
  return largest;
}

JobNumberRun::JobNumberRun(const JobNumberScheme& scheme, uint64_t count, Random& random)
    : scheme_(scheme), random_(random), left_(count) {
  assert(count <= scheme.capacity);
  if (count == 0) return;
  // Run values lie in first..last; gaps of 1..maxGap keep count values within it.
  const int64_t first = scheme.type == 'N' ? 1 : 0;
  const int64_t last = static_cast<int64_t>(scheme.capacity) - 1 + first;
  maxGap_ = static_cast<int64_t>(std::min<uint64_t>(9, scheme.capacity / count));
  int64_t highestStart = last - static_cast<int64_t>(count) * maxGap_;
  // Numerical jobs start low (a few thousand at most), as a firm's first jobs would.
  if (scheme.type == 'N') highestStart = std::min<int64_t>(highestStart, 20000);
  value_ = random.Between(first - 1, highestStart);
}

std::string JobNumberRun::Next() {
  assert(left_ > 0);
  --left_;
  value_ += random_.Between(1, maxGap_);
  assert(value_ >= 0 && static_cast<uint64_t>(value_) <= scheme_.capacity);
  return scheme_.type == 'N' ? std::to_string(value_)
                             : CharacterCode(scheme_, static_cast<uint64_t>(value_));
}

std::string StoredJobNumber(const std::string& jobNumber, int size) {
  assert(jobNumber.size() <= static_cast<size_t>(size));
  return std::string(static_cast<size_t>(size) - jobNumber.size(), ' ') + jobNumber;
}

}  // namespace dorvanedata
