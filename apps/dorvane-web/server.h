// Server: dorvane-web's network side over Boost.Beast. It serves the
// element's files under /dorvane/ (from `www`), an optional site under /
// (from `site`), and the WebSocket endpoint /session, whose first frame is a
// hello (SessionTable) and whose later frames go to the session bound to it.
// Pages of other origins than the configured ones are refused before the
// upgrade (403); a frame over 8 KiB closes the socket with 1009; a socket
// that cannot keep up with its frames is closed (its session waits for a
// resume). TLS when a certificate and key are given. Threads: Run on as many
// threads as configured; Stop from any thread.
// Relies on Boost.Beast (and Asio, OpenSSL through it) and the session table.
#pragma once

#include <memory>
#include <string>

#include "apps/dorvane-web/session_table.h"
#include "apps/dorvane-web/web_config.h"

namespace dorvaneweb {

struct ServerOptions {
  Config config;
  std::string www;      // the element's folder, served under /dorvane/
  std::string site;     // a folder served under / (none when empty)
  std::string tlsCert;  // PEM certificate chain and key: TLS when both are given
  std::string tlsKey;
  int threads = 2;                    // threads that run the sockets
  SessionTable::Customize customize;  // each new session's body and desktop
};

class Server {
 public:
  explicit Server(ServerOptions options);
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // Binds the listen address; returns the port bound (the configuration's
  // port 0 takes a free one). Raises std::runtime_error when it cannot.
  unsigned short Listen();
  // Serves until Stop (or SIGINT/SIGTERM when `signals`).
  void Run(bool signals = true);
  // Ends every session and returns Run.
  void Stop();
  SessionTable& Sessions();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace dorvaneweb
