// The search dialog as the scripted host opens it for `opensearch`: the
// request goes to ztSearchMod's opener, and the chosen row is read back as a
// caller reads it. Relies on the hosted-control interface and the dialog.
#pragma once

#include "apps/dorvane-script/hosted_control.h"

namespace scripthost {

// Opens the dialog modally with the request and returns the chosen row's
// fields named in the request's field list, or "nothing chosen".
SearchOutcome OpenHostedSearch(const ztSearchMod::SearchRequest& request);

}  // namespace scripthost
