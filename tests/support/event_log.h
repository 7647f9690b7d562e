// An event log for toolkit tests: every event a control receives written as
// one line, so a test can compare the order of events with what a user of the
// classic forms would see. Relies only on the toolkit's Control interface.
#pragma once

#include <string>
#include <vector>

#include "services/screen/screen.h"

namespace testsupport {

using Log = std::vector<std::string>;

// Makes every event of `c` append "name.Event args" to `log` (which must
// outlive the control's handlers).
void Record(screen::Control& c, Log& log);

}  // namespace testsupport
