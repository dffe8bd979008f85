#pragma once
// Manual readings given to `tavisko correct`: `--reading TIME=VALUE` for one log, or a CSV table
// (`--readings TABLE.csv`: header `file,time,value`, `#` comments, blank lines) for many.

#include <map>
#include <string>
#include <vector>

#include "correction/ManualReadings.h"

namespace tvk::cli {

// "2011-03-17T11:20:00Z=10.8": an ISO 8601 UTC time and a decimal number a float holds. False with the
// reason for anything else.
bool ParseReadingOption(const std::string& text, ManualReading& reading, std::string& reason);

// The readings of a table for the FILEs of a command, keyed by the FILE as given: a row's `file` is a
// FILE as given, else the file name of exactly one FILE. False with the reason, naming the line, when the
// table cannot be read, a line is malformed, a time or value does not read, or a row names no FILE.
bool ReadReadingsTable(const std::string& tablePath, const std::vector<std::string>& files,
                       std::map<std::string, std::vector<ManualReading>>& readings, std::string& reason);

}  // namespace tvk::cli
