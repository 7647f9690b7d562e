// Builders of the record store's run-time errors (numbers in store_errors.h).
#include "services/recordstore/store_errors.h"

namespace recordstore {

RuntimeError FileNotFound(const std::string& path, const std::string& detail) {
  return RuntimeError(error::kFileNotFound,
                      "Could not find the database file '" + path + "'" + detail + ".");
}

RuntimeError TableNotFound(const std::string& table, const std::string& file) {
  return RuntimeError(error::kTableNotFound,
                      "The database '" + file + "' has no table named '" + table + "'.");
}

RuntimeError IndexNotFound(const std::string& index, const std::string& table) {
  return RuntimeError(error::kNotAnIndex,
                      "'" + index + "' is not an index of table '" + table + "'.");
}

RuntimeError FieldNotFound(const std::string& field, const std::string& table) {
  return RuntimeError(error::kItemNotFound,
                      "Table '" + table + "' has no field named '" + field + "'.");
}

RuntimeError NoCurrentRecord(const std::string& table) {
  return RuntimeError(error::kNoCurrentRecord, "No current record: the recordset on table '" +
                                                   table + "' is not positioned on a row.");
}

RuntimeError RecordDeleted(const std::string& table) {
  return RuntimeError(error::kRecordDeleted,
                      "The record of table '" + table + "' has been deleted.");
}

RuntimeError NotABookmark(const std::string& table) {
  return RuntimeError(error::kNotABookmark,
                      "The text is not a valid bookmark for table '" + table + "'.");
}

RuntimeError UpdateWithoutEdit(const std::string& table) {
  return RuntimeError(error::kUpdateWithoutEdit,
                      "Update or field change on table '" + table + "' without AddNew or Edit.");
}

RuntimeError NoCurrentIndex(const std::string& table) {
  return RuntimeError(error::kNoCurrentIndex,
                      "Seek on table '" + table + "' needs a current index; set Index first.");
}

RuntimeError InvalidArgument(const std::string& what) {
  return RuntimeError(error::kInvalidArgument, "Invalid argument: " + what + ".");
}

RuntimeError ObjectClosed(const std::string& what) {
  return RuntimeError(error::kObjectClosed, "The " + what + " has been closed.");
}

RuntimeError CommitWithoutBegin(const std::string& workspace) {
  return RuntimeError(error::kCommitWithoutBegin, "Workspace '" + workspace +
                                                      "' has no transaction to commit or "
                                                      "roll back (BeginTrans was not called).");
}

RuntimeError Locked(const std::string& what, const std::string& file, int waitedMs) {
  return RuntimeError(error::kLocked, what + " in '" + file +
                                          "' is locked by another user; gave up after " +
                                          std::to_string(waitedMs) + " ms.");
}

}  // namespace recordstore
