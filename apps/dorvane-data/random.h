// A small random number generator of a fixed algorithm (SplitMix64), so that a
// given --seed yields the same data with every compiler and library: the
// standard distributions are not the same across implementations.
#pragma once

#include <cassert>
#include <cstdint>

namespace dorvanedata {

class Random {
 public:
  // Starts a stream from a seed and a stream number, so that each table draws
  // from its own stream and changing one table's size leaves the others alone.
  Random(uint64_t seed, uint64_t stream) : state_(seed ^ (stream * 0xD1B54A32D192ED03ULL)) {
    Next();
  }

  // Returns the next 64 random bits.
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }

  // Returns a number in 0..count-1 (count > 0).
  uint64_t Below(uint64_t count) {
    assert(count > 0);
    return static_cast<uint64_t>((static_cast<unsigned __int128>(Next()) * count) >> 64);
  }

  // Returns a number in low..high (low <= high).
  int64_t Between(int64_t low, int64_t high) {
    assert(low <= high);
    return low + static_cast<int64_t>(Below(static_cast<uint64_t>(high - low) + 1));
  }

 private:
  uint64_t state_;
};

}  // namespace dorvanedata
