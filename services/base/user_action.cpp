// The per-thread action depth and stamp.
#include "services/base/user_action.h"

namespace base {
namespace {

thread_local uint64_t stamp = 1;
thread_local int depth = 0;

}  // namespace

UserAction::UserAction() {
  ++depth;
  ++stamp;
}

UserAction::~UserAction() {
  --depth;
  ++stamp;
}

uint64_t ActionStamp() { return depth > 0 ? stamp : 0; }

void ActionWrote() { ++stamp; }

}  // namespace base
