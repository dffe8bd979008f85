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
};

TEST(UnitConverter, ConvertsWithinFamilies) {
  const Case cases[] = {
      {"same unit copies", 26, 26, 3.5, 3.5},
      {"ft to m divides by the factor", 38, 35, 3.28084, 1.0},
      {"m to ft multiplies by it", 35, 38, 2.0, 2.0 * 3.28084},
      {"in to cm through metres", 37, 34, 39.37008, 100.0},
      {"km to mm", 36, 33, 0.001, 1000.0},
      {"Pa to psi", 18, 17, 6894.757, 1.0},
      {"psi to kPa", 17, 19, 2.0, 13.789514},
      {"bar to mbar", 20, 21, 0.06894757, 68.94757},
      {"cmH2O to inH2O", 24, 25, 70.30696, 27.6799},
      {"inHg to mmHg", 23, 22, 2.036021, 51.71492},
      {"celsius to fahrenheit", 1, 2, 100.0, 212.0},
      {"fahrenheit to kelvin", 2, 3, 32.0, 273.15},
      {"kelvin to celsius", 3, 1, 0.0, -273.15},
      {"degrees to minutes", 49, 50, 1.5, 90.0},
      {"seconds to degrees", 51, 49, 7200.0, 2.0},
      {"mS/cm to uS/cm", 66, 65, 1.5, 1500.0},
      {"ppt to ppm", 114, 113, 2.0, 2000.0},
      {"mg/L to ug/L", 117, 118, 0.25, 250.0},
      {"V to mV", 163, 162, 1.2, 1200.0},
      {"NTU equals FNU", 194, 193, 12.5, 12.5},
      {"FTU equals NTU", 195, 194, 12.5, 12.5},
      {"cfs to gpm", 209, 214, 1.0, 448.83116883116884},
      {"m3/s to l/s", 217, 221, 1.0, 1000.0},
      {"cfs to acre-feet per day", 209, 222, 43560.0 / 86400.0, 1.0},
      {"MGD to m3/day", 216, 220, 1.0, 3785.411784},
      {"gallons to litres", 226, 229, 1.0, 3.785411784},
      {"acre-feet to cubic feet", 230, 225, 1.0, 43560.0},
      {"m3 to million gallons", 228, 227, 3785.411784, 1.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    double result = -1.0;
    ASSERT_EQ(ConvertUnit(c.from, result, c.to, c.value), 1);
    EXPECT_NEAR(result, c.expected, std::fabs(c.expected) * 1e-9 + 1e-9);
  }
}

TEST(UnitConverter, LevelConversionsUseTheExactFactors) {
  double result = 0.0;
  ASSERT_EQ(ConvertUnit(kUnitFoot, result, kUnitMetre, 101.0), 1);
  EXPECT_EQ(result, 101.0 / 3.28084);
  ASSERT_EQ(ConvertUnit(kUnitMetre, result, kUnitFoot, 0.3048), 1);
  EXPECT_EQ(result, 0.3048 * 3.28084);
  ASSERT_EQ(ConvertUnit(25, result, 24, 1.0), 1);
  EXPECT_EQ(result, 1.0 / 27.6799 * 70.30696);
}

TEST(UnitConverter, RefusesPairsWithoutRule) {
  const Case cases[] = {
      {"Torr has no rule", kUnitTorr, kUnitPsi, 1.0, 0},
      {"into Torr", kUnitPsi, kUnitTorr, 1.0, 0},
      {"atm has no rule", 27, 17, 1.0, 0},
      {"length never becomes pressure", kUnitMetre, kUnitPsi, 1.0, 0},
      {"pressure never becomes length", 24, 34, 1.0, 0},
      {"temperature and angle", 1, 49, 1.0, 0},
      {"flow and volume", 209, 225, 1.0, 0},
      {"unknown unit", 999, kUnitMetre, 1.0, 0},
      {"unit 0", 0, kUnitMetre, 1.0, 0},
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
