// The driver's lines in and out (see the header).
#include "apps/dorvane-web-replay/replay_channel.h"

#include <iostream>

namespace webreplay {

void ReplayChannel::ReadInput() {
  std::string line;
  while (std::getline(std::cin, line)) {
    nlohmann::json message = nlohmann::json::parse(line, nullptr, false);
    if (!message.is_object()) {
      std::cerr << "dorvane-web-replay: not a JSON object: " << line << "\n";
      continue;
    }
    std::lock_guard lock(mutex_);
    (message.contains("run") ? runs_ : answers_).push_back(std::move(message));
    changed_.notify_all();
  }
  std::lock_guard lock(mutex_);
  ended_ = true;
  changed_.notify_all();
}

void ReplayChannel::Tell(const nlohmann::json& message) {
  std::lock_guard lock(writeMutex_);
  std::cout << message.dump() << std::endl;
}

std::optional<nlohmann::json> ReplayChannel::Ask(const nlohmann::json& question) {
  Tell(question);
  return TakeFrom(answers_);
}

std::optional<nlohmann::json> ReplayChannel::NextRun() { return TakeFrom(runs_); }

// The first message of `queue` once there is one; nothing once the input ended.
std::optional<nlohmann::json> ReplayChannel::TakeFrom(std::deque<nlohmann::json>& queue) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return !queue.empty() || ended_; });
  if (queue.empty()) return std::nullopt;
  nlohmann::json message = std::move(queue.front());
  queue.pop_front();
  return message;
}

}  // namespace webreplay
