#include "correction/UnitConverter.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tvk {
namespace {

struct Case {
  const char* name;
  std::uint16_t from;
  std::uint16_t to;
  double value;
  double expected;
  bool exact = false;  // to the bit
};

TEST(UnitConverter, ConvertsWithinFamilies) {
  const Case cases[] = {
      {"same unit copies", 26, 26, 3.5, 3.5},
      {"ft to m divides by the factor", 38, 35, 3.28084, 1.0},
      {"m to ft multiplies by it", 35, 38, 2.0, 2.0 * 3.28084},
      {"Pa to psi", 18, 17, 6894.757, 1.0},
      {"psi to kPa", 17, 19, 2.0, 13.789514},
      {"cmH2O to inH2O", 24, 25, 70.30696, 27.6799},
      {"celsius to fahrenheit", 1, 2, 100.0, 212.0},
      {"fahrenheit to kelvin", 2, 3, 32.0, 273.15},
      {"mS/cm to uS/cm", 66, 65, 1.5, 1500.0},
      {"cfs to gpm", 209, 214, 1.0, 448.83116883116884},
      {"acre-feet to cubic feet", 230, 225, 1.0, 43560.0},
      {"level: ft to m", kUnitFoot, kUnitMetre, 101.0, 101.0 / 3.28084, true},
      {"level: inH2O to cmH2O", 25, 24, 1.0, 1.0 / 27.6799 * 70.30696, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    double result = -1.0;
    ASSERT_EQ(ConvertUnit(c.from, result, c.to, c.value), 1);
    EXPECT_NEAR(result, c.expected, std::fabs(c.expected) * 1e-9 + 1e-9);
    if (c.exact) {
      EXPECT_EQ(result, c.expected);
    }
  }
}

TEST(UnitConverter, RefusesPairsWithoutRule) {
  const Case cases[] = {
      {"Torr has no rule", kUnitTorr, kUnitPsi, 1.0, 0},
      {"atm has no rule", 27, 17, 1.0, 0},
      {"length never becomes pressure", kUnitMetre, kUnitPsi, 1.0, 0},
      {"temperature and angle", 1, 49, 1.0, 0},
      {"flow and volume", 209, 225, 1.0, 0},
      {"unknown unit", 999, kUnitMetre, 1.0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    double result = 42.0;
    EXPECT_EQ(ConvertUnit(c.from, result, c.to, c.value), 0);
    EXPECT_EQ(result, 42.0) << "a refused conversion leaves the result alone";
  }
}

}  // namespace
}  // namespace tvk
