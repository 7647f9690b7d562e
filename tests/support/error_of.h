// The run-time error an action raises, for tests that expect one: its number
// (0 when none was raised) and its description.
#pragma once

#include <string>

#include "services/base/runtime_error.h"

namespace testsupport {

// Runs `action` and returns the number of the RuntimeError it raised (0 if
// none); `description` receives the error's description.
template <typename F>
int ErrorOf(F action, std::string* description = nullptr) {
  try {
    action();
  } catch (const base::RuntimeError& e) {
    if (description != nullptr) *description = e.Description();
    return e.Number();
  }
  return 0;
}

}  // namespace testsupport
