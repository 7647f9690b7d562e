// WebClient: a protocol client of dorvane-web over a loopback socket, for the
// socket tests and the benchmark (a browser's side without a browser): it
// opens /session with an Origin, sends JSON frames, reads them with a time
// limit and tells the close code the server gave. Not thread safe: one
// thread drives one client. ServerProcess: the dorvane-web program those
// clients talk to, run as a child process. Relies on Boost.Beast and
// nlohmann-json.
#pragma once

#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace dorvaneweb {

class WebClient {
 public:
  // Connects to 127.0.0.1:port and opens /session; origin "" sends none.
  // Raises std::runtime_error when the upgrade is refused, with the status.
  explicit WebClient(unsigned short port, const std::string& origin = "");
  ~WebClient();
  WebClient(const WebClient&) = delete;
  WebClient& operator=(const WebClient&) = delete;

  void Send(const nlohmann::json& message);
  void SendText(const std::string& frame);
  // The next frame within timeoutMs, or nothing (a time-out, or the socket
  // closed: see Closed). A frame that is not JSON reads as a null.
  std::optional<nlohmann::json> Read(int timeoutMs);
  // Frames until one of `type` (or an ack of n when type is "ack" and n >
  // 0) within timeoutMs; the frames passed over are appended to `passed`.
  std::optional<nlohmann::json> ReadUntil(const std::string& type, int timeoutMs, int64_t n = 0,
                                          std::vector<nlohmann::json>* passed = nullptr);
  bool Closed() const;
  // The highest seq read so far (for `seen`).
  int64_t LastSeq() const;
  // The close code the server sent (0 while open or when none came).
  int CloseCode() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// dorvane-web started as a child process with `--config CONFIG --www WWW`;
// the port it listens on comes from the first line it prints (0 when none
// came within 30 seconds). Stopped with SIGTERM when destroyed.
class ServerProcess {
 public:
  ServerProcess(const std::string& program, const std::string& config, const std::string& www);
  ~ServerProcess();
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  unsigned short Port() const { return port_; }
  int Pid() const { return pid_; }

 private:
  int pid_ = -1;
  unsigned short port_ = 0;
};

// The status of an HTTP GET of `target` on 127.0.0.1:port, and the body.
std::pair<int, std::string> HttpGet(unsigned short port, const std::string& target);

}  // namespace dorvaneweb
