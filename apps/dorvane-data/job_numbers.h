// Job numbers of the sample data: a scheme that gives each company enough
// different numbers for its jobs within the stored width, the numbers
// themselves, and their stored form (exactly SIZE characters, right-aligned
// with leading spaces; decimal for type N, capitals for type C). Relies on
// random.h only.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "random.h"

namespace dorvanedata {

// How the job numbers of one size and type are written. Type N numbers are
// 1..capacity in decimal; type C numbers are `letters` capitals followed by
// `digits` digits ("HP104"), capacity being the number of such codes.
struct JobNumberScheme {
  int size = 8;
  char type = 'C';
  int letters = 0;
  int digits = 0;
  uint64_t capacity = 0;
};

// Returns the scheme that gives at least `count` different job numbers of the
// given size and type, preferring short codes that look like real ones, or
// nothing when the width cannot hold that many.
std::optional<JobNumberScheme> ChooseScheme(int size, char type, uint64_t count);

// Returns the largest count ChooseScheme accepts for a size and type.
uint64_t LargestCount(int size, char type);

// The job numbers of one company: `count` different numbers, handed out one at
// a time in ascending order of their stored form, as written before padding
// ("HP104", "1042").
class JobNumberRun {
 public:
  JobNumberRun(const JobNumberScheme& scheme, uint64_t count, Random& random);

  // Returns the next number of the run; at most `count` calls.
  std::string Next();

 private:
  JobNumberScheme scheme_;
  Random& random_;
  int64_t value_ = 0;   // run value of the last number handed out
  int64_t maxGap_ = 1;  // largest step between two numbers
  uint64_t left_ = 0;   // numbers still to hand out
};

// Returns the stored form of a job number: right-aligned in `size` characters.
std::string StoredJobNumber(const std::string& jobNumber, int size);

}  // namespace dorvanedata
