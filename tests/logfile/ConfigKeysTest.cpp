#include <gtest/gtest.h>

#include <set>

#include "common/Utf.h"
#include "logfile/ConfigKeys.h"

namespace TMSystem {
namespace {

TEST(ConfigKeys, EveryNameMapsBackToItsIdIgnoringCase) {
  std::set<std::string> upper;
  for (ConfigKeyId id = 0; id < kConfigKeyCount; ++id) {
    const std::string name = KeyNameFromId(id);
    SCOPED_TRACE(name);
    ASSERT_FALSE(name.empty());
    EXPECT_LE(tvk::Utf16Length(name), 32U);
    EXPECT_TRUE(upper.insert(tvk::ToUpperAscii(name)).second) << "names are distinct";
    EXPECT_EQ(KeyIdFromName(name), id);
    EXPECT_EQ(KeyIdFromName(tvk::ToUpperAscii(name)), id);
  }
  EXPECT_EQ(KeyNameFromId(kKeyLevelMeasurementMode), "LevelMeasurementMode");
  EXPECT_EQ(KeyNameFromId(ChannelKeyId(12, ChannelKey::kParameterId)), "CH12 ParameterId");
}

TEST(ConfigKeys, NamesOutsideTheTableAreUnknown) {
  for (const char* name : {"OrgLevelMeasurementMode", "CH32 SensorId", "CH1  SensorId", ""}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(KeyIdFromName(name), kKeyUnknown);
  }
  EXPECT_EQ(ChannelKeyId(32, ChannelKey::kSensorId), kKeyUnknown);
  EXPECT_EQ(KeyNameFromId(kConfigKeyCount), "");
}

}  // namespace
}  // namespace TMSystem
