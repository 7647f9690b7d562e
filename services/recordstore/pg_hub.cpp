// SessionHub: pools of sessions by URI under one lock, a thread that closes
// sessions left idle too long, and the sessions threads hold for an action.
#include "services/recordstore/pg_hub.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "services/base/user_action.h"

namespace recordstore {
namespace {

using Clock = std::chrono::steady_clock;

// True when libpq's reason says the server has no connection slot free.
bool ServerFull(const std::string& reason) {
  return reason.find("too many clients") != std::string::npos ||
         reason.find("connection slots") != std::string::npos;
}

// The sessions this thread holds for its user action, by URI.
thread_local std::map<std::string, std::unique_ptr<PgSession>> actionSessions;

// Gives this thread's action sessions back when its outermost action ends.
void ReturnActionSessions() {
  for (auto& [uri, session] : actionSessions) {
    if (session) SessionHub::Instance().Return(uri, std::move(session));
  }
  actionSessions.clear();
}

}  // namespace

struct SessionHub::State {
  struct Idle {
    std::unique_ptr<PgSession> session;
    Clock::time_point since;
  };
  struct Pool {
    std::vector<Idle> idle;
    int open = 0;  // lent and idle
  };
  std::mutex mutex;
  std::condition_variable returned;
  std::map<std::string, Pool> pools;
  int maxSessions = 16;
  int idleSeconds = 30;
  bool closerStarted = false;
};

SessionHub::SessionHub() : state_(std::make_unique<State>()) {}

SessionHub& SessionHub::Instance() {
  // Never destroyed: the closing thread may outlive static destruction; idle
  // sessions are closed at exit instead.
  static SessionHub* hub = [] {
    auto* made = new SessionHub();
    base::SetActionEndHook(&ReturnActionSessions);
    std::atexit([] {
      State& state = *Instance().state_;
      std::lock_guard<std::mutex> lock(state.mutex);
      for (auto& [uri, pool] : state.pools) pool.idle.clear();
    });
    return made;
  }();
  return *hub;
}

void SessionHub::SetLimits(int maxSessions, int idleSeconds) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->maxSessions = std::max(1, maxSessions);
  state_->idleSeconds = std::max(0, idleSeconds);
}

std::unique_ptr<PgSession> SessionHub::Borrow(const std::string& uri, int waitMs,
                                              const Failure& unreachable, const Failure& busy) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(waitMs);
  std::unique_lock<std::mutex> lock(state_->mutex);
  for (;;) {
    State::Pool& pool = state_->pools[uri];
    while (!pool.idle.empty()) {
      std::unique_ptr<PgSession> session = std::move(pool.idle.back().session);
      pool.idle.pop_back();
      if (session->link.Ok() && PQtransactionStatus(session->Conn()) == PQTRANS_IDLE) {
        return session;
      }
      --pool.open;
    }
    if (pool.open < state_->maxSessions) {
      ++pool.open;
      lock.unlock();
      auto session = std::make_unique<PgSession>(uri);
      if (session->link.Ok()) return session;
      const std::string reason = session->link.ErrorText();
      session.reset();
      lock.lock();
      --state_->pools[uri].open;
      state_->returned.notify_one();
      if (!ServerFull(reason)) throw unreachable(reason);
      // Another program holds the server's last slot: ask again in a moment.
      if (Clock::now() >= deadline) throw busy(reason);
      state_->returned.wait_for(lock, std::chrono::milliseconds(100));
      continue;
    }
    if (state_->returned.wait_until(lock, deadline) == std::cv_status::timeout &&
        Clock::now() >= deadline) {
      const State::Pool& full = state_->pools[uri];
      if (full.idle.empty() && full.open >= state_->maxSessions) {
        throw busy("all " + std::to_string(state_->maxSessions) +
                   " connections of this program are in use");
      }
    }
  }
}

void SessionHub::Return(const std::string& uri, std::unique_ptr<PgSession> session) {
  if (!session) return;
  std::unique_ptr<PgSession> closing;  // closed after the lock is let go
  {
    std::lock_guard<std::mutex> lock(state_->mutex);
    State::Pool& pool = state_->pools[uri];
    if (session->link.Ok() && PQtransactionStatus(session->Conn()) == PQTRANS_IDLE &&
        pool.open <= state_->maxSessions && state_->idleSeconds > 0) {
      pool.idle.push_back({std::move(session), Clock::now()});
    } else {
      --pool.open;
      closing = std::move(session);
    }
    if (!state_->closerStarted) {
      state_->closerStarted = true;
      std::thread([this] { CloseIdle(); }).detach();
    }
  }
  state_->returned.notify_one();
}

void SessionHub::Forget(const std::string& uri, std::unique_ptr<PgSession> session) {
  std::vector<State::Idle> closing;
  {
    std::lock_guard<std::mutex> lock(state_->mutex);
    State::Pool& pool = state_->pools[uri];
    if (session) --pool.open;
    pool.open -= static_cast<int>(pool.idle.size());
    closing.swap(pool.idle);
  }
  session.reset();
  state_->returned.notify_all();
}

int SessionHub::OpenSessions(const std::string& uri) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  auto found = state_->pools.find(uri);
  return found == state_->pools.end() ? 0 : found->second.open;
}

void SessionHub::CloseIdle() {
  for (;;) {
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    std::vector<std::unique_ptr<PgSession>> closing;
    {
      std::lock_guard<std::mutex> lock(state_->mutex);
      const Clock::time_point oldest = Clock::now() - std::chrono::seconds(state_->idleSeconds);
      for (auto& [uri, pool] : state_->pools) {
        for (size_t i = 0; i < pool.idle.size();) {
          if (pool.idle[i].since > oldest) {
            ++i;
            continue;
          }
          closing.push_back(std::move(pool.idle[i].session));
          pool.idle.erase(pool.idle.begin() + static_cast<long>(i));
          --pool.open;
        }
      }
    }
    if (!closing.empty()) state_->returned.notify_all();
  }
}

std::unique_ptr<PgSession>& ActionSession(const std::string& uri) {
  SessionHub::Instance();  // the hook that gives it back is set with the hub
  return actionSessions[uri];
}

}  // namespace recordstore
