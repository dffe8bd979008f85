#pragma once
// Small text and path helpers whose exact rules other parts rely on.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tvk {

// The platform's path separator; every rule that speaks of "the separator" uses it.
#ifdef _WIN32
constexpr char kPathSeparator = '\\';
// Windows takes either slash between folders.
constexpr const char* kPathSeparators = "\\/";
#else
constexpr char kPathSeparator = '/';
constexpr const char* kPathSeparators = "/";
#endif

inline bool IsPathSeparator(char c) {
  for (const char* s = kPathSeparators; *s != '\0'; ++s) {
    if (*s == c) return true;
  }
  return false;
}

// Read exactly 2, 4 or 8 hexadecimal digits (either case) from the start of `text`.
bool ParseHex8(std::string_view text, std::uint8_t& value);
bool ParseHex16(std::string_view text, std::uint16_t& value);
bool ParseHex32(std::string_view text, std::uint32_t& value);

// Remove leading / trailing characters of value 32 or less.
std::string TrimLeft(std::string_view text);
std::string TrimRight(std::string_view text);
std::string Trim(std::string_view text);

// Every delimiter ends a field, even an empty one; a final empty field is not added.
std::vector<std::string> SplitText(std::string_view text, char delimiter);

// Replaces every `from` with `to`; returns how many were replaced.
std::size_t ReplaceChar(std::string& text, char from, char to);

// Replaces every `from` with `to`, left to right, never looking again at what was put in; returns
// how many were replaced. An empty `from` replaces nothing.
std::size_t ReplaceAll(std::string& text, std::string_view from, std::string_view to);

// Each value as "%g", separated by ";".
std::string FloatListToText(const std::vector<float>& values);

// Folder and name joined by one separator (none added when either side already has it at the join).
std::string CombinePath(std::string_view folder, std::string_view name);
std::string TrimTrailingSeparators(std::string_view path);
// The text after the last ".", empty when there is none or it is the last character.
std::string GetExtension(std::string_view path);
// The text after the last separator; empty when the path has no extension.
std::string GetFileNamePart(std::string_view path);
// The path up to, not including, its last separator (empty when it has none).
std::string GetFolderPart(std::string_view path);

}  // namespace tvk
