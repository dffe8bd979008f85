#pragma once
// Conversion between the unit ids of the unit table. Units of one family convert through the family's
// base unit; units of different families never convert into each other.

#include <cstdint>

namespace tvk {

// Unit ids the level correction relies on.
constexpr std::uint16_t kUnitPsi = 17;
constexpr std::uint16_t kUnitTorr = 26;
constexpr std::uint16_t kUnitMetre = 35;
constexpr std::uint16_t kUnitFoot = 38;

// `value` in `fromUnit` expressed in `toUnit`, into `result`. 1 on success; 0 when there is no rule
// for the pair (`result` is then left as it was).
int ConvertUnit(std::uint16_t fromUnit, double& result, std::uint16_t toUnit, double value);

}  // namespace tvk
