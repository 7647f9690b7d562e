// dorvane-link-proxy --server-port P [--delay-ms D]: the link proxy as a
// program, so that a shell can put a slow link between a program and a
// PostgreSQL server on this machine. Prints the port it listens on
// (127.0.0.1) and passes connections on until it is stopped (SIGINT or
// SIGTERM); the requests it passed are printed then.
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <thread>

#include "tools/link-proxy/link_proxy.h"

namespace {

volatile sig_atomic_t stopped = 0;

void Stop(int) { stopped = 1; }

constexpr const char* kUsage =
    "usage: dorvane-link-proxy --server-port P [--delay-ms D]\n"
    "Listens on a free port of 127.0.0.1, prints it, and passes every connection on\n"
    "to the PostgreSQL server at 127.0.0.1:P until stopped (Ctrl+C or SIGTERM).\n"
    "  --server-port P  the server's port (on 127.0.0.1)\n"
    "  --delay-ms D     delays what passes by D ms in each direction, so every\n"
    "                   round trip takes 2*D ms more (default 0)\n"
    "  --help           prints this text\n";

// The whole number `text` within [low, high], or -1.
long Number(const char* text, long low, long high) {
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  return end != text && *end == '\0' && value >= low && value <= high ? value : -1;
}

}  // namespace

int main(int argc, char** argv) {
  long serverPort = -1, delayMs = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    const bool known = arg == "--server-port" || arg == "--delay-ms";
    const long value = known && i + 1 < argc ? Number(argv[++i], 0, 65535) : -1;
    if (value < 0 || (arg == "--server-port" && value == 0)) {
      std::fprintf(stderr, "dorvane-link-proxy: bad argument %s\n%s", arg.c_str(), kUsage);
      return 2;
    }
    (arg == "--server-port" ? serverPort : delayMs) = value;
  }
  if (serverPort < 0) {
    std::fprintf(stderr, "dorvane-link-proxy: --server-port is needed\n%s", kUsage);
    return 2;
  }
  signal(SIGINT, Stop);
  signal(SIGTERM, Stop);
  try {
    linkproxy::LinkProxy proxy(static_cast<int>(serverPort));
    proxy.SetDelay(std::chrono::milliseconds(delayMs));
    std::printf("%d\n", proxy.Port());
    std::fflush(stdout);
    while (stopped == 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::fprintf(stderr, "dorvane-link-proxy: %d connections, %d requests passed\n",
                 proxy.Accepted(), proxy.Requests());
  } catch (const std::exception& error) {
    std::fprintf(stderr, "dorvane-link-proxy: %s\n", error.what());
    return 1;
  }
  return 0;
}
