#pragma once
// The built-in English system texts, one per id from 10000 to 10762 in ascending order.

#include <cstddef>
#include <cstdint>

namespace tvk {

struct BuiltInString {
  std::uint32_t id;
  const char* text;  // UTF-8
};

constexpr std::size_t kSystemStringCount = 763;

extern const BuiltInString kEnglishSystemStrings[kSystemStringCount];

}  // namespace tvk
