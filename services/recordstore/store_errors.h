// The record store's run-time errors: one builder per failure, each with the
// classic error number and a description in our words that names the file,
// table, field or index concerned. Relies on RuntimeError and error_numbers.h.
#pragma once

#include <string>

#include "services/base/error_numbers.h"
#include "services/base/runtime_error.h"

namespace recordstore {

base::RuntimeError FileNotFound(const std::string& path, const std::string& detail);
base::RuntimeError TableNotFound(const std::string& table, const std::string& file);
base::RuntimeError IndexNotFound(const std::string& index, const std::string& table);
base::RuntimeError FieldNotFound(const std::string& field, const std::string& table);
base::RuntimeError NoCurrentRecord(const std::string& table);
base::RuntimeError RecordDeleted(const std::string& table);
base::RuntimeError NotABookmark(const std::string& table);
base::RuntimeError UpdateWithoutEdit(const std::string& table);
base::RuntimeError NoCurrentIndex(const std::string& table);
base::RuntimeError InvalidArgument(const std::string& what);
base::RuntimeError ObjectClosed(const std::string& what);
base::RuntimeError CommitWithoutBegin(const std::string& workspace);
base::RuntimeError Locked(const std::string& what, const std::string& file, int waitedMs);

}  // namespace recordstore
