// Benchmark of the server actions over a slow link: every action of the
// control and its search dialog that asks the server, timed in wall time
// through a loopback proxy that delays each direction by half of 0, 1, 10 and
// 50 ms (the round trip of the link), with the round trips the store counts
// for it. Beside each: the same action on the data folder with the same rows,
// and a bare `SELECT 1` through the same proxy (one round trip: the floor).
// A session's first open is a new dorvane-script process opening the data
// (its requests counted at the proxy); every other action runs in this
// process on a control whose session is already open.
//
// The data is the 1,000-job reference data of bench_control (a list of 10
// rows): the round trips do not grow with the table. Without a server
// (DORVANE_BENCH_PG or DORVANE_TEST_PG) the program says so and ends; `make
// bench-link` starts a throwaway one.
#include <benchmark/benchmark.h>
#include <libpq-fe.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "bench/control_actions.h"
#include "bench/script_process.h"
#include "tools/link-proxy/link_proxy.h"

namespace {

using bench::ControlBench;
using bench::Place;

// The round trips of the link in milliseconds, and the iterations timed at
// each (three runs of them, the median kept): fewer on the slow links.
struct Link {
  int roundTripMs;
  int iterations;
};
constexpr Link kLinks[] = {{0, 20}, {1, 10}, {10, 4}, {50, 2}};
constexpr int kSqliteIterations = 20;

linkproxy::LinkProxy* proxy = nullptr;
std::string folder;     // the data folder
std::string database;   // the same rows on the server, through the proxy
std::string middleJob;  // the job in the middle of company 1, as stored

// `uri` (postgresql://user@127.0.0.1:PORT/...) with the port replaced.
std::string WithPort(const std::string& uri, int port) {
  const size_t host = uri.find('@') != std::string::npos ? uri.find('@') : uri.find("//") + 1;
  const size_t colon = uri.find(':', host);
  const size_t slash = uri.find('/', host);
  if (colon == std::string::npos || slash == std::string::npos || colon > slash) return "";
  return uri.substr(0, colon + 1) + std::to_string(port) + uri.substr(slash);
}

void SetRoundTrip(int milliseconds) {
  proxy->SetDelay(std::chrono::microseconds(milliseconds * 500));
}

// --- Actions of the control not in bench_control ---

// The key A that starts an add; the cancel is not timed.
void StartAdd(benchmark::State& state, const Place& place) {
  ControlBench bench(place);
  for (auto _ : state) {
    screen::PressKey('A', 0);
    bench::Pause(state);
    bench.Click("CmdCancel");
    bench::Resume(state);
  }
}

// The Enter on the update button that writes an added row (the entry before
// it and the delete after it are not timed).
void AddWrite(benchmark::State& state, const Place& place) {
  ControlBench bench(place);
  for (auto _ : state) {
    bench::Pause(state);
    bench.StartAdd();
    ControlBench::Type(bench.jobNo + "\r");
    bench::Resume(state);
    ControlBench::Type("\r");
    bench::Pause(state);
    if (bench.Refused()) {
      state.SkipWithError("the entry was refused");
      break;
    }
    screen::PressKey('D', 0);
    bench::Resume(state);
  }
}

// The key E that starts editing the highlighted row; the cancel is not timed.
void StartEdit(benchmark::State& state, const Place& place) {
  ControlBench bench(place);
  for (auto _ : state) {
    screen::PressKey('E', 0);
    bench::Pause(state);
    bench.Click("CmdCancel");
    bench::Resume(state);
  }
}

// E on the first row, Enter in the company box, Enter in the job box and
// Enter on the update button: the row is written again as it was.
void EditUpdate(benchmark::State& state, const Place& place) {
  ControlBench bench(place);
  for (auto _ : state) {
    screen::PressKey('E', 0);
    ControlBench::Type("\r\r\r");
  }
  if (bench.Refused()) state.SkipWithError("the edit was refused");
}

// The Enter on the update button of that edit alone.
void EditWrite(benchmark::State& state, const Place& place) {
  ControlBench bench(place);
  for (auto _ : state) {
    bench::Pause(state);
    screen::PressKey('E', 0);
    ControlBench::Type("\r\r");
    bench::Resume(state);
    ControlBench::Type("\r");
  }
  if (bench.Refused()) state.SkipWithError("the edit was refused");
}

// The key D on a row just added (the add is not timed).
void Delete(benchmark::State& state, const Place& place) {
  ControlBench bench(place);
  for (auto _ : state) {
    bench::Pause(state);
    bench.AddRow();
    bench::Resume(state);
    screen::PressKey('D', 0);
  }
  if (bench.control->StateField("EntryMode")->ToString() != " ") state.SkipWithError("no delete");
}

// The last character of the middle job of company 1 typed into the job search
// opened from the control (the characters before it, and the Backspace that
// takes it back, are not timed).
void SearchKey(benchmark::State& state, const Place& place) {
  ControlBench bench(place, [](ControlBench& at) { at.StartAdd(); });
  const std::string before = middleJob.substr(0, middleJob.size() - 1);
  const std::string last = middleJob.substr(middleJob.size() - 1);
  bench::UntimedTrips untimed;
  bench.desktop.QueueModalAction([&] {
    ControlBench::Type(before);
    untimed.LeaveOut();
    for (auto _ : state) {
      ControlBench::Type(last);
      bench::Pause(state);
      screen::PressKey(screen::kKeyBack, 0);
      bench::Resume(state);
    }
    untimed = bench::UntimedTrips();
    screen::PressKey(screen::kKeyEscape, 0);
  });
  bench.Click("btnJOBSearch");
  untimed.LeaveOut();
  if (bench.desktop.modalForms.empty()) state.SkipWithError("no dialog opened");
}

// A session's first open: a new dorvane-script process sets PathText (the
// process start is not timed). Its round trips are the requests the proxy
// passed plus one for each connection made, as the store counts them.
void FirstOpen(benchmark::State& state, const Place& place) {
  const bool onServer = place.source != folder;
  double trips = 0;
  for (auto _ : state) {
    bench::ScriptProcess host({"--source", "data=" + place.source});
    if (!host.Started() || !host.Step("today 2024-03-06\n", std::chrono::seconds(30))) {
      state.SkipWithError("dorvane-script did not start");
      break;
    }
    const int requests = proxy->Requests(), connections = proxy->Accepted();
    const double start = bench::WallSeconds();
    const bool done = host.Step("let PathText data\n", std::chrono::seconds(60));
    state.SetIterationTime(bench::WallSeconds() - start);
    if (onServer) trips += proxy->Requests() - requests + proxy->Accepted() - connections;
    if (!done || host.Output().find("MSGBOX") != std::string::npos) {
      state.SkipWithError(("the open failed: " + host.Output()).c_str());
      break;
    }
  }
  if (onServer) state.counters["round_trips"] = trips / static_cast<double>(state.iterations());
}

// One `SELECT 1` on a session through the proxy: the floor of a round trip.
void SelectOne(benchmark::State& state) {
  PGconn* conn = PQconnectdb(database.c_str());
  if (PQstatus(conn) != CONNECTION_OK) {
    state.SkipWithError("cannot connect through the proxy");
    PQfinish(conn);
    return;
  }
  const int requests = proxy->Requests();
  for (auto _ : state) PQclear(PQexec(conn, "SELECT 1"));
  state.counters["round_trips"] =
      static_cast<double>(proxy->Requests() - requests) / static_cast<double>(state.iterations());
  PQfinish(conn);
}

struct Action {
  const char* name;
  void (*run)(benchmark::State&, const Place&);
  bool manualTime;  // timed by hand (in wall time)
};
const Action kActions[] = {
    {"FirstOpen", FirstOpen, true},
    {"PathText", bench::ControlPathText, false},
    {"Down", bench::ControlDown, false},
    {"PageDown", bench::ControlPageDown, false},
    {"End", bench::ControlEnd, false},
    {"StartAdd", StartAdd, false},
    {"CompanyCheck", bench::ControlCompanyCheck, false},
    {"JobCheck", bench::ControlJobCheck, false},
    {"AddWrite", AddWrite, false},
    {"AddUpdate", bench::ControlAddUpdate, false},
    {"StartEdit", StartEdit, false},
    {"EditWrite", EditWrite, false},
    {"EditUpdate", EditUpdate, false},
    {"Delete", Delete, false},
    {"CheckAfterSearch", bench::ControlCheckAfterSearch, false},
    {"CompanySearch", bench::ControlCompanySearch, false},
    {"JobSearch", bench::ControlJobSearch, false},
    {"PESearch", bench::ControlPESearch, false},
    {"ListSearch", bench::ControlListSearch, false},
    {"SearchKey", SearchKey, false},
    {"Select", bench::ControlSelect, true},
};

// Three runs of `iterations` each, the median kept, in wall time.
void Configure(benchmark::internal::Benchmark* run, int iterations, bool manualTime) {
  run->Iterations(iterations)
      ->Repetitions(3)
      ->ReportAggregatesOnly(true)
      ->Unit(benchmark::kMicrosecond);
  if (manualTime) {
    run->UseManualTime();
  } else {
    run->UseRealTime();
  }
}

// The table: round trips, the SQLite time and the time at each round trip of
// the link, in milliseconds, and the round trips the wall times show (the
// growth from 0 to 50 ms over 50 ms).
void PrintTable(const bench::CollectingReporter& reporter) {
  std::printf("\nServer actions through a link of 0, 1, 10 and 50 ms round trip (%s)\n",
              bench::ServerBase().c_str());
  std::printf("wall milliseconds per action; trips = round trips the store counts\n");
  std::printf("%-16s | %6s | %8s", "action", "trips", "SQLite");
  for (const Link& link : kLinks)
    std::printf(" | %8s", (std::to_string(link.roundTripMs) + " ms").c_str());
  std::printf(" | %s\n", "trips seen");
  std::vector<std::pair<std::string, std::string>> rows = {{"SELECT 1", "SelectOne"}};
  for (const Action& action : kActions)
    rows.push_back({action.name, std::string("Link") + action.name});
  for (const auto& [label, name] : rows) {
    const std::string first = name + "/" + std::to_string(kLinks[0].roundTripMs);
    const double sqlite = reporter.Micros("Sqlite" + std::string(label));
    std::printf("%-16s | %6.1f | ", label.c_str(), reporter.RoundTrips(first));
    if (sqlite > 0) {
      std::printf("%8.2f", sqlite / 1000);
    } else {
      std::printf("%8s", "-");
    }
    for (const Link& link : kLinks) {
      std::printf(" | %8.2f",
                  reporter.Micros(name + "/" + std::to_string(link.roundTripMs)) / 1000);
    }
    const Link& slowest = kLinks[std::size(kLinks) - 1];
    const double seen = (reporter.Micros(name + "/" + std::to_string(slowest.roundTripMs)) -
                         reporter.Micros(first)) /
                        1000 / (slowest.roundTripMs - kLinks[0].roundTripMs);
    std::printf(" | %5.1f\n", seen);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::string base = bench::ServerBase();
  if (base.empty()) {
    std::printf("bench_link: no server given (DORVANE_BENCH_PG); `make bench-link` starts one\n");
    return 0;
  }
  const std::string direct = bench::ActionDatabase(1000, 10);
  folder = bench::ActionFolder(1000, 10);
  const size_t portAt = base.rfind(':');
  linkproxy::LinkProxy link(std::stoi(base.substr(portAt + 1)));
  proxy = &link;
  database = WithPort(direct, link.Port());
  if (database.empty()) {
    std::fprintf(stderr, "bench_link: cannot read the server's port from %s\n", base.c_str());
    return 1;
  }
  {
    bench::PlainDb db(folder + "/MAIN.MDB");
    sqlite3_stmt* middle = db.Statement(
        "SELECT JOBNO FROM JOBLIST WHERE CONO = 1 ORDER BY JOBNO COLLATE NOCASE LIMIT 1 OFFSET "
        "(SELECT count(*) / 2 FROM JOBLIST WHERE CONO = 1)");
    if (sqlite3_step(middle) == SQLITE_ROW) {
      middleJob = reinterpret_cast<const char*>(sqlite3_column_text(middle, 0));
    }
    sqlite3_reset(middle);
  }
  const Place onFolder = bench::PlaceOf(folder, folder, true);
  const Place onServer = bench::PlaceOf(database, folder, true);

  for (const Link& link : kLinks) {
    auto* run =
        benchmark::RegisterBenchmark("SelectOne", [ms = link.roundTripMs](benchmark::State& state) {
          SetRoundTrip(ms);
          SelectOne(state);
        });
    Configure(run->Arg(link.roundTripMs), link.iterations, false);
  }
  for (const Action& action : kActions) {
    Configure(benchmark::RegisterBenchmark(
                  ("Sqlite" + std::string(action.name)).c_str(),
                  [&action, &onFolder](benchmark::State& state) { action.run(state, onFolder); }),
              kSqliteIterations, action.manualTime);
    for (const Link& link : kLinks) {
      auto* run = benchmark::RegisterBenchmark(
          ("Link" + std::string(action.name)).c_str(),
          [&action, &onServer, ms = link.roundTripMs](benchmark::State& state) {
            SetRoundTrip(ms);
            if (action.run == FirstOpen) return action.run(state, onServer);
            bench::CountRoundTrips(state, [&] { action.run(state, onServer); });
          });
      Configure(run->Arg(link.roundTripMs), link.iterations, action.manualTime);
    }
  }
  benchmark::Initialize(&argc, argv);
  bench::CollectingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  SetRoundTrip(0);
  PrintTable(reporter);
  benchmark::Shutdown();
  return 0;
}
