// Reading the server's configuration and mapping source names to places and
// back (see the header).
#include "apps/dorvane-web/web_config.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <regex>

#include "services/recordstore/data_source.h"

namespace dorvaneweb {
namespace {

using nlohmann::json;

// Reads an optional whole number of `object` into `target`, within bounds.
bool ReadInt(const json& object, const char* key, int& target, int low, int high,
             std::string& problem) {
  if (!object.contains(key)) return true;
  const json& value = object[key];
  if (!value.is_number_integer() || value.get<int64_t>() < low || value.get<int64_t>() > high) {
    problem = std::string("\"") + key + "\" must be a whole number from " + std::to_string(low) +
              " to " + std::to_string(high);
    return false;
  }
  target = value.get<int>();
  return true;
}

// The listen address "HOST:PORT" (or "[V6]:PORT").
bool ReadListen(const std::string& text, Config& config) {
  const size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon + 1 == text.size()) return false;
  std::string host = text.substr(0, colon);
  if (host.size() > 2 && host.front() == '[' && host.back() == ']')
    host = host.substr(1, host.size() - 2);
  const std::string port = text.substr(colon + 1);
  if (host.empty() || port.find_first_not_of("0123456789") != std::string::npos || port.size() > 5)
    return false;
  const int number = std::stoi(port);
  if (number > 65535) return false;
  config.address = host;
  config.port = static_cast<unsigned short>(number);
  return true;
}

}  // namespace

std::optional<std::string> LoadConfig(const std::string& path, Config& config) {
  std::ifstream file(path);
  if (!file) return "cannot read the configuration " + path;
  const json root = json::parse(file, nullptr, false, true);
  if (!root.is_object()) return "the configuration " + path + " is not a JSON object";
  std::string problem;
  if (root.contains("listen")) {
    if (!root["listen"].is_string() || !ReadListen(root["listen"].get<std::string>(), config))
      return "\"listen\" must be \"HOST:PORT\"";
  }
  if (root.contains("secret")) {
    if (!root["secret"].is_string()) return "\"secret\" must be a text";
    config.secret = root["secret"].get<std::string>();
  }
  if (root.contains("origins")) {
    if (!root["origins"].is_array()) return "\"origins\" must be a list of texts";
    for (const json& origin : root["origins"]) {
      if (!origin.is_string()) return "\"origins\" must be a list of texts";
      config.origins.push_back(origin.get<std::string>());
    }
  }
  if (root.contains("sources")) {
    if (!root["sources"].is_object()) return "\"sources\" must map names to places";
    for (const auto& [name, place] : root["sources"].items()) {
      if (!place.is_string() || name.empty()) return "\"sources\" must map names to places";
      config.sources[name] = place.get<std::string>();
    }
  }
  for (const char* flag : {"testMode", "localPaths"}) {
    if (!root.contains(flag)) continue;
    if (!root[flag].is_boolean()) return std::string("\"") + flag + "\" must be true or false";
    (std::string(flag) == "testMode" ? config.testMode : config.localPaths) =
        root[flag].get<bool>();
  }
  if (root.contains("limits")) {
    const json& limits = root["limits"];
    if (!limits.is_object()) return "\"limits\" must be an object";
    Limits& l = config.limits;
    int rate = static_cast<int>(l.inputsPerSecond);
    if (!ReadInt(limits, "sessions", l.sessions, 1, 100000, problem) ||
        !ReadInt(limits, "sessionsPerUser", l.sessionsPerUser, 1, 100000, problem) ||
        !ReadInt(limits, "inputsPerSecond", rate, 1, 10000, problem) ||
        !ReadInt(limits, "inputBurst", l.inputBurst, 1, 100000, problem) ||
        !ReadInt(limits, "idleSeconds", l.idleSeconds, 1, 86400 * 7, problem) ||
        !ReadInt(limits, "resumeSeconds", l.resumeSeconds, 0, 86400, problem) ||
        !ReadInt(limits, "keptMessages", l.keptMessages, 0, 100000, problem) ||
        !ReadInt(limits, "serverSessions", l.serverSessions, 1, 10000, problem) ||
        !ReadInt(limits, "sqliteHeapMiB", l.sqliteHeapMiB, 1, 65536, problem) ||
        !ReadInt(limits, "sqliteCachePages", l.sqliteCachePages, 0, 100000, problem)) {
      return "in \"limits\": " + problem;
    }
    l.inputsPerSecond = rate;
  }
  return std::nullopt;
}

bool IsLoopback(const std::string& address) {
  return address == "localhost" || address == "::1" || address.rfind("127.", 0) == 0;
}

std::string ConfigProblem(const Config& config) {
  if (config.secret.size() < 16)
    return "the configuration needs a \"secret\" of 16 characters or more";
  if (config.localPaths && !IsLoopback(config.address))
    return "\"localPaths\" is refused unless the server listens on the loopback only";
  if (config.testMode && !IsLoopback(config.address))
    return "\"testMode\" is refused unless the server listens on the loopback only";
  return "";
}

namespace {

// Longer words first, so that a word inside another is not half replaced;
// words of equal length keep their order.
void LongestFirst(std::vector<std::pair<std::string, std::string>>& words) {
  std::stable_sort(words.begin(), words.end(),
                   [](const auto& a, const auto& b) { return a.first.size() > b.first.size(); });
}

// The texts that name `place` in the messages of the record store and of the
// server, each with what a browser is shown instead (`name`, the source's name).
std::vector<std::pair<std::string, std::string>> PlaceWords(const std::string& place,
                                                            const std::string& name) {
  std::vector<std::pair<std::string, std::string>> words = {{place, name}};
  const std::string hidden = recordstore::HidePasswords(place);
  if (hidden != place) words.emplace_back(hidden, name);
  if (!recordstore::IsServerPath(place)) return words;
  try {
    // The record store's messages name a server by its URI without the
    // password, by host and port and by database; the server's own, by
    // database and role in double quotes (libpq's words for the host are
    // taken out by Scrub).
    const recordstore::ServerSource source = recordstore::ParseServerPath(place + "\\MAIN.MDB");
    std::string display = source.display;
    display.resize(display.size() - std::string("\\MAIN.MDB").size());
    words.emplace_back(display, name);
    words.emplace_back("server " + source.host, "server " + name);
    words.emplace_back("database '" + source.database + "'", "database '" + name + "'");
    words.emplace_back("database \"" + source.database + "\"", "database \"" + name + "\"");
    if (!source.user.empty()) {
      for (const std::string& quoted : {"'" + source.user + "'", "\"" + source.user + "\""}) {
        words.emplace_back("role " + quoted, "role of " + name);
        words.emplace_back("user " + quoted, "user of " + name);
      }
      words.emplace_back(" TO " + source.user + ")", " TO the role of " + name + ")");
    }
  } catch (const std::exception&) {
  }
  return words;
}

}  // namespace

SourcePlaces::SourcePlaces(const Config& config, std::string emptyFolder)
    : config_(config), emptyFolder_(std::move(emptyFolder)) {
  for (const auto& [name, place] : config.sources) {
    for (auto& pair : PlaceWords(place, name)) names_.push_back(std::move(pair));
  }
  LongestFirst(names_);
}

std::vector<std::pair<std::string, std::string>> SourcePlaces::NamesWith(
    const std::string& place, const std::string& name) const {
  std::vector<std::pair<std::string, std::string>> words = PlaceWords(place, name);
  words.insert(words.end(), names_.begin(), names_.end());
  LongestFirst(words);
  return words;
}

std::string SourcePlaces::PlaceOf(const std::string& name, const Ticket& ticket) const {
  const auto found = config_.sources.find(name);
  if (found != config_.sources.end() && ticket.Allows(name)) return found->second;
  if (config_.localPaths && found == config_.sources.end() && !name.empty()) return name;
  return emptyFolder_;
}

std::string Scrub(std::string text, const std::vector<std::pair<std::string, std::string>>& names) {
  for (const auto& [place, name] : names) {
    if (place.empty()) continue;
    for (size_t at = text.find(place); at != std::string::npos;
         at = text.find(place, at + name.size()))
      text.replace(at, place.size(), name);
  }
  // libpq names the server's host, its address and port, or its socket file,
  // in its own words for a failed connection.
  static const std::string failed = "connection to server ";
  if (text.find(failed) != std::string::npos) {
    static const std::regex where(
        "connection to server (at \"[^\"]*\"( \\([^)]*\\))?, port [0-9]+|on socket \"[^\"]*\")");
    text = std::regex_replace(text, where, "connection to the server");
  }
  return recordstore::HidePasswords(text);
}

std::string MakeEmptyFolder() {
  const auto folder = std::filesystem::temp_directory_path() /
                      ("dorvane-web-none-" + std::to_string(::getuid())) / "none";
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  return folder.string();
}

}  // namespace dorvaneweb
