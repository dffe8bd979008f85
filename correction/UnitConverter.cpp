#include "correction/UnitConverter.h"

#include <array>
#include <iterator>

namespace tvk {
namespace {

// value in `unit` = value in `base` x factor + offset. Only temperatures have an offset.
struct UnitRule {
  std::uint16_t unit;
  std::uint16_t base;
  double factor;
  double offset;
};

constexpr double kGallonsPerCubicFoot = 1728.0 / 231.0;
constexpr double kCubicMetresPerCubicFoot = 0.028316846592;
constexpr double kCubicFeetPerAcreFoot = 43560.0;
constexpr double kSecondsPerDay = 86400.0;

constexpr UnitRule kRules[] = {
    // Temperature, base Celsius.
    {1, 1, 1.0, 0.0},
    {2, 1, 1.8, 32.0},
    {3, 1, 1.0, 273.15},
    // Pressure, base psi.
    {17, 17, 1.0, 0.0},
    {18, 17, 6894.757, 0.0},
    {19, 17, 6.894757, 0.0},
    {20, 17, 0.06894757, 0.0},
    {21, 17, 68.94757, 0.0},
    {22, 17, 51.71492, 0.0},
    {23, 17, 2.036021, 0.0},
    {24, 17, 70.30696, 0.0},
    {25, 17, 27.6799, 0.0},
    // Length, base metre.
    {33, 35, 1000.0, 0.0},
    {34, 35, 100.0, 0.0},
    {35, 35, 1.0, 0.0},
    {36, 35, 0.001, 0.0},
    {37, 35, 39.37008, 0.0},
    {38, 35, 3.28084, 0.0},
    // Angle, base degree.
    {49, 49, 1.0, 0.0},
    {50, 49, 60.0, 0.0},
    {51, 49, 3600.0, 0.0},
    // Conductivity, base uS/cm.
    {65, 65, 1.0, 0.0},
    {66, 65, 0.001, 0.0},
    // Concentration by mass ratio, base ppm.
    {113, 113, 1.0, 0.0},
    {114, 113, 0.001, 0.0},
    // Concentration by volume, base mg/L.
    {117, 117, 1.0, 0.0},
    {118, 117, 1000.0, 0.0},
    // Voltage, base uV.
    {161, 161, 1.0, 0.0},
    {162, 161, 0.001, 0.0},
    {163, 161, 0.000001, 0.0},
    // Turbidity: the three scales are read as the same number.
    {193, 193, 1.0, 0.0},
    {194, 193, 1.0, 0.0},
    {195, 193, 1.0, 0.0},
    // Flow, base cubic feet per second.
    {209, 209, 1.0, 0.0},
    {210, 209, 60.0, 0.0},
    {211, 209, 3600.0, 0.0},
    {212, 209, kSecondsPerDay, 0.0},
    {213, 209, kGallonsPerCubicFoot, 0.0},
    {214, 209, kGallonsPerCubicFoot * 60.0, 0.0},
    {215, 209, kGallonsPerCubicFoot * 3600.0, 0.0},
    {216, 209, kGallonsPerCubicFoot * kSecondsPerDay / 1e6, 0.0},
    {217, 209, kCubicMetresPerCubicFoot, 0.0},
    {218, 209, kCubicMetresPerCubicFoot * 60.0, 0.0},
    {219, 209, kCubicMetresPerCubicFoot * 3600.0, 0.0},
    {220, 209, kCubicMetresPerCubicFoot * kSecondsPerDay, 0.0},
    {221, 209, kCubicMetresPerCubicFoot * 1000.0, 0.0},
    {222, 209, kSecondsPerDay / kCubicFeetPerAcreFoot, 0.0},
    // Volume, base cubic foot.
    {225, 225, 1.0, 0.0},
    {226, 225, kGallonsPerCubicFoot, 0.0},
    {227, 225, kGallonsPerCubicFoot / 1e6, 0.0},
    {228, 225, kCubicMetresPerCubicFoot, 0.0},
    {229, 225, kCubicMetresPerCubicFoot * 1000.0, 0.0},
    {230, 225, 1.0 / kCubicFeetPerAcreFoot, 0.0},
};

constexpr std::uint16_t kLastUnit = 230;

// Rule index + 1 by unit id (0: no rule); conversions run for every cell of a column.
constexpr auto kRuleByUnit = [] {
  std::array<std::uint8_t, kLastUnit + 1> table{};
  for (std::size_t i = 0; i < std::size(kRules); ++i) table[kRules[i].unit] = static_cast<std::uint8_t>(i + 1);
  return table;
}();

const UnitRule* FindRule(std::uint16_t unit) {
  if (unit > kLastUnit || kRuleByUnit[unit] == 0) return nullptr;
  return &kRules[kRuleByUnit[unit] - 1];
}

bool IsBase(const UnitRule& rule) { return rule.unit == rule.base; }

}  // namespace

bool CUnitConversion::Resolve(std::uint16_t fromUnit, std::uint16_t toUnit) {
  *this = CUnitConversion();
  if (fromUnit == toUnit) return true;
  const UnitRule* to = FindRule(toUnit);
  const UnitRule* from = FindRule(fromUnit);
  // Into the base unit of the target's family; a unit of another family has no rule.
  if (to == nullptr || from == nullptr || from->base != to->base) return false;
  identity_ = false;
  fromIsBase_ = IsBase(*from);
  fromFactor_ = from->factor;
  fromOffset_ = from->offset;
  toIsBase_ = IsBase(*to);
  toFactor_ = to->factor;
  toOffset_ = to->offset;
  return true;
}

int ConvertUnit(std::uint16_t fromUnit, double& result, std::uint16_t toUnit, double value) {
  CUnitConversion conversion;
  if (!conversion.Resolve(fromUnit, toUnit)) return 0;
  result = conversion.Apply(value);
  return 1;
}

}  // namespace tvk
