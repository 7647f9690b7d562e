// Builders of the record store's run-time errors (numbers in store_errors.h).
#include "services/recordstore/store_errors.h"

namespace recordstore {

base::RuntimeError FileNotFound(const std::string& path, const std::string& detail) {
  return base::RuntimeError(base::error::kFileNotFound,
                            "Could not find the database file '" + path + "'" + detail + ".");
}

base::RuntimeError TableNotFound(const std::string& table, const std::string& file) {
  return base::RuntimeError(base::error::kTableNotFound,
                            "The database '" + file + "' has no table named '" + table + "'.");
}

base::RuntimeError IndexNotFound(const std::string& index, const std::string& table) {
  return base::RuntimeError(base::error::kNotAnIndex,
                            "'" + index + "' is not an index of table '" + table + "'.");
}

base::RuntimeError FieldNotFound(const std::string& field, const std::string& table) {
  return base::RuntimeError(base::error::kItemNotFound,
                            "Table '" + table + "' has no field named '" + field + "'.");
}

base::RuntimeError NoCurrentRecord(const std::string& table) {
  return base::RuntimeError(
      base::error::kNoCurrentRecord,
      "No current record: the recordset on table '" + table + "' is not positioned on a row.");
}

base::RuntimeError RecordDeleted(const std::string& table) {
  return base::RuntimeError(base::error::kRecordDeleted,
                            "The record of table '" + table + "' has been deleted.");
}

base::RuntimeError NotABookmark(const std::string& table) {
  return base::RuntimeError(base::error::kNotABookmark,
                            "The text is not a valid bookmark for table '" + table + "'.");
}

base::RuntimeError UpdateWithoutEdit(const std::string& table) {
  return base::RuntimeError(
      base::error::kUpdateWithoutEdit,
      "Update or field change on table '" + table + "' without AddNew or Edit.");
}

base::RuntimeError NoCurrentIndex(const std::string& table) {
  return base::RuntimeError(
      base::error::kNoCurrentIndex,
      "Seek on table '" + table + "' needs a current index; set Index first.");
}

base::RuntimeError InvalidArgument(const std::string& what) {
  return base::RuntimeError(base::error::kInvalidArgument, "Invalid argument: " + what + ".");
}

base::RuntimeError ObjectClosed(const std::string& what) {
  return base::RuntimeError(base::error::kObjectClosed, "The " + what + " has been closed.");
}

base::RuntimeError CommitWithoutBegin(const std::string& workspace) {
  return base::RuntimeError(base::error::kCommitWithoutBegin,
                            "Workspace '" + workspace +
                                "' has no transaction to commit or "
                                "roll back (BeginTrans was not called).");
}

base::RuntimeError Locked(const std::string& what, const std::string& file, int waitedMs) {
  return base::RuntimeError(base::error::kLocked,
                            what + " in '" + file + "' is locked by another user; gave up after " +
                                std::to_string(waitedMs) + " ms.");
}

}  // namespace recordstore
