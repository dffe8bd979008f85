#pragma once
// Append-only log of failures the user does not see: "ErrorLog.txt" beside the running program.
// Any thread may write; a failure to write is silent.

#include <string>

namespace tvk {

// Appends "<UTC date> <UTC time>: <message>". A null message does nothing.
void WriteErrorLog(const char* message);
inline void WriteErrorLog(const std::string& message) { WriteErrorLog(message.c_str()); }

// The file the log goes to ("" when the program's folder cannot be found).
std::string ErrorLogPath();

// Tests only: the log goes to `folder` instead of the program's folder; "" restores the default.
void SetErrorLogFolderForTesting(const std::string& folder);

}  // namespace tvk
