// The C library's number conversions (strtod, printf's %g and %e) follow the
// LC_NUMERIC locale of the process, which a host may set to one with a decimal
// comma (a Qt application takes the user's). The store's texts and a server's
// always write a point, so every such conversion runs under NumbersInC.
// Threads: the switch covers the thread that makes it, for its lifetime.
// Relies on POSIX uselocale.
#pragma once

#include <locale.h>

namespace base {

class NumbersInC {
 public:
  NumbersInC();
  ~NumbersInC();
  NumbersInC(const NumbersInC&) = delete;
  NumbersInC& operator=(const NumbersInC&) = delete;

 private:
  locale_t previous_;
};

}  // namespace base
