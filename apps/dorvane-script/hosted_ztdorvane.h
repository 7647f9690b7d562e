// The control ztDorvane as a host drives it: its surface and its properties
// by name, for the scripted host (and any host that replays scripts).
// Relies on the control and the hosted-control interface.
#pragma once

#include <memory>

#include "apps/dorvane-script/hosted_control.h"

namespace scripthost {

// A fresh ztDorvane (its Initialize has run) behind the HostedControl interface.
std::unique_ptr<HostedControl> NewHostedDorvane();

}  // namespace scripthost
