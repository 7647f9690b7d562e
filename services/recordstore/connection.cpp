// Connection: the base's serial number, and quoting. Connection::Open, which
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

Connection::Connection(std::string path, int lockWaitMs)
    : path_(std::move(path)), lockWaitMs_(lockWaitMs) {
  static std::atomic<uint64_t> lastSerial{0};
  serial_ = ++lastSerial;
}

}  // namespace recordstore
