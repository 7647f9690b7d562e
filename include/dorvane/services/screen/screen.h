// The headless forms toolkit in one include: controls and control arrays, the
// form and the user control, the dispatcher (focus, keys, clicks, modal forms)
// and the Desktop that stands for the platform. See each header for details.
#pragma once

#include "services/screen/container.h"
#include "services/screen/control.h"
#include "services/screen/controls.h"
#include "services/screen/desktop.h"
#include "services/screen/dispatcher.h"
#include "services/screen/form.h"
#include "services/screen/host_screen.h"
#include "services/screen/keys.h"
