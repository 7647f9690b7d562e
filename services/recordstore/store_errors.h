// The record store's run-time errors: one builder per failure, each with the
// classic error number and a description in our words that names the file,
// table, field or index concerned. Relies on RuntimeError.
#pragma once

#include <string>

#include "services/recordstore/runtime_error.h"

namespace recordstore {

namespace error {
constexpr int kInvalidArgument = 3001;
constexpr int kNoCurrentIndex = 3019;
constexpr int kUpdateWithoutEdit = 3020;
constexpr int kNoCurrentRecord = 3021;
constexpr int kDuplicateKey = 3022;
constexpr int kFileNotFound = 3024;
constexpr int kReadOnly = 3027;
constexpr int kCommitWithoutBegin = 3034;
constexpr int kDiskFull = 3026;   // the disk is full
constexpr int kDiskError = 3043;  // a read, write, sync or lock of the file failed
constexpr int kTableNotFound = 3078;
constexpr int kNotABookmark = 3159;
constexpr int kFieldTooSmall = 3163;
constexpr int kRecordDeleted = 3167;
constexpr int kLocked = 3260;
constexpr int kItemNotFound = 3265;
constexpr int kBadFormat = 3343;
constexpr int kObjectClosed = 3420;
constexpr int kNotAnIndex = 3800;
constexpr int kEngineFailure = 3000;
}  // namespace error

RuntimeError FileNotFound(const std::string& path, const std::string& detail);
RuntimeError TableNotFound(const std::string& table, const std::string& file);
RuntimeError IndexNotFound(const std::string& index, const std::string& table);
RuntimeError FieldNotFound(const std::string& field, const std::string& table);
RuntimeError NoCurrentRecord(const std::string& table);
RuntimeError RecordDeleted(const std::string& table);
RuntimeError NotABookmark(const std::string& table);
RuntimeError UpdateWithoutEdit(const std::string& table);
RuntimeError NoCurrentIndex(const std::string& table);
RuntimeError InvalidArgument(const std::string& what);
RuntimeError ObjectClosed(const std::string& what);
RuntimeError CommitWithoutBegin(const std::string& workspace);
RuntimeError Locked(const std::string& what, const std::string& file, int waitedMs);

}  // namespace recordstore
