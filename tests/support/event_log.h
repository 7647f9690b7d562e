// An event log for toolkit tests: every event a control receives written as
// one line, so a test can compare the order of events with what a user of the
// classic forms would see. Relies only on the toolkit's Control interface.
#pragma once

#include <string>
#include <vector>

#include "services/screen/screen.h"

namespace testsupport {

using Log = std::vector<std::string>;

// Which events a log holds: all of them, or all but KeyUp and a text box's
// Change (for tests that follow only where keys and the focus go).
enum class Logged { kEveryEvent, kWithoutKeyUpAndChange };

// Makes the events of `c` append "name.Event args" to `log` (which must
// outlive the control's handlers).
void Record(screen::Control& c, Log& log, Logged logged = Logged::kEveryEvent);

}  // namespace testsupport
