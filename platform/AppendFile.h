#pragma once
// The error log's file: where it lives and how a line is added to it.

#include <cstdint>
#include <string>
#include <string_view>

namespace tvk::platform {

// The folder the error log goes to, created when `create`: ${XDG_STATE_HOME:-~/.local/state}/tavisko
// on Linux; on Windows the folder of the running program, as the host application keeps its own.
// Empty when there is none.
std::string ErrorLogFolder(bool create);

// Appends `text` to the regular file at `path` (UTF-8), creating it. A file of `rotateAt` bytes or
// more is first renamed to the same name with ".old" before its extension, replacing the older one.
// Anything but a regular file in its place is left alone and never waited on. Never throws.
void AppendToFile(const std::string& path, std::string_view text, std::uint64_t rotateAt);

// Whether `path` (UTF-8) names a folder.
bool IsFolder(const std::string& path);

}  // namespace tvk::platform
