// ztLOOKUP: the readers of the installation's job-number settings (width and
// kind, from SYSSETTINGS of QRLSYS.mdb) and, beside them, the launchers of the
// search dialog. Relies on the record store, the null check of ztMSAccess and
// the Desktop (file-existence test, message boxes).
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

// --- Search launchers (ztLOOKUP_search.cpp) ---
// Each opens the shared search dialog on a table of dataPath\MAIN.MDB and
// returns the bookmark text of the chosen row, or " " when nothing was chosen.

// Companies of COLIST, searched by number or by name.
std::string SearchCompanyNumbers(const std::string& pathText);
// Jobs of one company in JOBLIST, searched by job number or by description.
std::string SearchJobNumbers(const std::string& pathText, int16_t companyNumber);
// Period-ending dates of PELIST, searched by their yyyymmdd key.
std::string SearchPeriodEndingDates(const std::string& pathText);

}  // namespace ztLOOKUP
