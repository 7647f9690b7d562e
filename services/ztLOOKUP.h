// ztLOOKUP: the readers of the installation's job-number settings (width and
// kind, from SYSSETTINGS of QRLSYS.mdb). The launchers of the search dialog
// are in search/ztLOOKUP_search.h. Relies on the record store, the null check
// of ztMSAccess and the Desktop (file-existence test, message boxes).
#pragma once

#include <cstdint>
#include <string>

namespace ztLOOKUP {

// JOBNOSIZE of the first SYSSETTINGS row of dataPath\QRLSYS.mdb; 8 (after the
// "No Settings Found" box) when there is no row; 0 (after the "Database
// Missing." box) when the file is missing. Errors opening the file or the
// table reach the caller.
int16_t GetJobNumberSize(const std::string& dataPath);

// JOBNOTYPE of the first SYSSETTINGS row, as stored; "C" when there is no row;
// " " when the file is missing. Same boxes and errors as GetJobNumberSize.
std::string GetJobNumberType(const std::string& dataPath);

}  // namespace ztLOOKUP
