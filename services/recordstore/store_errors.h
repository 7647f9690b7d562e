// The record store's run-time errors: one builder per failure, each with the
// classic error number and a description in our words that names the file,
// table, field or index concerned. Relies on RuntimeError and error_numbers.h.
#pragma once

#include <string>

#include "services/recordstore/error_numbers.h"
#include "services/recordstore/runtime_error.h"

namespace recordstore {

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
