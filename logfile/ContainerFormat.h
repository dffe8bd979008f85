#pragma once
// Layout constants of the binary container header, shared by the reader and the writer.

#include <cstddef>
#include <cstdint>

namespace TMSystem {

// "Tamrel Log File Version 2" and its terminating zero byte.
inline constexpr char kMagic[] = "Tamrel Log File Version 2";
inline constexpr std::size_t kMagicSize = sizeof kMagic;  // 26
static_assert(kMagicSize == 26);

// Magic, the three section positions and the creation time.
inline constexpr std::size_t kFixedHeaderSize = kMagicSize + 4 * 8;
inline constexpr std::uint64_t kSectionTablePos = kMagicSize;

}  // namespace TMSystem
