#pragma once
// printf-style formatting into std::string. The system's texts ("%g", "%0.3f", "%08X") are produced
// by the C runtime itself, so every text matches it exactly. "%s" takes UTF-8.

#include <string>

namespace tvk {

std::string StrFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace tvk
