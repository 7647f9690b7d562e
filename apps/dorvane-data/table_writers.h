// Writers of the two data files: MAIN.MDB with companies, jobs, period-ending
// dates, the working list, the saved lists and the tag counter; QRLSYS.mdb
// with the job-number settings. Relies on plan.h, schema.h and sqlite_file.h.
#pragma once

#include <chrono>
#include <string>

#include "options.h"
#include "plan.h"

namespace dorvanedata {

// Creates the main database at path (a new file) and fills it as planned.
// Throws ToolError on failure.
void WriteMainDatabase(const std::string& path, const InitOptions& options, const DataPlan& plan,
                       std::chrono::year_month_day today);

// Creates the settings database at path (a new file): SYSSETTINGS with one row
// of the options' width and type, or none with --no-settings.
void WriteSettingsDatabase(const std::string& path, const InitOptions& options);

}  // namespace dorvanedata
