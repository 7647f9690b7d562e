// Writers of the two data files: MAIN.MDB with companies, jobs, period-ending
// dates, the working list, the saved lists and the tag counter; QRLSYS.mdb
// with the job-number settings. Relies on plan.h and file_target.h, so the
// same rows go to a SQLite file or a server schema.
#pragma once

#include <chrono>
#include <string>

#include "file_target.h"
#include "options.h"
#include "plan.h"

namespace dorvanedata {

// Fills the main database's new target as planned and finishes it.
// Throws ToolError on failure.
void WriteMainDatabase(FileTarget& target, const InitOptions& options, const DataPlan& plan,
                       std::chrono::year_month_day today);

// Fills the settings database's new target: SYSSETTINGS with one row of the
// options' width and type, or none with --no-settings; then finishes it.
void WriteSettingsDatabase(FileTarget& target, const InitOptions& options);

}  // namespace dorvanedata
