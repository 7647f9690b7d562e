// UserAction: one action of the user (a key, a click, a property set by the
// host), as the screen's dispatcher and the host calls see it. While one is
// under way, a recordset on a database server may answer a move from rows it
// read earlier in the same action, so that a page of rows costs one request
// instead of one per row: within an action the table is seen as it was when
// those rows were read. Outside any action every move reads the table as it
// is now. The stamp changes when an action begins or ends (nested actions
// too: a modal dialog's keys inside a click) and whenever this thread writes
// to a server.
// Threads: the stamp is per thread, drawn from one counter of the process (no
// two threads hold the same one); an action covers the thread that made it.
// Relies on nothing.
#pragma once

#include <cstdint>

namespace base {

class UserAction {
 public:
  UserAction();
  ~UserAction();
  UserAction(const UserAction&) = delete;
  UserAction& operator=(const UserAction&) = delete;
};

// ActionPause: the thread's action waits for its user (a modal form's loop, a
// message box). What the action borrowed is given back now, and again after
// each action nested in the wait, as when an outermost action ends, so that a
// dialog left open holds no server session. Rows read before still stand.
class ActionPause {
 public:
  ActionPause();
  ~ActionPause();
  ActionPause(const ActionPause&) = delete;
  ActionPause& operator=(const ActionPause&) = delete;

 private:
  int outerPauseDepth_;
};

// The current action's stamp, or 0 outside any action.
uint64_t ActionStamp();
// This thread wrote to a server, or began or ended a transaction there: rows
// read before no longer stand for the table.
void ActionWrote();
// True while an action is under way on this thread.
bool InUserAction();
// Sets the one routine run on a thread whenever its outermost action ends or
// pauses (the record store gives back the server sessions the action
// borrowed).
void SetActionEndHook(void (*hook)());

}  // namespace base
