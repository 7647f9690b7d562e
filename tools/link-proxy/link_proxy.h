// LinkProxy: a TCP proxy on the loopback interface between PostgreSQL clients
// and a server, for tests and benchmarks that need the link itself to fail or
// to be slow. It reads the frontend protocol well enough to count requests (a
// simple query, or a sync that closes an extended-protocol batch), so a test
// can cut the connection that carries the N-th request: before the request
// reaches the server; after the server has answered it in full, the answer
// never delivered (a client cannot know what the server did); after the
// answer but before the server's "ready" that closes it; or after a hook has
// ended the server's sessions; or it can fall silent, like a server that
// accepts and never answers.
// A delay can be set for each direction, for a link of a given round trip.
// Only loopback addresses are listened on and connected to.
// Relies on POSIX sockets and one thread of its own.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace linkproxy {

class LinkProxy {
 public:
  enum class Cut {
    kBeforeRequest,  // the request is dropped and the connections closed
    kAnswerLost,     // the server runs the request; its answer is dropped
    kReadyLost,      // the answer goes through, but not the "ready" that ends it
    kTerminate,      // the hook runs (ending the server's session), then the request goes on
    kSilence,        // from this request on nothing passes either way, and nothing closes
  };

  // Listens on 127.0.0.1 at a free port and forwards each connection to
  // 127.0.0.1:`serverPort`. Throws std::runtime_error when it cannot.
  explicit LinkProxy(int serverPort);
  ~LinkProxy();
  LinkProxy(const LinkProxy&) = delete;
  LinkProxy& operator=(const LinkProxy&) = delete;

  int Port() const { return port_; }
  // Counts requests from zero again and cuts at the `n`-th (1-based; 0 only
  // counts). With kTerminate, `hook` runs on the proxy's thread just before
  // the request is passed on.
  void CutAt(int n, Cut how, std::function<void()> hook = {});
  // Passes nothing more either way from now on, closing nothing (CutAt ends it).
  void FallSilent() { silent_ = true; }
  // While down, every connection is dropped at once, like a server that is
  // not running.
  void SetDown(bool down) { down_ = down; }
  // Requests seen since the last CutAt.
  int Requests() const { return requests_; }
  // True once the armed cut has happened.
  bool CutDone() const { return cutDone_; }
  // Delays everything passed on by `oneWay` in each direction.
  void SetDelay(std::chrono::microseconds oneWay) { delayUs_ = oneWay.count(); }
  // Connections accepted since the proxy started.
  int Accepted() const { return accepted_; }

 private:
  struct State;
  void Run();

  int port_ = 0;
  int listener_ = -1;
  int wake_[2] = {-1, -1};
  std::atomic<int> requests_{0};
  std::atomic<int> cutAt_{0};
  std::atomic<bool> cutDone_{false};
  std::atomic<bool> silent_{false};
  std::atomic<bool> down_{false};
  std::atomic<int> accepted_{0};
  std::atomic<long long> delayUs_{0};
  std::mutex hookMutex_;
  Cut how_ = Cut::kBeforeRequest;
  std::function<void()> hook_;
  std::atomic<bool> stop_{false};
  std::unique_ptr<State> state_;
  std::thread thread_;
};

}  // namespace linkproxy
