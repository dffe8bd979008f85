#pragma once
// Paths are UTF-8 text everywhere in the engine. The standard library reads a plain string as the
// system's narrow code page, which on Windows is not UTF-8: paths for std::filesystem go through here.

#include <filesystem>
#include <string>
#include <string_view>

namespace tvk::platform {

inline std::filesystem::path PathFromUtf8(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string Utf8FromPath(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace tvk::platform
