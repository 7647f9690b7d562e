// The per-thread action depth and stamp.
#include "services/base/user_action.h"

#include <atomic>

namespace base {
namespace {

thread_local uint64_t stamp = 1;
thread_local int depth = 0;
// The depth at which an ending action gives back what it borrowed: 0, or the
// depth of a paused action.
thread_local int floor = 0;
std::atomic<void (*)()> endHook{nullptr};

}  // namespace

UserAction::UserAction() {
  ++depth;
  ++stamp;
}

UserAction::~UserAction() {
  --depth;
  ++stamp;
  if (depth == floor) {
    if (void (*hook)() = endHook.load()) hook();
  }
}

ActionPause::ActionPause() : outerFloor_(floor) {
  floor = depth;
  if (void (*hook)() = endHook.load()) hook();
}

ActionPause::~ActionPause() { floor = outerFloor_; }

uint64_t ActionStamp() { return depth > 0 ? stamp : 0; }

void ActionWrote() { ++stamp; }

bool InUserAction() { return depth > 0; }

void SetActionEndHook(void (*hook)()) { endHook = hook; }

}  // namespace base
