// The parts of the system that dorvane-script hosts: the control's factory
// and the search dialog's hook. They live apart from the script host library
// so that the library does not depend on the control.
#pragma once

#include "apps/dorvane-script/hosted_control.h"

namespace scripthost {

// Makes the control ztDorvane for the host.
HostedControlFactory DorvaneControlFactory();
// Opens the search dialog for `opensearch`; empty while the dialog is not
// part of the program.
OpenSearchHook DorvaneSearchHook();

}  // namespace scripthost
