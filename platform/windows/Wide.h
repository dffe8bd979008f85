#pragma once
// The Windows side of the platform layer speaks UTF-8 to the engine and UTF-16 to the system.

#include <windows.h>

#include <string>
#include <string_view>

namespace tvk::platform::windows {

// Ill-formed UTF-8 or UTF-16 becomes U+FFFD.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

// The errno value the engine expects for a Win32 error code.
int ErrnoOf(DWORD error);

// A path for the wide calls: forward slashes turned into backslashes, which every wide call takes.
std::wstring WidePath(std::string_view utf8);

}  // namespace tvk::platform::windows
