// Benchmark of many workstations on one server database: N dorvane-script
// processes (N = 1, 4, 16, 64 unless --users says otherwise) each run the
// same short session at once, as a clerk would: open the data, move in the
// list, add a job chosen in the job search (typed a key at a time), delete
// it again, edit a row, open and close the period-ending and saved-list
// searches. Each step is timed from outside (bench/script_process.h): the
// wall time from its commands to the host's answer. A think time of about
// --think-ms (100 ms, drawn from half to one and a half of it) goes before
// each step, so the processes interleave as users do rather than queue on
// the machine's two cores. Printed: the median and the 95th percentile of
// each kind of step, the most server sessions of the database seen at once
// (client backends in pg_stat_activity, polled every 20 ms) and the message
// boxes met. Two runs: with the store's default idle time (a session stays
// open 30 s after its action) and with DORVANE_SERVER_IDLE=0 (closed at
// once).
//
// The database dorvane_bench_users holds the 1,000-job reference data and is
// filled afresh before each run. Without a server (DORVANE_BENCH_PG or
// DORVANE_TEST_PG) the program says so and ends.
#include <libpq-fe.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_support.h"
#include "bench/script_process.h"

namespace {

using Clock = std::chrono::steady_clock;

// One step of a session: the kind it is counted under and its commands.
struct Step {
  std::string kind;
  std::string commands;
};

// The kinds in the order printed.
const char* const kKinds[] = {"open",       "list key", "start entry",  "check",
                              "add",        "delete",   "edit",         "open search",
                              "search key", "select",   "close search", "cancel"};

// The company whose jobs the workstations add: none of its jobs is in the
// working list, and they sort after the list's first row, which every
// workstation edits (so no workstation deletes the row another edits).
constexpr int kCompany = 10;

// The session of one workstation: `rounds` rounds of work on `job` (a job of
// company kCompany as stored, typed without its leading blanks).
std::vector<Step> Session(const std::string& job, int rounds) {
  std::vector<Step> steps = {{"open", "let PathText data\n"}, {"list key", "press Down\n"},
                             {"list key", "press Down\n"},    {"list key", "press PageDown\n"},
                             {"list key", "press End\n"},     {"list key", "press Home\n"}};
  const std::string typed = job.substr(job.find_first_not_of(' '));
  for (int round = 0; round < rounds; ++round) {
    steps.push_back({"start entry", "press A\n"});
    steps.push_back({"check", "type " + std::to_string(kCompany) + "\npress Enter\n"});
    steps.push_back({"open search", "click btnJOBSearch\n"});
    for (char ch : typed) steps.push_back({"search key", "type " + std::string(1, ch) + "\n"});
    steps.push_back({"select", "press Enter\n"});
    steps.push_back({"check", "press Enter\n"});
    steps.push_back({"add", "press Enter\n"});
    steps.push_back({"delete", "press D\n"});
    steps.push_back({"list key", "press Home\n"});
    steps.push_back({"start entry", "press E\n"});
    steps.push_back({"check", "press Enter\n"});
    steps.push_back({"check", "press Enter\n"});
    steps.push_back({"edit", "press Enter\n"});
    steps.push_back({"open search", "click btnBPESearch\n"});
    steps.push_back({"close search", "press Esc\n"});
    steps.push_back({"cancel", "click CmdCancel\n"});
    steps.push_back({"open search", "click cmdRetreiveList\n"});
    steps.push_back({"close search", "press Esc\n"});
    steps.push_back({"list key", "press PageDown\n"});
  }
  return steps;
}

// What one run of N workstations measured.
struct RunResult {
  std::map<std::string, std::vector<double>> millis;  // by kind
  int mostSessions = 0;
  int messageBoxes = 0;
  int failures = 0;  // processes that did not run their session through
  double seconds = 0;
  std::string firstProblem;
};

// The client sessions of the database open now on the server, or -1 (the
// server's own workers, such as autovacuum after the database was filled,
// are not counted).
int SessionsOpen(PGconn* admin, const std::string& database) {
  const char* values[] = {database.c_str()};
  PGresult* result = PQexecParams(admin,
                                  "SELECT count(*) FROM pg_stat_activity WHERE datname = $1 AND "
                                  "backend_type = 'client backend'",
                                  1, nullptr, values, nullptr, nullptr, 0);
  const int count =
      PQresultStatus(result) == PGRES_TUPLES_OK ? std::atoi(PQgetvalue(result, 0, 0)) : -1;
  PQclear(result);
  return count;
}

// Runs `jobs.size()` workstations at once on `uri`, with the environment
// `environment`, and a think time of about `thinkMs` before each step.
RunResult RunWorkstations(const std::string& uri, const std::string& database,
                          const std::vector<std::string>& jobs, int rounds, int thinkMs,
                          const std::vector<std::string>& environment) {
  RunResult result;
  std::mutex mutex;
  std::atomic<bool> running = true;
  std::atomic<bool> polling = false;
  std::thread poller([&] {
    PGconn* admin = PQconnectdb((bench::ServerBase() + "postgres").c_str());
    // The sessions of the tool that filled the database may take a moment to
    // end: the count starts from none (or after 5 s).
    const Clock::time_point until = Clock::now() + std::chrono::seconds(5);
    while (SessionsOpen(admin, database) > 0 && Clock::now() < until) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    polling = true;
    while (running) {
      const int open = SessionsOpen(admin, database);
      {
        std::lock_guard<std::mutex> lock(mutex);
        result.mostSessions = std::max(result.mostSessions, open);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    PQfinish(admin);
  });
  while (!polling) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  const Clock::time_point start = Clock::now();
  std::vector<std::thread> desks;
  for (size_t desk = 0; desk < jobs.size(); ++desk) {
    desks.emplace_back([&, desk] {
      std::mt19937 random(static_cast<unsigned>(desk + 1));
      std::uniform_int_distribution<int> think(thinkMs / 2, thinkMs * 3 / 2);
      std::map<std::string, std::vector<double>> own;
      std::string problem;
      bench::ScriptProcess host({"--source", "data=" + uri}, environment);
      bool ok = host.Started() && host.Step("today 2024-03-06\n", std::chrono::seconds(60));
      for (const Step& step : Session(jobs[desk], rounds)) {
        if (!ok) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(think(random)));
        const Clock::time_point begun = Clock::now();
        ok = host.Step(step.commands, std::chrono::seconds(120));
        own[step.kind].push_back(
            std::chrono::duration<double, std::milli>(Clock::now() - begun).count());
        if (!ok) problem = "step \"" + step.commands + "\" did not finish";
      }
      const int status = host.Finish(std::chrono::seconds(30));
      int boxes = 0;
      std::istringstream lines(host.Output());
      for (std::string line; std::getline(lines, line);) {
        if (line.starts_with("MSGBOX") || line.starts_with("HOST ERROR") ||
            line.starts_with("NOCLICK")) {
          ++boxes;
          if (problem.empty()) problem = line;
        }
      }
      std::lock_guard<std::mutex> lock(mutex);
      for (auto& [kind, times] : own) {
        result.millis[kind].insert(result.millis[kind].end(), times.begin(), times.end());
      }
      result.messageBoxes += boxes;
      if (!ok || status != 0) ++result.failures;
      if (result.firstProblem.empty() && !problem.empty()) result.firstProblem = problem;
    });
  }
  for (std::thread& desk : desks) desk.join();
  result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  running = false;
  poller.join();
  return result;
}

// The value below which `share` of the sorted times lie (nearest rank).
double Percentile(std::vector<double> times, double share) {
  if (times.empty()) return 0;
  std::sort(times.begin(), times.end());
  const size_t rank = static_cast<size_t>(share * static_cast<double>(times.size()) + 0.999999);
  return times[std::clamp<size_t>(rank, 1, times.size()) - 1];
}

void PrintRuns(const std::string& title, const std::vector<int>& counts,
               const std::vector<RunResult>& runs) {
  std::printf("\n%s\nwall ms per step, p50 / p95 (steps), at N workstations\n", title.c_str());
  std::printf("%-14s", "step");
  for (int n : counts) std::printf(" | %22s", ("N=" + std::to_string(n)).c_str());
  std::printf("\n");
  for (const char* kind : kKinds) {
    std::printf("%-14s", kind);
    for (const RunResult& run : runs) {
      const auto found = run.millis.find(kind);
      const std::vector<double> none;
      const std::vector<double>& times = found == run.millis.end() ? none : found->second;
      std::printf(" | %7.1f / %7.1f (%4zu)", Percentile(times, 0.5), Percentile(times, 0.95),
                  times.size());
    }
    std::printf("\n");
  }
  const auto line = [&](const char* label, auto value) {
    std::printf("%-14s", label);
    for (const RunResult& run : runs) std::printf(" | %22s", value(run).c_str());
    std::printf("\n");
  };
  line("sessions", [](const RunResult& run) { return std::to_string(run.mostSessions); });
  line("message boxes", [](const RunResult& run) { return std::to_string(run.messageBoxes); });
  line("failed", [](const RunResult& run) { return std::to_string(run.failures); });
  line("run (s)", [](const RunResult& run) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", run.seconds);
    return std::string(text);
  });
  for (size_t i = 0; i < runs.size(); ++i) {
    if (!runs[i].firstProblem.empty()) {
      std::printf("N=%d, first problem: %s\n", counts[i], runs[i].firstProblem.c_str());
    }
  }
}

// The jobs of company kCompany that the working list does not hold, as stored.
std::vector<std::string> FreeJobs(const std::string& folder) {
  bench::PlainDb db(folder + "/MAIN.MDB");
  sqlite3_stmt* stmt = db.Statement(
      "SELECT JOBNO FROM JOBLIST WHERE CONO = ?1 AND JOBNO NOT IN (SELECT JOBNO FROM TJLIST "
      "WHERE CONO = ?1) ORDER BY JOBNO COLLATE NOCASE");
  sqlite3_bind_int(stmt, 1, kCompany);
  std::vector<std::string> jobs;
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    jobs.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
  }
  sqlite3_reset(stmt);
  return jobs;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> counts = {1, 4, 16, 64};
  int rounds = 2, thinkMs = 100;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--users" && i + 1 < argc) {
      counts.clear();
      std::stringstream list(argv[++i]);
      for (std::string n; std::getline(list, n, ',');)
        counts.push_back(std::max(1, std::atoi(n.c_str())));
    } else if (arg == "--rounds" && i + 1 < argc) {
      rounds = std::max(1, std::atoi(argv[++i]));
    } else if (arg == "--think-ms" && i + 1 < argc) {
      thinkMs = std::max(0, std::atoi(argv[++i]));
    } else {
      std::fprintf(stderr,
                   "usage: bench_users [--users 1,4,16,64] [--rounds 2] [--think-ms 100]\n");
      return 2;
    }
  }
  if (bench::ServerBase().empty()) {
    std::printf("bench_users: no server given (DORVANE_BENCH_PG); `make bench-link` starts one\n");
    return 0;
  }
  const std::string folder = bench::ActionFolder(1000, 10);
  const std::vector<std::string> free = FreeJobs(folder);
  const std::string options = bench::ActionOptions(1000, 10);
  const std::string database = "dorvane_bench_users";
  struct Mode {
    const char* title;
    std::vector<std::string> environment;
  };
  const Mode modes[] = {
      {"Sessions kept 30 s after each action (the default)", {}},
      {"Sessions closed after each action (DORVANE_SERVER_IDLE=0)", {"DORVANE_SERVER_IDLE=0"}}};
  for (const Mode& mode : modes) {
    std::vector<RunResult> runs;
    for (int n : counts) {
      const std::string uri = bench::ServerDatabase("users", options, true);
      std::vector<std::string> jobs;
      for (int desk = 0; desk < n; ++desk)
        jobs.push_back(free[static_cast<size_t>(desk) % free.size()]);
      runs.push_back(RunWorkstations(uri, database, jobs, rounds, thinkMs, mode.environment));
      std::fprintf(stderr, "%s: N=%d done in %.1f s\n", mode.title, n, runs.back().seconds);
    }
    PrintRuns(mode.title, counts, runs);
  }
  return 0;
}
