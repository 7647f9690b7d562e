// A locale other than "C" made current for one test, as a host may set one
// (Qt sets the user's): tr_TR's case rules differ from ASCII's ("I" lowers to
// a dotless i), de_DE writes and reads numbers with a decimal comma. The
// locale is compiled once per process with localedef into a folder of its own
// (LOCPATH), so no system locale needs to be installed.
#pragma once

#include <string>

namespace testsupport {

class ForeignLocale {
 public:
  // Makes NAME.UTF-8 (e.g. "tr_TR") the locale of the process; throws when it
  // cannot.
  explicit ForeignLocale(const std::string& name);
  // Returns to the "C" locale.
  ~ForeignLocale();
  ForeignLocale(const ForeignLocale&) = delete;
  ForeignLocale& operator=(const ForeignLocale&) = delete;
};

}  // namespace testsupport
