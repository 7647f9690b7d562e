// The per-thread action depth and stamp. Stamps come from one counter of the
// process, so that a server session lent from one thread to another never
// finds the other's rows under an equal stamp.
#include "services/base/user_action.h"

#include <atomic>

namespace base {
namespace {

std::atomic<uint64_t> lastStamp{1};
thread_local uint64_t stamp = 1;
thread_local int depth = 0;
// The depth at which an ending action gives back what it borrowed: 0, or the
// depth of a paused action.
thread_local int pauseDepth = 0;

void NewStamp() { stamp = ++lastStamp; }
std::atomic<void (*)()> endHook{nullptr};

}  // namespace

UserAction::UserAction() {
  ++depth;
  NewStamp();
}

UserAction::~UserAction() {
  --depth;
  NewStamp();
  if (depth == pauseDepth) {
    if (void (*hook)() = endHook.load()) hook();
  }
}

ActionPause::ActionPause() : outerPauseDepth_(pauseDepth) {
  pauseDepth = depth;
  if (void (*hook)() = endHook.load()) hook();
}

ActionPause::~ActionPause() { pauseDepth = outerPauseDepth_; }

uint64_t ActionStamp() { return depth > 0 ? stamp : 0; }

void ActionWrote() { NewStamp(); }

bool InUserAction() { return depth > 0; }

void SetActionEndHook(void (*hook)()) { endHook = hook; }

}  // namespace base
