// The search launchers of ztLOOKUP: the company, job and period-ending date
// searches a lookup field opens. They live with the dialog they open, so the
// shared modules below never reach up into the search layer. Relies on
// ztSearchMod (the dialog's opener).
#pragma once

#include <cstdint>
#include <string>

namespace ztLOOKUP {

// Each opens the shared search dialog on a table of dataPath\MAIN.MDB and
// returns the bookmark text of the chosen row, or " " when nothing was chosen.

// Companies of COLIST, searched by number or by name.
std::string SearchCompanyNumbers(const std::string& pathText);
// Jobs of one company in JOBLIST, searched by job number or by description.
std::string SearchJobNumbers(const std::string& pathText, int16_t companyNumber);
// Period-ending dates of PELIST, searched by their yyyymmdd key.
std::string SearchPeriodEndingDates(const std::string& pathText);

}  // namespace ztLOOKUP
