// Connection: the base's serial number, the row counts it keeps for every
// engine, and quoting. Connection::Open, which
// picks the engine, is engine_factory.cpp's, so that this file knows neither
// engine.
#include "services/recordstore/connection.h"

#include <atomic>
#include <utility>

namespace recordstore {

std::string QuoteName(const std::string& name) {
  std::string quoted = "\"";
  for (char c : name) {
    quoted += c;
    if (c == '"') quoted += '"';
  }
  return quoted + "\"";
}

int64_t Connection::RowCount(const std::string& table) {
  CountCache& cache = counts_[table];
  if (std::optional<int64_t> counted = CountRows(table, cache.stamp)) cache.count = *counted;
  return cache.count;
}

void Connection::AdjustRowCount(const std::string& table, int64_t delta) {
  auto found = counts_.find(table);
  if (found != counts_.end()) found->second.count += delta;
}

void Connection::ForgetRowCounts() { counts_.clear(); }

Connection::Connection(std::string path, int lockWaitMs)
    : path_(std::move(path)), lockWaitMs_(lockWaitMs) {
  static std::atomic<uint64_t> lastSerial{0};
  serial_ = ++lastSerial;
}

}  // namespace recordstore
