// The Turkish locale made current for one test: its case rules differ from
// ASCII's ("I" lowers to a dotless i, "i" uppers to a dotted I), so code that
// folds names through the C library's locale-dependent calls goes wrong under
// it. The locale is compiled once per process with localedef into a folder of
// its own (LOCPATH), so no system locale needs to be installed.
#pragma once

namespace testsupport {

class TurkishLocale {
 public:
  // Makes tr_TR.UTF-8 the locale of the process; throws when it cannot.
  TurkishLocale();
  // Returns to the "C" locale.
  ~TurkishLocale();
  TurkishLocale(const TurkishLocale&) = delete;
  TurkishLocale& operator=(const TurkishLocale&) = delete;
};

}  // namespace testsupport
