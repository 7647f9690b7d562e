// Random scripts for the scripted host and the checks a run of them must pass,
// shared by the soak (one process per script) and the sessions test (many
// scripted hosts on threads of one process): the script of random keys,
// typing and clicks drawn from a generator, the control names a probe script
// lists, the run-time errors a user may meet, and the invariants of a data
// folder's saved lists. Relies on tests/support's SqlFile.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace soak {

// The date every random script fixes as today.
inline constexpr const char* kToday = "2026-03-04";

// The arguments of `dorvane-data init` for the data source at `place`, filled
// from `seed`.
std::vector<std::string> InitArguments(const std::string& place, uint64_t seed);

// A script that lists the controls of the control and of the company search
// dialog (`screen` before and after opening it), for ControlNames.
std::string ProbeScript();
// The names of the controls a click may hit, read from a probe's output;
// throws std::runtime_error when it found too few.
std::vector<std::string> ControlNames(const std::string& probeOutput);

// A random script of `count` commands on the data source "data": mostly keys
// the control and the dialog act on, some typing of company numbers, job
// numbers, names and dates, and clicks on any control.
std::string MakeScript(std::mt19937_64& random, const std::vector<std::string>& names, int count);

// Why a finished run of the scripted host failed, or "": a status other than 0,
// output on the error stream, or a "HOST ERROR" whose number is none a user
// may meet (each number met is counted in hostErrors). A script ended by a
// click or host action the open form refuses is no failure; endedEarly tells.
std::string JudgeRun(int status, const std::string& out, const std::string& err,
                     std::map<int, int>& hostErrors, bool& endedEarly);

// Rows of a query on MAIN.MDB (a file or a server schema), each as its values
// joined by '|'.
using MainRows = std::function<std::vector<std::string>(const std::string& sql)>;
// What is wrong with the saved lists (each tag once, the SYSTAGS counter ahead
// of them, every list with its items and no item without its list), or "".
std::string CheckSavedLists(const MainRows& rows);
// integrity_check of both files of a data folder and CheckSavedLists.
std::string CheckFiles(const std::string& data);

}  // namespace soak
