// bench_web: the control served by dorvane-web to protocol clients on
// loopback, at a million jobs. Prints its own tables:
//  - key to patch: the time from a key sent to its ack (which follows the
//    patch), p50 and p95, beside the same keys pressed on the toolkit
//    directly (PressKey on a screen of the benchmark's own, no web layer);
//  - memory per session: the server's resident size with N sessions open
//    (each showing the list), over N;
//  - sessions held: 200 sessions open, 50 of them typing 8 keys a second,
//    with the key-to-patch times under that load and the keys lost (a key
//    with no ack within 5 s).
// With DORVANE_BENCH_PG (make bench-web starts a throwaway server with
// max_connections 100) the sessions-held run is made again on a database of
// the server, once with one dorvane-web process and once with two sharing it.
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>
#include <vector>

#include "apps/dorvane-script/hosted_ztdorvane.h"
#include "apps/dorvane-web/ticket.h"
#include "apps/dorvane-web/web_client.h"
#include "bench/bench_support.h"
#include "services/screen/desktop.h"
#include "services/screen/dispatcher.h"
#include "services/screen/host_screen.h"
#include "services/screen/keys.h"

namespace {

using nlohmann::json;
using Clock = std::chrono::steady_clock;

constexpr int kLatencyKeys = 400;
constexpr int kSessions = 200;
constexpr int kTyping = 50;
constexpr int kTypingSeconds = 15;
constexpr double kKeysPerSecond = 8;

// The keys of the runs: Down through the working list, Home at its end.
int16_t KeyAt(int i) { return i % 10 == 9 ? screen::kKeyHome : screen::kKeyDown; }

double Percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[static_cast<size_t>(p * (values.size() - 1))];
}

// The same keys on the toolkit directly, in microseconds each.
std::vector<double> DirectKeys(const std::string& folder) {
  std::vector<double> times;
  std::thread([&] {
    screen::Screen window;
    screen::Screen::Use use(window);
    screen::HeadlessDesktop desktop;
    desktop.SetToday(45357);
    screen::SetThreadDesktop(&desktop);
    auto control = scripthost::NewHostedDorvane();
    window.Place(control->Surface());
    window.Focus(control->Surface());
    control->Let("PathText", recordstore::Variant::String(folder));
    for (int i = 0; i < kLatencyKeys; ++i) {
      const auto start = Clock::now();
      screen::PressKey(KeyAt(i), 0);
      times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    window.Reset();
    control.reset();
    screen::SetThreadDesktop(nullptr);
  }).join();
  return times;
}

// Writes the benchmark's configuration of dorvane-web with the sources given
// into `folder`; its path.
std::string Configure(const std::string& folder, const json& sources) {
  const std::string config = folder + "/config.json";
  std::ofstream(config) << json{{"listen", "127.0.0.1:0"},
                                {"secret", "the benchmark's secret text"},
                                {"sources", sources},
                                {"testMode", true},
                                {"limits",
                                 {{"sessions", 1000},
                                  {"sessionsPerUser", 1000},
                                  {"inputsPerSecond", 200},
                                  {"serverSessions", 40}}}};
  return config;
}

// A dorvane-web process on a free port with the sources given.
class WebProcess : public dorvaneweb::ServerProcess {
 public:
  WebProcess(const std::string& folder, const json& sources)
      : ServerProcess(bench::BuildProgram("dorvane-web").string(), Configure(folder, sources),
                      folder),
        port(Port()) {
    if (port == 0) {
      std::fprintf(stderr, "dorvane-web did not start\n");
      std::exit(1);
    }
  }
  // The resident size in KiB.
  long Resident() const {
    std::ifstream status("/proc/" + std::to_string(Pid()) + "/status");
    for (std::string line; std::getline(status, line);) {
      if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    }
    return 0;
  }
  const unsigned short port;
};

std::string MintFor(int i) {
  return dorvaneweb::MintTicket({"user" + std::to_string(i), {"big"}, std::time(nullptr) + 3600},
                                "the benchmark's secret text");
}

// A session showing the list: hello, snapshot, PathText.
struct Client {
  std::unique_ptr<dorvaneweb::WebClient> socket;
  int64_t n = 0;
  bool Open(unsigned short port, int i) {
    socket = std::make_unique<dorvaneweb::WebClient>(port);
    socket->Send({{"type", "hello"}, {"ticket", MintFor(i)}, {"today", "2024-03-06"}});
    if (!socket->ReadUntil("snapshot", 30000)) return false;
    socket->Send({{"type", "set"}, {"n", ++n}, {"property", "PathText"}, {"value", "big"}});
    auto result = socket->ReadUntil("result", 60000);
    Seen();
    return result && (*result)["ok"] == true;
  }
  // Sends a key and waits for its ack: microseconds, or -1 when none came.
  double Key(int16_t code) {
    const auto start = Clock::now();
    socket->Send({{"type", "key"}, {"n", ++n}, {"code", code}, {"shift", 0}});
    if (!socket->ReadUntil("ack", 5000, n)) return -1;
    const double time = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
    Seen();
    return time;
  }
  // What a browser says after drawing (the element does every 100 ms).
  void Seen() { socket->Send({{"type", "seen"}, {"seq", socket->LastSeq()}}); }
};

void PrintRow(const char* what, const std::vector<double>& times) {
  std::printf("%-46s %10.0f %10.0f %8zu\n", what, Percentile(times, 0.5), Percentile(times, 0.95),
              times.size());
}

// 200 sessions, 50 typing 8 keys a second on threads of their own; the
// ports take the sessions in turn (two processes on one database).
void SessionsHeld(const std::vector<unsigned short>& ports, const char* title,
                  const WebProcess* measured) {
  std::vector<Client> clients(kSessions);
  const long before = measured ? measured->Resident() : 0;
  int opened = 0;
  for (int i = 0; i < kSessions; ++i) opened += clients[i].Open(ports[i % ports.size()], 1000 + i);
  const long after = measured ? measured->Resident() : 0;
  std::vector<std::vector<double>> times(kTyping);
  std::atomic<int> lost{0};
  std::vector<std::thread> typists;
  for (int t = 0; t < kTyping; ++t) {
    typists.emplace_back([&, t] {
      const auto period = std::chrono::duration<double>(1 / kKeysPerSecond);
      auto next = Clock::now();
      for (int k = 0; k < kTypingSeconds * kKeysPerSecond; ++k) {
        const double time = clients[t].Key(KeyAt(k));
        time < 0 ? ++lost : (times[t].push_back(time), 0);
        next += std::chrono::duration_cast<Clock::duration>(period);
        std::this_thread::sleep_until(next);
      }
    });
  }
  for (auto& typist : typists) typist.join();
  std::vector<double> all;
  for (const auto& each : times) all.insert(all.end(), each.begin(), each.end());
  std::printf("\n%s\n", title);
  std::printf("%-46s %10s %10s %8s\n", "", "p50 us", "p95 us", "keys");
  PrintRow("key to patch, 50 of 200 typing 8 keys/s", all);
  std::printf("sessions open: %d of %d; keys lost: %d\n", opened, kSessions, lost.load());
  if (measured) {
    std::printf("resident size: %ld KiB before, %ld KiB with %d sessions: %.0f KiB per session\n",
                before, after, opened, opened ? double(after - before) / opened : 0.0);
  }
}

}  // namespace

int main() {
  signal(SIGPIPE, SIG_IGN);
  const std::string folder = bench::ActionFolder(1000000, 10);
  const std::vector<double> direct = DirectKeys(folder);
  const std::string work = (bench::fs::temp_directory_path() / "dorvane-bench-web").string();
  bench::fs::create_directories(work);
  {
    WebProcess server(work, {{"big", folder}});
    Client one;
    if (!one.Open(server.port, 0)) {
      std::fprintf(stderr, "the first session did not open\n");
      return 1;
    }
    std::vector<double> web;
    for (int i = 0; i < kLatencyKeys; ++i) {
      const double time = one.Key(KeyAt(i));
      if (time >= 0) web.push_back(time);
    }
    std::printf(
        "Key to patch at 1,000,000 jobs, one session on loopback (Down through the list)\n");
    std::printf("%-46s %10s %10s %8s\n", "", "p50 us", "p95 us", "keys");
    PrintRow("web: key sent to ack received", web);
    PrintRow("direct: PressKey on the toolkit", direct);
    SessionsHeld({server.port}, "Sessions held at 1,000,000 jobs (folder), one process", &server);
  }
  if (!bench::ServerBase().empty()) {
    const std::string uri = bench::ActionDatabase(1000, 10);
    {
      WebProcess server(work, {{"big", uri}});
      SessionsHeld({server.port}, "Sessions held on PostgreSQL (1,000 jobs), one process", &server);
    }
    WebProcess first(work, {{"big", uri}});
    WebProcess second(work, {{"big", uri}});
    SessionsHeld({first.port, second.port}, "Sessions held on PostgreSQL, two processes", nullptr);
  }
  return 0;
}
