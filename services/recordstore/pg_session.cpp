// ServerLink: libpq connections with bounded waits, and the notices they keep.
#include "services/recordstore/pg_session.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "services/recordstore/db_engine.h"

namespace recordstore {

std::string OneLine(const char* text) {
  std::string line;
  for (const char* c = text != nullptr ? text : ""; *c != '\0'; ++c) {
    if (*c == '\n' || *c == '\t') {
      if (!line.empty() && line.back() != ' ') line += ' ';
    } else {
      line += *c;
    }
  }
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line;
}

std::string StateOf(const PGresult* result) {
  const char* state = result != nullptr ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
  return state != nullptr ? state : "";
}

std::string MessageOf(const PGresult* result, PGconn* conn) {
  const char* primary =
      result != nullptr ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
  return OneLine(primary != nullptr ? primary : PQerrorMessage(conn));
}

bool Succeeded(const PGresult* result) {
  ExecStatusType status = PQresultStatus(result);
  return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
}

bool ConnectionState(const std::string& state) {
  return state.rfind("08", 0) == 0 || state == "57P01" || state == "57P02" || state == "57P03";
}

Deadline AnswerDeadline(int lockWaitMs) {
  return std::chrono::steady_clock::now() +
         std::chrono::seconds(DBEngine::Instance()->ServerTimeoutSeconds()) +
         std::chrono::milliseconds(std::max(0, lockWaitMs));
}

ServerLink::ServerLink(const std::string& uri, const std::string& options) {
  // The engine's timeouts come first, so that the same settings in the URI,
  // expanded from "dbname" last, take their place.
  const int seconds = DBEngine::Instance()->ServerTimeoutSeconds();
  const std::vector<std::pair<const char*, std::string>> settings = {
      {"connect_timeout", std::to_string(std::max(2, seconds))},
      {"keepalives", "1"},
      {"keepalives_idle", std::to_string(std::max(1, seconds / 2))},
      {"keepalives_interval", std::to_string(std::max(1, seconds / 4))},
      {"keepalives_count", "2"},
      {"tcp_user_timeout", std::to_string(seconds * 1000)},
      {"options", options},
      {"dbname", uri}};
  std::vector<const char*> keywords, values;
  for (const auto& [keyword, value] : settings) {
    keywords.push_back(keyword);
    values.push_back(value.c_str());
  }
  keywords.push_back(nullptr);
  values.push_back(nullptr);
  conn_ = PQconnectdbParams(keywords.data(), values.data(), 1);
  if (conn_ != nullptr) PQsetNoticeReceiver(conn_, &ServerLink::ReceiveNotice, this);
}

ServerLink::~ServerLink() {
  if (conn_ != nullptr) PQfinish(conn_);
}

void ServerLink::ReceiveNotice(void* link, const PGresult* notice) {
  const char* severity = PQresultErrorField(notice, PG_DIAG_SEVERITY_NONLOCALIZED);
  const char* primary = PQresultErrorField(notice, PG_DIAG_MESSAGE_PRIMARY);
  static_cast<ServerLink*>(link)->notice_ =
      std::string(severity != nullptr ? severity : "NOTICE") + ": " + OneLine(primary);
}

std::string ServerLink::ErrorText() const {
  if (conn_ == nullptr) return "out of memory";
  if (silent_) return "the server did not answer in time";
  return OneLine(PQerrorMessage(conn_));
}

bool ServerLink::Await(Deadline deadline) {
  while (PQisBusy(conn_) == 1) {
    const int socket = PQsocket(conn_);
    if (socket < 0) return true;  // libpq has the failure ready
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      silent_ = true;
      return false;
    }
    pollfd wait{socket, POLLIN, 0};
    const int ready = poll(&wait, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno != EINTR) return true;
    if (ready > 0 && PQconsumeInput(conn_) == 0) return true;
  }
  return true;
}

PGresult* ServerLink::Exec(const std::string& sql, Deadline deadline) {
  if (silent_ || PQsendQuery(conn_, sql.c_str()) == 0) return nullptr;
  PGresult* kept = nullptr;
  while (Await(deadline)) {
    PGresult* result = PQgetResult(conn_);
    if (result == nullptr) return kept;
    const ExecStatusType status = PQresultStatus(kept);
    if (kept != nullptr && status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
      PQclear(result);  // the first failure is the answer
    } else {
      PQclear(kept);
      kept = result;
    }
  }
  PQclear(kept);
  return nullptr;
}

// At most this many answers are kept for one action: a page and its
// lookups, the settings, a dialog's first rows.
constexpr size_t kKeptResults = 64;

PGresult* ActionResults::Find(uint64_t stamp, const std::string& key) {
  if (stamp != stamp_) return nullptr;
  auto found = results_.find(key);
  if (found == results_.end()) return nullptr;
  return PQcopyResult(found->second, PG_COPYRES_ATTRS | PG_COPYRES_TUPLES);
}

void ActionResults::Keep(uint64_t stamp, const std::string& key, const PGresult* result) {
  if (stamp != stamp_) {
    Clear();
    stamp_ = stamp;
  }
  if (results_.size() >= kKeptResults || results_.contains(key)) return;
  PGresult* copy = PQcopyResult(result, PG_COPYRES_ATTRS | PG_COPYRES_TUPLES);
  if (copy != nullptr) results_.emplace(key, copy);
}

void ActionResults::Clear() {
  for (auto& [key, result] : results_) PQclear(result);
  results_.clear();
}

}  // namespace recordstore
