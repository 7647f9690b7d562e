// DBEngine: the process-wide engine object, its workspace counter and settings
// (atomic), and the maps the engine keeps for the process (engine_memory.h,
// under one lock).
#include "services/recordstore/db_engine.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>
#include <mutex>

#include "services/base/text_case.h"
#include "services/recordstore/engine_memory.h"
#if DORVANE_POSTGRES
#include "services/recordstore/pg_hub.h"
#endif
#include "services/recordstore/store_errors.h"
#include "services/recordstore/table_layout.h"
#include "services/recordstore/workspace.h"

namespace recordstore {
namespace {

// The key of a table of a file in the deleted-row map.
std::string TableKey(const std::string& path, const std::string& table) {
  std::string key = path + '\n';
  for (char c : table) key += base::LowerAscii(c);
  return key;
}

// The maps of engine_memory.h, for the life of the process.
struct EngineMemory {
  std::mutex mutex;  // guards the two maps
  std::map<std::string, int64_t> deletedRows;
  std::map<std::string, std::shared_ptr<const TableLayout>> layouts;
};

EngineMemory& Memory() {
  static EngineMemory memory;
  return memory;
}

}  // namespace

std::shared_ptr<DBEngine> DBEngine::Instance() {
  static std::shared_ptr<DBEngine> engine(new DBEngine());
  return engine;
}

// The server settings start from the environment, so that an administrator
// can tune a program without rebuilding it.
DBEngine::DBEngine() {
  auto number = [](const char* name, int fallback) {
    const char* text = std::getenv(name);
    if (text == nullptr || *text == '\0') return fallback;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    return *end == '\0' && value >= 0 && value <= 86400 ? static_cast<int>(value) : fallback;
  };
  serverTimeoutSeconds_ = std::max(1, number("DORVANE_SERVER_TIMEOUT", serverTimeoutSeconds_));
  serverIdleSeconds_ = number("DORVANE_SERVER_IDLE", serverIdleSeconds_);
  serverSessions_ = std::max(1, number("DORVANE_SERVER_SESSIONS", serverSessions_));
#if DORVANE_POSTGRES
  SessionHub::Instance().SetLimits(serverSessions_, serverIdleSeconds_);
#endif
}

void DBEngine::SetServerSessions(int sessions, int idleSeconds) {
  serverSessions_ = std::max(1, sessions);
  serverIdleSeconds_ = std::max(0, idleSeconds);
#if DORVANE_POSTGRES
  SessionHub::Instance().SetLimits(serverSessions_, serverIdleSeconds_);
#endif
}

std::shared_ptr<Workspace> DBEngine::CreateWorkspace(const std::string& name,
                                                     const std::string& user,
                                                     const std::string& password, int type) {
  if (type != 2) {
    throw InvalidArgument("workspace '" + name + "' of type " + std::to_string(type) +
                          " (only type 2, the desktop engine, is available)");
  }
  ++workspacesCreated_;
  return std::make_shared<Workspace>(name);
}

void DBEngine::SetLockWaitMilliseconds(int milliseconds) {
  lockWaitMs_ = std::max(0, milliseconds);
}

void DBEngine::SetFileCachePages(int pages) { fileCachePages_ = std::max(-1, pages); }

void DBEngine::SetServerTimeoutSeconds(int seconds) {
  serverTimeoutSeconds_ = std::max(1, seconds);
}

void NoteDeletedRow(const std::string& path, const std::string& table, int64_t rowid) {
  const std::string key = TableKey(path, table);
  EngineMemory& memory = Memory();
  std::lock_guard<std::mutex> lock(memory.mutex);
  int64_t& highest = memory.deletedRows[key];
  highest = std::max(highest, rowid);
}

int64_t HighestDeletedRow(const std::string& path, const std::string& table) {
  const std::string key = TableKey(path, table);
  EngineMemory& memory = Memory();
  std::lock_guard<std::mutex> lock(memory.mutex);
  auto found = memory.deletedRows.find(key);
  return found == memory.deletedRows.end() ? 0 : found->second;
}

std::shared_ptr<const TableLayout> KnownLayout(const std::string& schemaText) {
  EngineMemory& memory = Memory();
  std::lock_guard<std::mutex> lock(memory.mutex);
  auto found = memory.layouts.find(schemaText);
  return found == memory.layouts.end() ? nullptr : found->second;
}

void KeepLayout(const std::string& schemaText, std::shared_ptr<const TableLayout> layout) {
  // A program meets a handful of schemas; a bound keeps a pathological one
  // (schemas made on the fly) from growing without end.
  constexpr size_t kMostLayouts = 256;
  EngineMemory& memory = Memory();
  std::lock_guard<std::mutex> lock(memory.mutex);
  if (memory.layouts.size() >= kMostLayouts) memory.layouts.clear();
  memory.layouts[schemaText] = std::move(layout);
}

}  // namespace recordstore
