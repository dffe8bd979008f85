#include "common/TextUtil.h"

#include "common/Format.h"

namespace tvk {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ParseHex(std::string_view text, std::size_t digits, std::uint32_t& value) {
  if (text.size() < digits) return false;
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < digits; ++i) {
    const int d = HexDigit(text[i]);
    if (d < 0) return false;
    v = (v << 4) | static_cast<std::uint32_t>(d);
  }
  value = v;
  return true;
}

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

}  // namespace

bool ParseHex8(std::string_view text, std::uint8_t& value) {
  std::uint32_t v = 0;
  if (!ParseHex(text, 2, v)) return false;
  value = static_cast<std::uint8_t>(v);
  return true;
}

bool ParseHex16(std::string_view text, std::uint16_t& value) {
  std::uint32_t v = 0;
  if (!ParseHex(text, 4, v)) return false;
  value = static_cast<std::uint16_t>(v);
  return true;
}

bool ParseHex32(std::string_view text, std::uint32_t& value) { return ParseHex(text, 8, value); }

std::string TrimLeft(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  return std::string(text.substr(i));
}

std::string TrimRight(std::string_view text) {
  std::size_t n = text.size();
  while (n > 0 && IsBlank(text[n - 1])) --n;
  return std::string(text.substr(0, n));
}

std::string Trim(std::string_view text) { return TrimLeft(TrimRight(text)); }

std::vector<std::string> SplitText(std::string_view text, char delimiter) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == delimiter) {
      fields.emplace_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  if (start < text.size()) fields.emplace_back(text.substr(start));
  return fields;
}

std::size_t ReplaceChar(std::string& text, char from, char to) {
  std::size_t count = 0;
  for (char& c : text) {
    if (c == from) {
      c = to;
      ++count;
    }
  }
  return count;
}

std::size_t ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
  if (from.empty()) return 0;
  std::size_t count = 0;
  for (std::size_t pos = text.find(from); pos != std::string::npos; pos = text.find(from, pos + to.size())) {
    text.replace(pos, from.size(), to);
    ++count;
  }
  return count;
}

std::string FloatListToText(const std::vector<float>& values) {
  std::string out;
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i > 0) out += ';';
    out += StrFormat("%g", static_cast<double>(values[i]));
  }
  return out;
}

std::string CombinePath(std::string_view folder, std::string_view name) {
  if (name.empty()) return std::string(folder);
  if (folder.empty()) return std::string(name);
  if (IsPathSeparator(folder.back()) || IsPathSeparator(name.front())) {
    return std::string(folder) + std::string(name);
  }
  return std::string(folder) + kPathSeparator + std::string(name);
}

std::string TrimTrailingSeparators(std::string_view path) {
  std::size_t n = path.size();
  while (n > 0 && IsPathSeparator(path[n - 1])) --n;
  return std::string(path.substr(0, n));
}

std::string GetExtension(std::string_view path) {
  const std::size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || dot + 1 == path.size()) return {};
  return std::string(path.substr(dot + 1));
}

std::string GetFileNamePart(std::string_view path) {
  if (GetExtension(path).empty()) return {};
  const std::size_t sep = path.find_last_of(kPathSeparators);
  return std::string(sep == std::string_view::npos ? path : path.substr(sep + 1));
}

std::string GetFolderPart(std::string_view path) {
  const std::size_t sep = path.find_last_of(kPathSeparators);
  return sep == std::string_view::npos ? std::string() : std::string(path.substr(0, sep));
}

}  // namespace tvk
