#pragma once
// Append-only log of failures the user does not see: "ErrorLog.txt" in the user's state folder
// (${XDG_STATE_HOME:-~/.local/state}/tavisko), where the user can write, unlike beside a system
// program; on Windows beside the running program, where the host application keeps its own. Past 1 MiB the file becomes "ErrorLog.old.txt" (replacing the one before) and a new file
// starts. Any thread may write; a failure to write is silent.

#include <string>

namespace tvk {

// Appends "<UTC date> <UTC time>: <message>". A null message does nothing.
void WriteErrorLog(const char* message);
inline void WriteErrorLog(const std::string& message) { WriteErrorLog(message.c_str()); }

// The file the log goes to ("" when there is no folder to put it in).
std::string ErrorLogPath();

// Tests only: the log goes to `folder` (which must exist) instead of the state folder; "" restores
// the default.
void SetErrorLogFolderForTesting(const std::string& folder);

}  // namespace tvk
