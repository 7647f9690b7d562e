// The classic run-time error numbers the system raises and tests for, one name
// each, so that a thrower and a caller that catches by number agree on it.
// Relies on nothing.
#pragma once

namespace base::error {

// Errors of the language and the forms.
constexpr int kInvalidProcedureCall = 5;  // a bad argument or a control that cannot take the focus
constexpr int kOverflow = 6;
constexpr int kSubscriptOutOfRange = 9;
constexpr int kTypeMismatch = 13;
constexpr int kInternalError = 51;        // an error that is not one of ours
constexpr int kObjectNotSet = 91;         // a recordset or field that was never opened
constexpr int kNoSuchArrayElement = 340;  // a control array has no such member
constexpr int kFormAlreadyShown = 400;

// Errors of the record store.
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

}  // namespace base::error
