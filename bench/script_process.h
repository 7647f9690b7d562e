// A dorvane-script process driven a step at a time, for the benchmarks that
// time actions in processes of their own (a workstation's first open, many
// workstations at once). The script language has no clock, so the driver
// times from outside: it writes a step's commands and then `echo` of a
// marker to the host's standard input, and the step has ended when the
// marker's line comes back. The host's output is made line-buffered with
// coreutils' stdbuf (its standard output is a pipe here, which the C library
// would fill before passing on).
//
// Header only: every bench/*.cpp is a program of its own. Relies on POSIX
// pipes, posix_spawn and poll.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <vector>

#include "bench/bench_support.h"

extern char** environ;

namespace bench {

class ScriptProcess {
 public:
  using Clock = std::chrono::steady_clock;

  // Starts dorvane-script with `args`, reading its script from the pipe, with
  // the environment of this process plus `environment` ("NAME=value" each).
  // Check Started().
  explicit ScriptProcess(const std::vector<std::string>& args,
                         const std::vector<std::string>& environment = {}) {
    signal(SIGPIPE, SIG_IGN);  // a host that ended fails the write instead
    const fs::path program = BuildProgram("dorvane-script");
    int input[2], output[2];
    if (program.empty() || pipe2(input, O_CLOEXEC) != 0) return;
    if (pipe2(output, O_CLOEXEC) != 0) {
      close(input[0]);
      close(input[1]);
      return;
    }
    std::vector<std::string> words = {"stdbuf", "-oL", program.string()};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    std::vector<std::string> settings = environment;
    for (char** entry = environ; *entry != nullptr; ++entry) settings.emplace_back(*entry);
    std::vector<char*> envp;
    for (std::string& setting : settings) envp.push_back(setting.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], 0);
    posix_spawn_file_actions_adddup2(&actions, output[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    if (posix_spawnp(&pid_, "stdbuf", &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(input[0]);
    close(output[1]);
    toHost_ = input[1];
    fromHost_ = output[0];
    if (pid_ < 0) Close();
  }
  ~ScriptProcess() { Finish(std::chrono::seconds(5)); }
  ScriptProcess(const ScriptProcess&) = delete;
  ScriptProcess& operator=(const ScriptProcess&) = delete;

  bool Started() const { return pid_ > 0; }

  // Runs `commands` (lines, each ending in a newline) and waits until the host
  // has carried them out; the lines they printed are added to Output(). False
  // when the host ended or did not finish within `timeout`.
  bool Step(const std::string& commands, Clock::duration timeout) {
    const std::string marker = "@@ step " + std::to_string(++steps_);
    const std::string text = commands + "echo " + marker + "\n";
    size_t sent = 0;
    while (sent < text.size()) {
      const ssize_t n = write(toHost_, text.data() + sent, text.size() - sent);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      sent += static_cast<size_t>(n);
    }
    const Clock::time_point deadline = Clock::now() + timeout;
    for (;;) {
      const size_t end = pending_.find('\n');
      if (end != std::string::npos) {
        const std::string line = pending_.substr(0, end);
        pending_.erase(0, end + 1);
        if (line == marker) return true;
        output_ += line + "\n";
        continue;
      }
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0) return false;
      pollfd wait{fromHost_, POLLIN, 0};
      const int ready = poll(&wait, 1, static_cast<int>(left));
      if (ready < 0 && errno == EINTR) continue;
      if (ready <= 0) return false;
      char buffer[4096];
      const ssize_t n = read(fromHost_, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      pending_.append(buffer, static_cast<size_t>(n));
    }
  }

  // Everything the host printed in the steps so far (markers left out).
  const std::string& Output() const { return output_; }

  // Ends the script (the host exits at the end of its input) and waits up to
  // `timeout` for the process, which is killed after that; its exit status,
  // or -1 when it did not end by itself.
  int Finish(Clock::duration timeout) {
    if (pid_ <= 0) return -1;
    if (toHost_ >= 0) close(toHost_);
    toHost_ = -1;
    const Clock::time_point deadline = Clock::now() + timeout;
    int status = 0;
    pid_t done = 0;
    while ((done = waitpid(pid_, &status, WNOHANG)) == 0 && Clock::now() < deadline) {
      usleep(2000);
    }
    if (done == 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
    }
    pid_ = -1;
    Close();
    return done > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  void Close() {
    if (toHost_ >= 0) close(toHost_);
    if (fromHost_ >= 0) close(fromHost_);
    toHost_ = fromHost_ = -1;
  }

  pid_t pid_ = -1;
  int toHost_ = -1;
  int fromHost_ = -1;
  int steps_ = 0;
  std::string pending_;
  std::string output_;
};

}  // namespace bench
