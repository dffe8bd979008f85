#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tvk {

struct Guid {
  std::uint32_t data1 = 0;
  std::uint16_t data2 = 0;
  std::uint16_t data3 = 0;
  std::array<std::uint8_t, 8> data4{};

  bool IsZero() const { return *this == Guid{}; }
  friend bool operator==(const Guid&, const Guid&) = default;
};

// {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}, upper-case digits.
std::string GuidToText(const Guid& guid);

// Accepts exactly the 38-character braced form, digits in either case; false with the zero GUID
// otherwise.
bool TextToGuid(std::string_view text, Guid& guid);

}  // namespace tvk
