// ReplayChannel: the line-by-line JSON talk between dorvane-web-replay and the
// browser driver that started it (tools/web-replay), over the program's
// standard input and output. The driver queues scripts to run; a session
// thread asks it to make an input in the browser or to check what the page
// draws, and waits for its answer. Relies on nlohmann-json.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace webreplay {

class ReplayChannel {
 public:
  // Reads standard input until it ends: "run" lines are queued as scripts,
  // every other line is the answer to the question asked last.
  void ReadInput();
  // Writes one line to the driver.
  void Tell(const nlohmann::json& message);
  // Writes a question and waits for its answer (nothing when input ended).
  std::optional<nlohmann::json> Ask(const nlohmann::json& question);
  // The next script to run (waits for one); nothing when input ended.
  std::optional<nlohmann::json> NextRun();

 private:
  std::optional<nlohmann::json> TakeFrom(std::deque<nlohmann::json>& queue);

  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<nlohmann::json> runs_;
  std::deque<nlohmann::json> answers_;
  bool ended_ = false;
  std::mutex writeMutex_;
};

}  // namespace webreplay
