// LinkProxy: one thread polls the listening socket and both sockets of every
// connection; whole protocol messages are read from each side, counted and
// passed on (after the delay, when one is set).
#include "tools/link-proxy/link_proxy.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <deque>
#include <list>
#include <stdexcept>
#include <vector>

namespace linkproxy {
namespace {

using Clock = std::chrono::steady_clock;

// The codes of the untyped requests a client may send before its startup
// message; the server answers each with one byte.
constexpr uint32_t kSslRequest = 80877103, kGssRequest = 80877104;

uint32_t BigEndian32(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

// Writes all of `bytes`; false when the peer is gone.
bool SendAll(int socket, const std::string& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    ssize_t n = send(socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

struct Chunk {
  Clock::time_point due;
  std::string bytes;
};

// One client connection and the proxy's own connection to the server.
struct Pair {
  int client = -1;
  int server = -1;
  std::string fromClient, fromServer;  // bytes not yet read as whole messages
  std::string held;                    // messages held until their request ends
  bool startup = true;                 // the client's next message has no type byte
  int oneByteAnswers = 0;              // server answers to SSL or GSS requests still due
  bool swallowing = false;             // the answer of a cut request is being dropped
  bool cutAtReady = false;             // the connection is cut at the server's next "ready"
  bool closed = false;
  std::deque<Chunk> toServer, toClient;
};

}  // namespace

struct LinkProxy::State {
  std::list<Pair> pairs;
  int serverPort = 0;
};

LinkProxy::LinkProxy(int serverPort) : state_(std::make_unique<State>()) {
  state_->serverPort = serverPort;
  listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      listen(listener_, 64) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
      pipe2(wake_, O_CLOEXEC) != 0) {
    if (listener_ >= 0) close(listener_);
    throw std::runtime_error(std::string("link proxy: cannot listen: ") + std::strerror(errno));
  }
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Run(); });
}

LinkProxy::~LinkProxy() {
  stop_ = true;
  const char byte = 0;
  (void)!write(wake_[1], &byte, 1);
  thread_.join();
  for (Pair& pair : state_->pairs) {
    if (pair.client >= 0) close(pair.client);
    if (pair.server >= 0) close(pair.server);
  }
  close(listener_);
  close(wake_[0]);
  close(wake_[1]);
}

void LinkProxy::CutAt(int n, Cut how, std::function<void()> hook) {
  std::lock_guard<std::mutex> lock(hookMutex_);
  how_ = how;
  hook_ = std::move(hook);
  requests_ = 0;
  cutDone_ = false;
  silent_ = false;
  cutAt_ = n;
}

void LinkProxy::Run() {
  auto closePair = [](Pair& pair) {
    if (pair.closed) return;
    shutdown(pair.client, SHUT_RDWR);
    shutdown(pair.server, SHUT_RDWR);
    close(pair.client);
    close(pair.server);
    pair.client = pair.server = -1;
    pair.closed = true;
  };
  auto pass = [this](std::deque<Chunk>& queue, int socket, std::string bytes) {
    if (bytes.empty()) return true;
    const long long delay = delayUs_;
    if (delay == 0 && queue.empty()) return SendAll(socket, bytes);
    queue.push_back({Clock::now() + std::chrono::microseconds(delay), std::move(bytes)});
    return true;
  };

  // Whole client messages: held, counted, cut or passed on.
  auto fromClient = [&](Pair& pair) {
    std::string& in = pair.fromClient;
    for (;;) {
      if (silent_) return in.clear();
      const size_t header = pair.startup ? 4 : 5;
      if (in.size() < header) return;
      const size_t length = BigEndian32(in, header - 4) + (pair.startup ? 0 : 1);
      if (in.size() < length || length < header) return;
      std::string message = in.substr(0, length);
      in.erase(0, length);
      if (pair.startup) {
        const uint32_t code = message.size() >= 8 ? BigEndian32(message, 4) : 0;
        if (code == kSslRequest || code == kGssRequest) {
          ++pair.oneByteAnswers;
        } else {
          pair.startup = false;
        }
        if (!pass(pair.toServer, pair.server, message)) return closePair(pair);
        continue;
      }
      const char type = message[0];
      if (std::strchr("PBDEC", type) != nullptr) {  // parts of a batch that a sync ends
        pair.held += message;
        continue;
      }
      std::string out = std::move(pair.held) + message;
      pair.held.clear();
      if (type == 'Q' || type == 'S') {
        const int n = ++requests_;
        if (n == cutAt_ && !cutDone_) {
          std::lock_guard<std::mutex> lock(hookMutex_);
          cutDone_ = true;
          if (how_ == Cut::kBeforeRequest) return closePair(pair);
          if (how_ == Cut::kSilence) {
            silent_ = true;
            return in.clear();
          }
          if (how_ == Cut::kAnswerLost) pair.swallowing = true;
          if (how_ == Cut::kReadyLost) pair.cutAtReady = true;
          if (how_ == Cut::kTerminate && hook_) hook_();
        }
      }
      if (!pass(pair.toServer, pair.server, std::move(out))) return closePair(pair);
    }
  };

  // Whole server messages: passed on, or dropped up to the end of a cut answer.
  auto fromServer = [&](Pair& pair) {
    std::string& in = pair.fromServer;
    if (silent_) return in.clear();
    while (pair.oneByteAnswers > 0 && !in.empty()) {
      --pair.oneByteAnswers;
      std::string answer = in.substr(0, 1);
      in.erase(0, 1);
      if (!pass(pair.toClient, pair.client, answer)) return closePair(pair);
    }
    for (;;) {
      if (in.size() < 5) return;
      const size_t length = BigEndian32(in, 1) + 1;
      if (in.size() < length) return;
      std::string message = in.substr(0, length);
      in.erase(0, length);
      if (message[0] == 'Z' && (pair.swallowing || pair.cutAtReady)) return closePair(pair);
      if (pair.swallowing) continue;
      if (!pass(pair.toClient, pair.client, std::move(message))) return closePair(pair);
    }
  };

  auto readInto = [](int socket, std::string& into) {
    char buffer[65536];
    ssize_t n;
    do {
      n = recv(socket, buffer, sizeof buffer, 0);
    } while (n < 0 && errno == EINTR);
    if (n <= 0) return false;
    into.append(buffer, static_cast<size_t>(n));
    return true;
  };

  while (!stop_) {
    std::vector<pollfd> fds = {{listener_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    std::vector<Pair*> owners = {nullptr, nullptr};
    Clock::time_point next = Clock::now() + std::chrono::milliseconds(200);
    for (Pair& pair : state_->pairs) {
      fds.push_back({pair.client, POLLIN, 0});
      fds.push_back({pair.server, POLLIN, 0});
      owners.push_back(&pair);
      owners.push_back(&pair);
      if (!pair.toServer.empty()) next = std::min(next, pair.toServer.front().due);
      if (!pair.toClient.empty()) next = std::min(next, pair.toClient.front().due);
    }
    const auto wait =
        std::chrono::duration_cast<std::chrono::milliseconds>(next - Clock::now()).count();
    if (poll(fds.data(), fds.size(), static_cast<int>(std::max<long long>(0, wait))) < 0 &&
        errno != EINTR) {
      break;
    }
    if (down_) {
      for (Pair& pair : state_->pairs) closePair(pair);
    }
    if ((fds[0].revents & POLLIN) != 0) {
      const int client = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (client >= 0 && down_) {
        close(client);
      } else if (client >= 0) {
        const int server = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<uint16_t>(state_->serverPort));
        if (server >= 0 &&
            connect(server, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
          const int on = 1;
          setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
          setsockopt(server, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
          Pair pair;
          pair.client = client;
          pair.server = server;
          state_->pairs.push_back(std::move(pair));
          ++accepted_;
        } else {
          close(client);
          if (server >= 0) close(server);
        }
      }
    }
    for (size_t i = 2; i < fds.size(); ++i) {
      Pair& pair = *owners[i];
      if (down_) break;
      if (pair.closed || (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) == 0) continue;
      const bool client = (i % 2) == 0;
      if (!readInto(client ? pair.client : pair.server,
                    client ? pair.fromClient : pair.fromServer)) {
        closePair(pair);
        continue;
      }
      if (client) {
        fromClient(pair);
      } else {
        fromServer(pair);
      }
    }
    // Delayed bytes whose time has come.
    const Clock::time_point now = Clock::now();
    for (Pair& pair : state_->pairs) {
      for (auto* queue : {&pair.toServer, &pair.toClient}) {
        const int socket = queue == &pair.toServer ? pair.server : pair.client;
        while (!pair.closed && !queue->empty() && queue->front().due <= now) {
          if (!SendAll(socket, queue->front().bytes)) closePair(pair);
          if (!queue->empty()) queue->pop_front();
        }
      }
    }
    state_->pairs.remove_if([](const Pair& pair) { return pair.closed; });
  }
}

}  // namespace linkproxy
