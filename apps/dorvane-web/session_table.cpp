// The process's sessions, the hello and the reaping of sessions whose time is
// up (see the header).
#include "apps/dorvane-web/session_table.h"

#include <openssl/rand.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <vector>

#include "services/base/date_serial.h"

namespace dorvaneweb {
namespace {

using nlohmann::json;
using Clock = std::chrono::steady_clock;

// The date serial of "YYYY-MM-DD", or nothing.
std::optional<double> DateOf(const std::string& text) {
  int year = 0;
  int month = 0;
  int day = 0;
  char end = 0;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &year, &month, &day, &end) != 3)
    return std::nullopt;
  if (year < 1900 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > base::DaysInMonth(year, month)) {
    return std::nullopt;
  }
  return base::DateSerialFromYMD(year, month, day);
}

// Sends a refusal of a hello and gives the close code.
SessionTable::Opened Refuse(const Link& link, const std::string& message, int code) {
  link.send(json{{"type", "error"}, {"message", message}}.dump());
  SessionTable::Opened opened;
  opened.closeCode = code;
  return opened;
}

}  // namespace

std::string NewSessionId() {
  unsigned char bytes[16];
  if (RAND_bytes(bytes, sizeof bytes) != 1) throw std::runtime_error("no random bytes");
  std::string id;
  char hex[3];
  for (unsigned char b : bytes) {
    std::snprintf(hex, sizeof hex, "%02x", b);
    id += hex;
  }
  return id;
}

SessionTable::SessionTable(const Config& config, const SourcePlaces& places, Customize customize)
    : config_(config), places_(places), customize_(std::move(customize)) {}

SessionTable::~SessionTable() { CloseAll(); }

SessionTable::Opened SessionTable::Hello(const std::string& frame, const Link& link) {
  const json hello = json::parse(frame, nullptr, false);
  if (!hello.is_object() || hello.value("type", json()) != "hello")
    return Refuse(link, "The first message must be a hello.", 1008);
  const std::string ticketText = hello.contains("ticket") && hello["ticket"].is_string()
                                     ? hello["ticket"].get<std::string>()
                                     : "";
  const auto ticket = VerifyTicket(ticketText, config_.secret, std::time(nullptr));
  if (!ticket)
    return Refuse(link, "The ticket is missing, forged or expired; reload the page.", 1008);
  std::optional<double> today;
  if (hello.contains("today")) {
    if (!config_.testMode)
      return Refuse(link, "This server does not let a page fix today's date.", 1008);
    today = hello["today"].is_string() ? DateOf(hello["today"].get<std::string>()) : std::nullopt;
    if (!today) return Refuse(link, "\"today\" must be a date YYYY-MM-DD.", 1008);
  }

  bool fresh = false;
  if (hello.contains("resume")) {
    const json& resume = hello["resume"];
    if (!resume.is_object() || !resume.contains("session") || !resume["session"].is_string() ||
        !resume.contains("seq") || !resume["seq"].is_number_integer()) {
      return Refuse(link, "\"resume\" must give the session and the last seq seen.", 1008);
    }
    std::shared_ptr<Session> session;
    {
      std::lock_guard lock(mutex_);
      const auto found = sessions_.find(resume["session"].get<std::string>());
      if (found != sessions_.end() && !found->second->Closed()) session = found->second;
    }
    if (session && session->SessionTicket().user == ticket->user) {
      link.send(
          json{{"type", "welcome"}, {"session", session->Id()}, {"resumed", true}, {"fresh", false}}
              .dump());
      Opened opened;
      opened.linkId = session->Attach(link, resume["seq"].get<int64_t>());
      opened.session = std::move(session);
      return opened;
    }
    fresh = true;
  }

  SessionSetup setup;
  setup.ticket = *ticket;
  setup.places = &places_;
  setup.limits = config_.limits;
  setup.today = today;
  if (customize_) customize_(setup);
  std::shared_ptr<Session> session;
  {
    std::lock_guard lock(mutex_);
    size_t ofUser = 0;
    for (const auto& entry : sessions_)
      ofUser += entry.second->SessionTicket().user == ticket->user;
    if (sessions_.size() >= static_cast<size_t>(config_.limits.sessions))
      return Refuse(link, "The server has all the sessions it can hold; try again later.", 1013);
    if (ofUser >= static_cast<size_t>(config_.limits.sessionsPerUser))
      return Refuse(link, "You have as many sessions open as you may; close one first.", 1013);
    session = std::make_shared<Session>(NewSessionId(), std::move(setup));
    sessions_[session->Id()] = session;
  }
  link.send(
      json{{"type", "welcome"}, {"session", session->Id()}, {"resumed", false}, {"fresh", fresh}}
          .dump());
  Opened opened;
  opened.linkId = session->Attach(link);
  session->Start();
  opened.session = std::move(session);
  return opened;
}

void SessionTable::Reap() {
  std::vector<std::shared_ptr<Session>> ended;
  {
    std::lock_guard lock(mutex_);
    const auto now = Clock::now();
    for (auto it = sessions_.begin(); it != sessions_.end();) {
      Session& session = *it->second;
      const auto detached = session.DetachedSince();
      if ((detached && now - *detached > std::chrono::seconds(config_.limits.resumeSeconds)) ||
          now - session.LastInput() > std::chrono::seconds(config_.limits.idleSeconds)) {
        session.Close();
      }
      if (session.Finished()) {
        ended.push_back(it->second);
        it = sessions_.erase(it);
      } else {
        ++it;
      }
    }
  }
  // The threads are joined outside the lock (the last reference goes here).
  ended.clear();
}

size_t SessionTable::Count() {
  std::lock_guard lock(mutex_);
  return sessions_.size();
}

size_t SessionTable::CountOf(const std::string& user) {
  std::lock_guard lock(mutex_);
  size_t count = 0;
  for (const auto& entry : sessions_) count += entry.second->SessionTicket().user == user;
  return count;
}

void SessionTable::CloseAll() {
  std::map<std::string, std::shared_ptr<Session>> all;
  {
    std::lock_guard lock(mutex_);
    all.swap(sessions_);
  }
  for (auto& entry : all) entry.second->Close();
  all.clear();
}

}  // namespace dorvaneweb
