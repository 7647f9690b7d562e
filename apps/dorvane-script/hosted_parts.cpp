// The control and the search dialog as dorvane-script hosts them.
#include "apps/dorvane-script/hosted_parts.h"

#include "apps/dorvane-script/hosted_search.h"
#include "apps/dorvane-script/hosted_ztdorvane.h"

namespace scripthost {

HostedControlFactory DorvaneControlFactory() { return NewHostedDorvane; }

OpenSearchHook DorvaneSearchHook() { return OpenHostedSearch; }

}  // namespace scripthost
