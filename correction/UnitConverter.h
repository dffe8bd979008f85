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

// The conversion from one unit into another, its rules looked up once for a whole column: Apply gives
// what ConvertUnit gives, bit for bit (ConvertUnit is made of it).
class CUnitConversion {
 public:
  // False when there is no rule for the pair.
  bool Resolve(std::uint16_t fromUnit, std::uint16_t toUnit);
  double Apply(double value) const {
    if (identity_) return value;
    double inBase = value;
    if (!fromIsBase_) inBase = fromOffset_ == 0.0 ? value / fromFactor_ : (value - fromOffset_) / fromFactor_;
    if (toIsBase_) return inBase;
    return toOffset_ == 0.0 ? inBase * toFactor_ : inBase * toFactor_ + toOffset_;
  }

 private:
  bool identity_ = true;
  bool fromIsBase_ = true, toIsBase_ = true;
  double fromFactor_ = 1.0, fromOffset_ = 0.0, toFactor_ = 1.0, toOffset_ = 0.0;
};

}  // namespace tvk
